// A bounded random soak: whole games fed random standard input. Whatever is typed, the game
// must end by itself with status 0, keep the save, give the console back and stop asking once
// the input has ended. Every game's input comes from the test's own seeded generator, so a
// failure names the seed and shows the input that reproduces it.
//
// kGamesPerStyle keeps the suite quick; raise it, or set VAULTREACH_SOAK_GAMES (and
// VAULTREACH_SOAK_SEED for other inputs) in the environment, for a longer soak.

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "support/PromptPlayer.h"
#include "support/SoakRunner.h"
#include "support/TestPlatform.h"

namespace {

constexpr int kGamesPerStyle = 1000;
constexpr std::uint32_t kBaseSeed = 20240611;

int GamesPerStyle() {
    const char* games = std::getenv("VAULTREACH_SOAK_GAMES");
    return games != nullptr ? std::atoi(games) : kGamesPerStyle;
}

std::uint32_t BaseSeed() {
    const char* seed = std::getenv("VAULTREACH_SOAK_SEED");
    return seed != nullptr ? static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10))
                           : kBaseSeed;
}

// Draws one value per statement: the order in which a compiler evaluates operands is not
// fixed, and the same seed must make the same input everywhere.
class cInputMaker {
  public:
    explicit cInputMaker(std::uint32_t seed) : m_random(seed) {}

    std::uint32_t Below(std::uint32_t bound) { return m_random() % bound; }
    bool Chance(std::uint32_t percent) { return Below(100) < percent; }

    std::string RandomBytes(std::size_t length) {
        std::string bytes(length, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(Below(256));
        }
        return bytes;
    }

    // A letter the game answers to, weighted towards walking and fighting so that games get
    // somewhere before a 'q' ends them.
    char AnswerLetter() {
        static const char kLetters[] = "nnnssssseeeewwwaaaaaarrimmcduyyy0123456789q";
        return kLetters[Below(sizeof kLetters - 1)];
    }

    std::string LineEnd() {
        switch (Below(10)) {
            case 0:
                return "\r\n";
            case 1:
                return " ";
            case 2:
                return "";
            case 3:
                return "\n\n";
            default:
                return "\n";
        }
    }

    // Bytes that are not valid UTF-8: lone continuation bytes, truncated and overlong
    // sequences, encoded surrogates, bytes that never occur.
    std::string InvalidUtf8() {
        static const char* const kBad[] = {"\x80",
                                           "\xbf\xbf",
                                           "\xc3",
                                           "\xe2\x82",
                                           "\xc0\xaf",
                                           "\xed\xa0\x80",
                                           "\xf8\x88\x80\x80\x80",
                                           "\xfe\xff",
                                           "\xf4\x90\x80\x80"};
        return kBad[Below(sizeof kBad / sizeof kBad[0])];
    }

    // Answers the way someone mashing the keyboard might: mostly single letters and line ends,
    // with long lines, NUL bytes, invalid UTF-8, carriage returns and blank lines mixed in.
    std::string PlausibleAnswers(std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t kind = Below(100);
            if (kind < 80) {
                text.push_back(AnswerLetter());
            } else if (kind < 84) {
                const std::uint32_t length = 1 + Below(3000);
                text += std::string(length, AnswerLetter());
            } else if (kind < 88) {
                text += std::string(1 + Below(4), '\0');
            } else if (kind < 92) {
                text += InvalidUtf8();
            } else if (kind < 95) {
                text += std::string(1 + Below(200), '\n');
            } else if (kind < 98) {
                // A number that overflows every integer type, for the drop menu.
                const std::uint32_t length = 20 + Below(60);
                text += std::string(length, static_cast<char>('1' + Below(9)));
            } else {
                text += RandomBytes(1 + Below(16));
            }
            text += LineEnd();
        }
        return text;
    }

    std::string Name() {
        switch (Below(6)) {
            case 0:
                return "";
            case 1:
                return std::string(200 + Below(2000), 'N');
            case 2:
                return RandomBytes(Below(40));
            case 3:
                return std::string("A\0n\0n", 5) + InvalidUtf8();
            default:
                return "Ann";
        }
    }

    std::int32_t EncounterChance() {
        switch (Below(4)) {
            case 0:
                return 0;
            case 1:
                return 30;
            case 2:
                return 100;
            default:
                return static_cast<std::int32_t>(Below(101));
        }
    }

  private:
    std::mt19937 m_random;
};

// Walks from the entrance, each ending where something happens.
const char* const kToTheGnome = "s\ns\ns\ns\nw\ns\ns\ns\ne\ns\ns\n";
const char* const kToTheFirstPage = "s\ns\ns\ns\nw\ns\ns\ns\n";
const char* const kToTheExit =
    "s\ns\ns\ns\ne\ne\ne\ne\ns\ns\ne\ne\nn\nn\nn\nn\ne\ne\ns\ns\ns\ns\ns\ns\nw\nw\ns\n";

enum class eStyle { RandomBytes, PlausibleAnswers, DeepGames };

cSoakGame MakeGame(eStyle style, cInputMaker& maker) {
    cSoakGame game;
    game.seed = maker.Below(1u << 30);
    game.encounterChance = maker.EncounterChance();
    switch (style) {
        case eStyle::RandomBytes: {
            const std::size_t length = maker.Chance(80) ? maker.Below(600) : maker.Below(20000);
            game.input = maker.RandomBytes(length);
            break;
        }
        case eStyle::PlausibleAnswers: {
            game.input = maker.Name() + "\n";
            const std::uint32_t answers = maker.Below(400);
            game.input += maker.PlausibleAnswers(answers);
            break;
        }
        case eStyle::DeepGames: {
            // A sensible start that reaches the gnome, a story page or the end, then chaos.
            game.input = maker.Name() + "\n";
            game.input += maker.Chance(50) ? "s\n" : "a\n";
            switch (maker.Below(4)) {
                case 0: {
                    // Attacks after each step finish most fights on the way (and are ignored
                    // where there is none), so the walk usually arrives; fewer monsters keep
                    // the player alive on the way.
                    game.encounterChance = game.encounterChance > 30 ? 30 : game.encounterChance;
                    const std::string padding =
                        game.encounterChance > 0 ? "a\na\na\na\na\na\na\na\n" : "";
                    // The last step enters the gnome's cell, where no monster comes and the
                    // next answer is the offer's.
                    for (const char* step = kToTheGnome; *step != '\0'; step += 2) {
                        game.input += std::string(step, 2) + (step[2] != '\0' ? padding : "");
                    }
                    game.input += maker.Chance(70) ? "y\n" : "n\n";
                    break;
                }
                case 1:
                    game.input += kToTheFirstPage;
                    break;
                case 2:
                    game.input += kToTheExit;
                    game.encounterChance = maker.Chance(50) ? 0 : game.encounterChance;
                    break;
                default:
                    break;
            }
            const std::uint32_t answers = maker.Below(600);
            game.input += maker.PlausibleAnswers(answers);
            break;
        }
    }
    return game;
}

const char* StyleName(eStyle style) {
    switch (style) {
        case eStyle::RandomBytes:
            return "RandomBytes";
        case eStyle::PlausibleAnswers:
            return "PlausibleAnswers";
        default:
            return "DeepGames";
    }
}

void PrintTo(eStyle style, std::ostream* out) {
    *out << StyleName(style);
}

bool Contains(const std::string& text, const char* what) {
    return text.find(what) != std::string::npos;
}

class RandomInput : public ::testing::TestWithParam<eStyle> {};

TEST_P(RandomInput, EndsCleanlyKeepsTheSaveAndStopsAskingOnceTheInputEnds) {
    cSoakRunner runner;
    const int games = GamesPerStyle();
    const std::uint32_t baseSeed = BaseSeed() + static_cast<std::uint32_t>(GetParam()) * 1000003u;
    int fights = 0;
    int gnomes = 0;
    int endings = 0;
    for (int i = 0; i < games; ++i) {
        const std::uint32_t seed = baseSeed + static_cast<std::uint32_t>(i);
        cInputMaker maker(seed);
        const cSoakGame game = MakeGame(GetParam(), maker);
        const cSoakOutcome outcome = runner.Play(game);
        const std::string faults = outcome.Faults();
        if (!faults.empty()) {
            const std::string saved =
                ::testing::TempDir() + "vaultreach-soak-" + std::to_string(seed) + ".input";
            std::ofstream(saved, std::ios::binary) << game.input;
            const std::string& transcript = outcome.transcript;
            ADD_FAILURE() << faults << "style " << StyleName(GetParam()) << ", input seed " << seed
                          << " (VAULTREACH_SOAK_SEED=" << BaseSeed() << "), game seed " << game.seed
                          << ", encounter chance " << game.encounterChance << "\ninput (whole in "
                          << saved << "): " << EscapeBytes(game.input)
                          << "\nend of the transcript: "
                          << EscapeBytes(transcript.substr(
                                 transcript.size() > 3000 ? transcript.size() - 3000 : 0));
            break;
        }
        fights += Contains(outcome.transcript, "approaches.") ? 1 : 0;
        gnomes += Contains(outcome.transcript, "Recieved Gnome of Antithesis") ? 1 : 0;
        endings += Contains(outcome.transcript, "Do you want to play again?") ? 1 : 0;
    }
    std::cout << "[ soak     ] " << StyleName(GetParam()) << ": " << games << " games, " << fights
              << " with a fight, " << gnomes << " with the gnome taken, " << endings
              << " won or lost" << std::endl;
    // A soak that never gets past the name tests little; the walking styles must go deeper.
    if (GetParam() != eStyle::RandomBytes && games >= 20) {
        EXPECT_GT(fights, 0);
        EXPECT_GT(endings, 0);
    }
    if (GetParam() == eStyle::DeepGames && games >= 20) {
        EXPECT_GT(gnomes, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Soak, RandomInput,
                         ::testing::Values(eStyle::RandomBytes, eStyle::PlausibleAnswers,
                                           eStyle::DeepGames),
                         [](const ::testing::TestParamInfo<eStyle>& info) {
                             return std::string(StyleName(info.param));
                         });

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The fuzzer's seed inputs play cleanly under the fuzzer's own checks, and each reaches what
// its name promises, so the fuzzer starts from games that get somewhere.
TEST(FuzzCorpus, EverySeedPlaysCleanlyAndReachesWhatItIsNamedFor) {
    const std::string folder = std::string(VAULTREACH_DATA_DIR) + "/../tests/fuzz/corpus";
    const std::string secondPage = ReadFile(std::string(VAULTREACH_DATA_DIR) + "/Plot Point 2.txt");
    const std::map<std::string, std::string> reaches = {
        {"win-walk-and-play-again.txt", "You made it to the end!"},
        {"fight.txt", "approaches."},
        {"gnome-taken-and-dropped.txt", "***Dropped Gnome of Antithesis!***"},
        {"gnome-declined.txt", "Do you take the Gnome of Antithesis(y/n)? "},
        {"gnome-questions-with-monsters.txt", "(y/n): "},
        {"inventory-use-and-drop.txt", "***Ann used Bread!***"},
        {"story-pages.txt", secondPage},
        {"death-and-replay.txt", "You have died"},
        {"hostile-bytes.txt", "You have no items to drop."},
    };
    const std::map<std::string, ePrompt> endsAt = {
        {"eof-in-name.txt", ePrompt::Name},         {"eof-at-weapon.txt", ePrompt::Weapon},
        {"eof-mid-fight.txt", ePrompt::Fight},      {"eof-in-use-menu.txt", ePrompt::UseItem},
        {"eof-at-gnome-offer.txt", ePrompt::Gnome}, {"eof-at-drop-menu.txt", ePrompt::DropItem},
        {"eof-at-play-again.txt", ePrompt::Replay},
    };
    DIR* corpus = opendir(folder.c_str());
    ASSERT_NE(corpus, nullptr) << folder;
    cSoakRunner runner;
    std::size_t seeds = 0;
    while (const dirent* entry = readdir(corpus)) {
        const std::string name = entry->d_name;
        if (name[0] == '.') {
            continue;
        }
        ++seeds;
        const cSoakOutcome outcome = runner.Play(GameFromFuzzInput(ReadFile(folder + "/" + name)));
        EXPECT_EQ(outcome.Faults(), "") << name;
        const auto reached = reaches.find(name);
        const auto ended = endsAt.find(name);
        if (reached != reaches.end()) {
            EXPECT_NE(outcome.transcript.find(reached->second), std::string::npos) << name;
        } else if (ended != endsAt.end()) {
            ASSERT_TRUE(outcome.inputEnded) << name;
            ASSERT_TRUE(outcome.promptAtInputEnd.has_value()) << name;
            EXPECT_EQ(PromptName(*outcome.promptAtInputEnd), std::string(PromptName(ended->second)))
                << name;
        } else {
            ADD_FAILURE() << name << ": say what this seed reaches";
        }
    }
    closedir(corpus);
    EXPECT_EQ(seeds, reaches.size() + endsAt.size());
}

}  // namespace
