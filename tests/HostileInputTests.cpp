// Standard input at its worst: enormous lines, NUL bytes, bytes that are not UTF-8, thousands
// of blank lines, answers thousands of characters long at every question, and input that ends
// at any question. The game must take what it can use, ignore the rest, keep the save and end.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "characters/Character.h"
#include "characters/Enemy.h"
#include "platform/Console.h"
#include "platform/null/RecordingConsole.h"
#include "support/PromptPlayer.h"
#include "support/SoakRunner.h"
#include "support/TestPlatform.h"

namespace {

constexpr std::size_t kLongAnswer = 5000;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// The save's nine lines.
std::vector<std::string> SaveLines(const cGameResult& game) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : game.File("Player.txt")) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    return lines;
}

cGameOptions NoMonsters(const std::string& input) {
    cGameOptions options;
    options.input = input;
    options.prepare = [](cSession&) { gEncounterChance = 0; };
    return options;
}

const char* const kDirectionPrompt = "(C)ondition\n(Q)uit\n?:";

TEST(HostileNames, AMegabyteNameLineKeepsItsFirst255CharactersAndTheNextAnswerIsFresh) {
    std::string name;
    for (std::size_t i = 0; i < 1024 * 1024; ++i) {
        name.push_back(static_cast<char>('a' + i % 26));
    }
    const cGameResult game = RunGame(NoMonsters(name + "\ns\nq\n"));
    EXPECT_EQ(GameFaults(game, nullptr), "");
    const auto save = SaveLines(game);
    ASSERT_EQ(save.size(), 9u);
    EXPECT_EQ(save[5], name.substr(0, 255));
    // The weapon answer came from the line after the name, not from the name's tail.
    EXPECT_EQ(save[6], "Sword");
    EXPECT_NE(game.transcript.find("There is evil afoot " + name.substr(0, 255) + "."),
              std::string::npos);
    EXPECT_LT(game.transcript.size(), 64u * 1024u);
}

TEST(HostileNames, NulBytesAndInvalidUtf8AreSavedAndReadBackByteForByte) {
    static const char kName[] = "A\0n\xff\xfe\xc3(\xed\xa0\x80\x80\r\x1b[2J";
    const std::string name(kName, sizeof kName - 1);
    const cGameResult game = RunGame(NoMonsters(name + "\na\nq\n"));
    EXPECT_EQ(GameFaults(game, nullptr), "");
    cCharacter loaded("Loaded");
    ASSERT_TRUE(loaded.Load(game.directory->path() + "/Player.txt"));
    EXPECT_EQ(loaded.name, name);
    EXPECT_EQ(SaveLines(game)[6], "Axe");
}

// A terminal that would act on escape sequences; it records colours like the test console.
class cTerminalLikeConsole : public cRecordingConsole {
  public:
    using cRecordingConsole::cRecordingConsole;
    bool ActsOnControlBytes() override { return true; }
};

TEST(HostileNames, ControlBytesShowAsPlaceholdersOnATerminalOnly) {
    // A new title, the clipboard, a cleared screen, a bell, a delete; the tab stays a tab.
    // Then CSI as a C1 control in UTF-8 and as a raw byte, letters, and bytes that are no UTF-8.
    const std::string name =
        "Ann\x1b]0;owned\x07\x1b]52;c;aGk=\x07\x1b[2J\x7f\tB\x01"
        "\xc2\x9b"
        "2J\x9b"
        "2J\xc3\xa9\xc5\x91\xe6\xbc\xa2\xc3(\xed\xa0\x80";
    const std::string shown =
        "Ann^[]0;owned^G^[]52;c;aGk=^G^[[2J^?\tB^A"
        "\\xc2\\x9b2J\\x9b2J\xc3\xa9\xc5\x91\xe6\xbc\xa2\\xc3(\\xed\\xa0\\x80";
    for (bool terminal : {true, false}) {
        cGameOptions options = NoMonsters(name + "\ns\nc\nq\n");
        if (terminal) {
            options.prepare = [](cSession&) {
                gEncounterChance = 0;
                Sys_InstallConsole(
                    std::make_unique<cTerminalLikeConsole>(std::make_shared<cConsoleRecord>()));
            };
        }
        const cGameResult game = RunGame(options);
        EXPECT_EQ(game.status, 0);
        EXPECT_EQ(SaveLines(game)[5], name) << "the save keeps the bytes";
        const std::string& expected = terminal ? shown : name;
        EXPECT_NE(game.transcript.find("There is evil afoot " + expected + "."), std::string::npos);
        EXPECT_NE(game.transcript.find("\n" + expected + "\n\nHealth:"), std::string::npos);
        EXPECT_EQ(game.transcript.find_first_of("\x1b\x07\x7f\x01\x9b") == std::string::npos,
                  terminal)
            << "a pipe keeps the bytes, a terminal never sees them";
    }
}

TEST(HostileNames, WindowsLineEndsPlayExactlyLikeUnixOnes) {
    // The second game's name is the rest of the replay answer's line.
    const std::string unix = WalkToExitInput() + "yBo\na\ni\nc\nq\n";
    std::string windows;
    for (char c : unix) {
        windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    cGameOptions options = NoMonsters(unix);
    const cGameResult expected = RunGame(options);
    options.input = windows;
    const cGameResult game = RunGame(options);
    EXPECT_EQ(GameFaults(game, nullptr), "");
    EXPECT_EQ(game.transcript, expected.transcript);
    EXPECT_EQ(game.File("Player.txt"), expected.File("Player.txt"));
    EXPECT_EQ(SaveLines(game)[5], "Bo");
}

TEST(HostileNames, ThousandsOfBlankLinesGiveAnEmptyNameAndTheNextPromptSkipsTheRest) {
    const cGameResult game = RunGame(NoMonsters(std::string(5000, '\n') + "s\nq\n"));
    EXPECT_EQ(GameFaults(game, nullptr), "");
    const auto save = SaveLines(game);
    ASSERT_EQ(save.size(), 9u);
    EXPECT_EQ(save[5], "");
    EXPECT_EQ(save[6], "Sword");
    EXPECT_EQ(Count(game.transcript, kDirectionPrompt), 1u);
}

TEST(HostileAnswers, NulBytesAndInvalidUtf8PassTheTurnWithoutMoving) {
    const std::string answers[] = {std::string(1, '\0'),
                                   std::string("\0\0\0s", 4),
                                   "\xc3",
                                   "\xff\xfe",
                                   "\xed\xa0\x80",
                                   "\xe2\x82",
                                   "\x1b[A",
                                   "\x7f"};
    std::string input = "Ann\ns\n";
    for (const std::string& answer : answers) {
        input += answer + "\n";
    }
    const cGameResult game = RunGame(NoMonsters(input + "q\n"));
    EXPECT_EQ(GameFaults(game, nullptr), "");
    const std::size_t turns = sizeof answers / sizeof answers[0] + 1;
    EXPECT_EQ(Count(game.transcript, kDirectionPrompt), turns);
    EXPECT_EQ(game.transcript.find("There is a wall there."), std::string::npos);
    EXPECT_EQ(SaveLines(game)[8], "0 1");
}

TEST(HostileAnswers, ThousandsOfBlankLinesBeforeEachAnswerAreSkipped) {
    const std::string blank(3000, '\n');
    const std::string crlf = [] {
        std::string lines;
        for (int i = 0; i < 3000; ++i) {
            lines += "\r\n";
        }
        return lines;
    }();
    const cGameResult game = RunGame(NoMonsters("Ann\n" + blank + "s\n" + blank + "s\n" + crlf +
                                                "s\n" + blank + "m\n" + blank + "q\n" + blank));
    EXPECT_EQ(GameFaults(game, nullptr), "");
    // Two steps south and the map: the blank lines themselves are never answers.
    EXPECT_EQ(Count(game.transcript, kDirectionPrompt), 4u);
    EXPECT_NE(game.transcript.find("Map of Tovashal Dungeon."), std::string::npos);
    EXPECT_EQ(SaveLines(game)[8], "2 1");
}

// Plays with answers kLongAnswer characters long until every question of the game has had
// one: fights and loot near the entrance first (before the gnome's spell can take the luck
// that loot needs), then the gnome, its questions and the drop menu, then a death and a new
// game.
TEST(HostileAnswers, EveryQuestionTakesAnAnswerThousandsOfCharactersLong) {
    const std::set<ePrompt> wanted = {ePrompt::Name,          ePrompt::Weapon,  ePrompt::Direction,
                                      ePrompt::Fight,         ePrompt::UseItem, ePrompt::Inventory,
                                      ePrompt::DropItem,      ePrompt::Loot,    ePrompt::Gnome,
                                      ePrompt::GnomeQuestion, ePrompt::Replay,  ePrompt::Exit};
    auto reached = [wanted](const cPromptPlayer& player, ePrompt except) {
        for (ePrompt prompt : wanted) {
            if (prompt != except && prompt != ePrompt::Exit && player.Asked(prompt) == 0) {
                return false;
            }
        }
        return true;
    };
    auto longAnswer = [](char letter) { return std::string(kLongAnswer, letter) + "\n"; };
    auto player = std::make_shared<cPromptPlayer>(
        [&](ePrompt prompt, cPromptPlayer& me) -> std::string {
            const bool gnomeTaken = me.Saw("Recieved Gnome of Antithesis");
            switch (prompt) {
                case ePrompt::Name:
                    return longAnswer('N');
                case ePrompt::Weapon:
                    return longAnswer('s');
                case ePrompt::Direction: {
                    if (reached(me, ePrompt::Replay) && me.Asked(ePrompt::Replay) > 0) {
                        return longAnswer('q');
                    }
                    char step = 0;
                    if (me.Asked(ePrompt::Loot) == 0 || me.Asked(ePrompt::UseItem) == 0) {
                        step = me.Shuttle(kEntrance, kBelowEntrance);
                    } else if (!gnomeTaken) {
                        step = me.StepTowards(kGnomeCell);
                    } else if (me.Asked(ePrompt::DropItem) == 0) {
                        step = 'i';
                    } else {
                        step = me.Shuttle(kGnomeCell, {8, 1});
                    }
                    return longAnswer(step != 0 ? step : 'm');
                }
                case ePrompt::Fight:
                    return longAnswer(me.Asked(ePrompt::UseItem) == 0 ? 'i' : 'a');
                case ePrompt::UseItem:
                    return longAnswer('0');
                case ePrompt::Inventory:
                    return longAnswer('d');
                case ePrompt::DropItem:
                    // A number far too long for any integer names no entry.
                    return longAnswer('1');
                case ePrompt::Loot:
                case ePrompt::Gnome:
                case ePrompt::GnomeQuestion:
                    return longAnswer('y');
                case ePrompt::Replay:
                    return longAnswer(reached(me, ePrompt::Replay) ? 'n' : 'y');
                case ePrompt::Exit:
                    return longAnswer('x');
                default:
                    return std::string();
            }
        },
        3000);
    cGameOptions options;
    options.prepare = [player](cSession& session) {
        gEncounterChance = 100;
        player->Attach(session);
    };
    const cGameResult game = RunGame(options);
    EXPECT_EQ(GameFaults(game, player.get()), "") << player->Summary();
    for (ePrompt prompt : wanted) {
        EXPECT_GT(player->Asked(prompt), 0) << PromptName(prompt) << "; " << player->Summary();
    }
    // The drop menu's overlong number named nobody: the gnome stayed.
    EXPECT_EQ(game.transcript.find("***Dropped"), std::string::npos);
    // Names taken from overlong lines are cut to 255 characters.
    const auto save = SaveLines(game);
    ASSERT_EQ(save.size(), 9u);
    EXPECT_LE(save[5].size(), 255u);
}

// Walks to the gnome, takes it, opens the drop menu and gives `number`.
cGameResult DropWith(const std::string& number) {
    auto player = std::make_shared<cPromptPlayer>(
        [number](ePrompt prompt, cPromptPlayer& me) -> std::string {
            switch (prompt) {
                case ePrompt::Direction: {
                    if (me.Asked(ePrompt::DropItem) > 0) {
                        return "q\n";
                    }
                    const char step = me.StepTowards(kGnomeCell);
                    return std::string(1, step != 0 ? step : 'i') + "\n";
                }
                case ePrompt::Gnome:
                    return "y\n";
                case ePrompt::Inventory:
                    return "d\n";
                case ePrompt::DropItem:
                    return me.Asked(ePrompt::DropItem) == 1 ? number : "q\n";
                default:
                    return PoliteAnswer(prompt);
            }
        },
        200);
    cGameOptions options;
    options.prepare = [player](cSession& session) {
        gEncounterChance = 0;
        player->Attach(session);
    };
    cGameResult game = RunGame(options);
    EXPECT_EQ(GameFaults(game, player.get()), "") << number.substr(0, 40);
    EXPECT_EQ(player->Asked(ePrompt::DropItem), 1) << player->Summary();
    return game;
}

TEST(HostileAnswers, DropNumbersThousandsOfDigitsLongNameNoEntry) {
    for (const std::string& number :
         {std::string(5000, '9') + "\n", "-" + std::string(5000, '9') + "\n",
          "1" + std::string(5000, '0') + "\n", std::string("18446744073709551616\n")}) {
        const cGameResult game = DropWith(number);
        EXPECT_EQ(game.transcript.find("***Dropped"), std::string::npos) << number.substr(0, 40);
    }
    // Leading zeros do not make a number long: thousands of them still name the first entry.
    const cGameResult game = DropWith(std::string(5000, '0') + "\n");
    EXPECT_NE(game.transcript.find("***Dropped Gnome of Antithesis!***"), std::string::npos);
}

// A way to bring up one question, and then the input ends there.
struct cEndingCase {
    const char* name;
    ePrompt at;
    int encounterChance;
    // Answers everything before; gets the question and the player.
    std::function<std::string(ePrompt, cPromptPlayer&)> policy;
};

std::string Towards(cPromptPlayer& me, cCell target) {
    const char step = me.StepTowards(target);
    return std::string(1, step != 0 ? step : 'm') + "\n";
}

std::string Wander(cPromptPlayer& me) {
    return std::string(1, me.Shuttle(kEntrance, kBelowEntrance)) + "\n";
}

const cEndingCase kEndingCases[] = {
    {"name", ePrompt::Name, 0, [](ePrompt p, cPromptPlayer&) { return PoliteAnswer(p); }},
    {"weapon", ePrompt::Weapon, 0, [](ePrompt p, cPromptPlayer&) { return PoliteAnswer(p); }},
    {"direction", ePrompt::Direction, 0, [](ePrompt p, cPromptPlayer&) { return PoliteAnswer(p); }},
    {"fight", ePrompt::Fight, 100,
     [](ePrompt p, cPromptPlayer& me) {
         return p == ePrompt::Direction ? Wander(me) : PoliteAnswer(p);
     }},
    {"use item in a fight", ePrompt::UseItem, 100,
     [](ePrompt p, cPromptPlayer& me) {
         return p == ePrompt::Direction ? Wander(me)
                : p == ePrompt::Fight   ? std::string("i\n")
                                        : PoliteAnswer(p);
     }},
    {"loot", ePrompt::Loot, 100,
     [](ePrompt p, cPromptPlayer& me) {
         return p == ePrompt::Direction ? Wander(me)
                : p == ePrompt::Replay  ? std::string("y\n")
                                        : PoliteAnswer(p);
     }},
    {"inventory menu", ePrompt::Inventory, 0,
     [](ePrompt p, cPromptPlayer&) {
         return p == ePrompt::Direction ? std::string("i\n") : PoliteAnswer(p);
     }},
    {"gnome offer", ePrompt::Gnome, 0,
     [](ePrompt p, cPromptPlayer& me) {
         return p == ePrompt::Direction ? Towards(me, kGnomeCell) : PoliteAnswer(p);
     }},
    {"drop item", ePrompt::DropItem, 0,
     [](ePrompt p, cPromptPlayer& me) {
         if (p == ePrompt::Direction) {
             return me.Saw("Recieved Gnome") ? std::string("i\n") : Towards(me, kGnomeCell);
         }
         return p == ePrompt::Gnome       ? std::string("y\n")
                : p == ePrompt::Inventory ? std::string("d\n")
                                          : PoliteAnswer(p);
     }},
    {"gnome question", ePrompt::GnomeQuestion, 0,
     [](ePrompt p, cPromptPlayer& me) {
         if (p == ePrompt::Direction) {
             return me.Saw("Recieved Gnome") ? std::string(1, me.Shuttle(kGnomeCell, {8, 1})) + "\n"
                                             : Towards(me, kGnomeCell);
         }
         return p == ePrompt::Gnome ? std::string("y\n") : PoliteAnswer(p);
     }},
    {"play again after a win", ePrompt::Replay, 0,
     [](ePrompt p, cPromptPlayer& me) {
         return p == ePrompt::Direction ? Towards(me, {9, 7}) : PoliteAnswer(p);
     }},
    {"play again after a death", ePrompt::Replay, 100,
     [](ePrompt p, cPromptPlayer& me) {
         // Stall every round and eat nothing until the monsters win.
         return p == ePrompt::Direction ? Wander(me)
                : p == ePrompt::Fight   ? std::string("i\n")
                : p == ePrompt::UseItem ? std::string("q\n")
                                        : PoliteAnswer(p);
     }},
    {"press enter", ePrompt::Exit, 0, [](ePrompt p, cPromptPlayer&) { return PoliteAnswer(p); }},
};

TEST(InputEnds, AtAnyQuestionTheGameSavesAndLeavesWithoutAskingAgain) {
    for (const cEndingCase& ending : kEndingCases) {
        auto player = std::make_shared<cPromptPlayer>(
            [&ending](ePrompt prompt, cPromptPlayer& me) {
                return prompt == ending.at ? std::string() : ending.policy(prompt, me);
            },
            2000);
        cGameOptions options;
        const int chance = ending.encounterChance;
        options.prepare = [player, chance](cSession& session) {
            gEncounterChance = chance;
            player->Attach(session);
        };
        const cGameResult game = RunGame(options);
        EXPECT_EQ(player->Asked(ending.at), 1) << ending.name << "; " << player->Summary();
        EXPECT_EQ(GameFaults(game, player.get()), "") << ending.name;
        // Nothing is asked once nobody can answer.
        EXPECT_EQ(player->QuestionsAfterInputEnded(*game.console), 0u) << ending.name;
    }
}

}  // namespace
