// Whole games, played in-process from scripted input, as a player meets them.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "characters/Enemy.h"
#include "game/Game.h"
#include "platform/Random.h"
#include "support/TestPlatform.h"

namespace {

// Story pages and encounters under the test's control.
cGameOptions Quiet(const std::string& input) {
    cGameOptions options;
    options.input = input;
    options.files["Plot Point 1.txt"] = "PAGE ONE\n";
    options.files["Plot Point 2.txt"] = "PAGE TWO\n";
    options.prepare = [](cSession&) { gEncounterChance = 0; };
    return options;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

const char* const kTurnPrompt =
    "{10}\nWhich way do you want to go?\n{14}(N)orth\n(S)outh\n(E)ast\n(W)est\n(M)ap\n"
    "(I)nventory\n(C)ondition\n(Q)uit\n?:{7}";

TEST(GameStartAndEnd, QuitAtOnceWritesTheLogSavesAndSaysGoodbye) {
    const cGameResult game = RunGame(Quiet("Ann\na\nq\n\n"));
    EXPECT_EQ(game.status, 0);
    const auto log = Lines(game.File("log.txt"));
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[0], "Vaultreach");
    EXPECT_TRUE(std::regex_match(log[1], std::regex("[A-Z][a-z]{2} [ 0-9]\\d \\d{4} "
                                                    "\\d\\d:\\d\\d:\\d\\d v1\\.2")))
        << log[1];
    EXPECT_EQ(log[2], "Intializing Console...Success.");
    EXPECT_EQ(log[3], "Creating and initializing game objects...Success.");
    EXPECT_EQ(log[4], "Starting Game.");
    EXPECT_EQ(log[5], "Entering Game Loop...Done.");
    EXPECT_EQ(log[6], "Saving Player Data.");
    EXPECT_EQ(log[7], "Exiting with return code 0");
    EXPECT_EQ(log[8], "Thanks for playing.");

    // The axe, the gnome's toll on attack, and the entrance.
    EXPECT_EQ(game.File("Player.txt"), "100\n9\n8\n6\n25\nAnn\nAxe\n0\n0 1\n");
    const std::string ending = std::string(kTurnPrompt) +
                               "{15}\nHope you enjoyed playing Vaultreach.\n\nPress Enter to exit";
    ASSERT_GE(game.transcript.size(), ending.size());
    EXPECT_EQ(game.transcript.substr(game.transcript.size() - ending.size()), ending);
    EXPECT_EQ(game.console->title, "Vaultreach");
    EXPECT_GE(game.console->restores, 1);
}

// The command line: the screen-reader mode by option or by the environment, the usage, and an
// unknown option refused before anything is written.
TEST(GameStartAndEnd, OptionsAndTheScreenReaderVariable) {
    struct cCase {
        std::vector<std::string> arguments;
        const char* variable;  // VAULTREACH_SCREEN_READER, or null for unset
        int status;
        bool pictureByName;
    };
    const cCase cases[] = {
        {{}, nullptr, 0, false},
        {{"--screen-reader"}, nullptr, 0, true},
        {{}, "1", 0, true},
        {{}, "0", 0, false},
        {{}, "", 0, false},
        {{"--screen-reader"}, "0", 0, true},
        {{"--help"}, nullptr, 0, false},
        {{"--screen"}, nullptr, 2, false},
        {{"--screen-reader", "extra"}, nullptr, 2, false},
    };
    for (const cCase& test : cases) {
        const std::string name = ::testing::PrintToString(test.arguments) + " with " +
                                 (test.variable ? test.variable : "no variable");
        if (test.variable) {
            SetEnvironment("VAULTREACH_SCREEN_READER", test.variable, true);
        }
        cGameOptions options = Quiet("Ann\na\nq\n\n");
        options.arguments = test.arguments;
        const cGameResult game = RunGame(options);
        SetEnvironment("VAULTREACH_SCREEN_READER", "", true);
        EXPECT_EQ(game.status, test.status) << name;
        const bool played = game.directory->Exists("Player.txt");
        EXPECT_EQ(played, test.status == 0 && test.arguments != std::vector<std::string>{"--help"})
            << name;
        if (!played) {
            EXPECT_FALSE(game.directory->Exists("log.txt")) << name;
            continue;
        }
        EXPECT_EQ(game.transcript.find("{128}Vaultreach\n\n") != std::string::npos,
                  test.pictureByName)
            << name;
        EXPECT_EQ(game.transcript.find("|  ##   ##") == std::string::npos, test.pictureByName)
            << name;
    }
    cGameOptions help = Quiet("");
    help.arguments = {"--help"};
    EXPECT_EQ(RunGame(help).transcript.rfind("Usage: vaultreach [--screen-reader]\n", 0), 0u);
}

TEST(GameStartAndEnd, EveryTurnOpensWithThePassageLineInTheNormalColour) {
    const cGameResult game = RunGame(Quiet("Ann\ns\nm\nq\n"));
    const std::string turn = "{7}\nThe ";
    EXPECT_EQ(Count(game.transcript, turn), 2u);
    EXPECT_EQ(Count(game.transcript, kTurnPrompt), 2u);
}

TEST(GameStartAndEnd, SameSeedSameGame) {
    cGameOptions options;
    options.input = WalkToExitInput() + "n\n";
    options.seed = 4242;
    const cGameResult first = RunGame(options);
    const cGameResult second = RunGame(options);
    EXPECT_EQ(first.transcript, second.transcript);
    options.seed = 4243;
    EXPECT_NE(RunGame(options).transcript, first.transcript);
}

TEST(GameStartAndEnd, WithoutAConsoleTheLogSaysSoAndTheGameEndsWithStatusOne) {
    cGameOptions options = Quiet("");
    options.consoleUsable = false;
    const cGameResult game = RunGame(options);
    EXPECT_EQ(game.status, 1);
    EXPECT_EQ(game.transcript, "");
    const auto log = Lines(game.File("log.txt"));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2], "Intializing Console...Failed to initialize console.  Shutting down.");
    EXPECT_FALSE(game.directory->Exists("Player.txt"));
}

TEST(GameStartAndEnd, WithoutALogFileNothingStarts) {
    cGameOptions options = Quiet("");
    options.prepare = [](cSession&) {
        // A directory where the log should go cannot be opened as a file.
        std::filesystem::create_directory("log.txt");
    };
    const cGameResult game = RunGame(options);
    EXPECT_EQ(game.status, 1);
    EXPECT_EQ(game.transcript, "Failed to create log file, aborting.\n");
    EXPECT_TRUE(game.console->title.empty());
}

TEST(GameStartAndEnd, AFailedSaveIsLoggedAndEndsWithStatusOne) {
    // A save the player made read-only is kept, and so is one on a full disk.
    cGameOptions options = Quiet("Ann\ns\nq\n");
    options.files["Player.txt"] = "old save\n";
    options.prepare = [](cSession&) {
        gEncounterChance = 0;
        std::filesystem::permissions("Player.txt",
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    };
    const cGameResult game = RunGame(options);
    EXPECT_EQ(game.status, 1);
    EXPECT_EQ(game.File("Player.txt"), "old save\n");
    EXPECT_NE(game.transcript.find("Failed to open Player.txt\n"), std::string::npos);
    const auto log = Lines(game.File("log.txt"));
    ASSERT_EQ(log.size(), 10u);
    EXPECT_EQ(log[6], "Saving Player Data.");
    EXPECT_EQ(log[7], "Failed to save Player.txt; the previous save is kept.");
    EXPECT_EQ(log[8], "Exiting with return code 1");
    EXPECT_EQ(log[9], "Thanks for playing.");
}

TEST(GameStartAndEnd, MissingSoundAndWeaponTablesStillStartTheGame) {
    cGameOptions options = Quiet("Ann\ns\nc\nq\n");
    options.removed = {"sounds.txt", "Weapons.txt"};
    const cGameResult game = RunGame(options);
    EXPECT_EQ(Lines(game.File("log.txt"))[3], "Creating and initializing game objects...Success.");
    EXPECT_NE(game.File("WeaponsLog.txt").find("cWeaponManager: Failed to load Weapons.txt."),
              std::string::npos);
    // Without a table the sword is not found and the player fights unarmed.
    EXPECT_NE(game.transcript.find("Weapon:     None Damage: 0\n"), std::string::npos);
    EXPECT_EQ(game.status, 0);
}

TEST(Turns, TheDelayShrinksBy200AndIsGoneAtTheEleventhPrompt) {
    cGameOptions options = Quiet("Ann\ns\n");
    std::vector<std::uint32_t> readAt;
    options.prepare = [&readAt](cSession& session) {
        gEncounterChance = 0;
        gPauseJitter = 1;  // no spread: each pause lasts its nominal time plus 2 ms
        cVirtualClock* clock = &session.clock();
        for (int i = 0; i < 12; ++i) {
            session.input().AddAction([clock, &readAt] { readAt.push_back(clock->Peek()); });
            session.input().Add("m\n");
        }
        session.input().Add("q\n");
    };
    RunGame(options);
    ASSERT_EQ(readAt.size(), 12u);
    // Between two prompts: the map, the passage line and the pause before the next prompt.
    for (std::size_t i = 1; i < readAt.size(); ++i) {
        const std::uint32_t between = readAt[i] - readAt[i - 1];
        const int delay = 2000 - 200 * static_cast<int>(i);
        EXPECT_EQ(between, delay > 0 ? static_cast<std::uint32_t>(delay + 3) : 0u)
            << "before prompt " << i + 1;
    }
}

TEST(Turns, WallsAndTheGridEdgeNeverStartAFight) {
    cGameOptions options;
    options.input = "Ann\ns\nn\nw\ne\nq\n";
    options.prepare = [](cSession&) { gEncounterChance = 100; };
    const cGameResult game = RunGame(options);
    EXPECT_EQ(Count(game.transcript, "{7}\nThere is a wall there.\n"), 3u);
    EXPECT_EQ(game.transcript.find("approaches."), std::string::npos);
    EXPECT_EQ(game.File("Player.txt").substr(game.File("Player.txt").size() - 4), "0 1\n");
}

TEST(Turns, UnknownAnswersPassTheTurnAndUpperCaseCounts) {
    const cGameResult game = RunGame(Quiet("Ann\ns\nzzz\n?\nS\nQ\n"));
    EXPECT_EQ(Count(game.transcript, kTurnPrompt), 4u);
    EXPECT_NE(game.File("Player.txt").find("\n1 1\n"), std::string::npos);
}

TEST(StoryPages, ShowInOrderWhicheverCellComesFirst) {
    // The lower page first: down the west side to row 7, column 0, then up to row 1, column 5.
    const cGameResult game =
        RunGame(Quiet("Ann\ns\ns\ns\ns\ns\nw\ns\ns\ns\nn\nn\nn\ne\ne\ne\nn\nn\ne\ne\nn\nq\n"));
    const std::size_t first = game.transcript.find("{15}PAGE ONE\n{7}");
    const std::size_t second = game.transcript.find("{15}PAGE TWO\n{7}");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_EQ(game.File("Player.txt").substr(game.File("Player.txt").size() - 4), "1 5\n");
}

TEST(StoryPages, AMissingPageIsAnEmptyPage) {
    cGameOptions options = Quiet("Ann\ns\ns\ns\ns\ns\nw\ns\ns\ns\nq\n");
    options.files.erase("Plot Point 1.txt");
    options.removed = {"Plot Point 1.txt"};
    const cGameResult game = RunGame(options);
    EXPECT_NE(game.transcript.find("{15}{7}"), std::string::npos);
    EXPECT_EQ(game.status, 0);
    EXPECT_EQ(Lines(game.File("log.txt")).size(), 9u);

    // So is a page past its limit, and the log says why.
    options.removed.clear();
    options.files["Plot Point 1.txt"] = std::string(1024 * 1024 + 1, 'p');
    const cGameResult large = RunGame(options);
    EXPECT_NE(large.transcript.find("{15}{7}"), std::string::npos);
    const auto log = Lines(large.File("log.txt"));
    ASSERT_EQ(log.size(), 10u);
    EXPECT_EQ(log[4], "Starting Game.");
    EXPECT_EQ(log[5], "Plot Point 1.txt is larger than 1048576 bytes and was not read.");
}

TEST(Winning, ReportsWholeMinutesAndAsksToPlayAgain) {
    cGameOptions options = Quiet("");
    options.prepare = [](cSession& session) {
        gEncounterChance = 0;
        const std::string walk = WalkToExitInput();
        // Ten minutes of thought before the last step, on top of the story's pauses.
        const std::size_t lastStep = walk.rfind("s\n");
        session.input().Add(walk.substr(0, lastStep));
        cVirtualClock* clock = &session.clock();
        session.input().AddAction([clock] { clock->Advance(10 * 60 * 1000); });
        session.input().Add("s\nn\n");
    };
    const cGameResult game = RunGame(options);
    EXPECT_NE(game.transcript.find("{10}\nYou made it to the end!  You saved Tovashal!\n"
                                   "It took you 11 minutes to complete!\n"
                                   "Do you want to play again?\n?:{15}"),
              std::string::npos);
    EXPECT_NE(game.File("Player.txt").find("\n9 7\n"), std::string::npos);
}

TEST(Winning, MinutesAreWholeAndSurviveTheTickWrapping) {
    EXPECT_EQ(MinutesBetween(5000, 5000 + 59000), 0);
    EXPECT_EQ(MinutesBetween(5000, 5000 + 60000), 1);
    EXPECT_EQ(MinutesBetween(0xFFFFF000u, 0xFFFFF000u + 125000u), 2);
}

TEST(Winning, OnlyYesPlaysAgainAndEmptyLinesAreSkipped) {
    for (const char* answer : {"n\n", "x\n", "\n\nn\n"}) {
        const cGameResult game = RunGame(Quiet(WalkToExitInput() + answer));
        EXPECT_EQ(Count(game.transcript, "Vaultreach v1.2"), 1u) << answer;
        EXPECT_EQ(Lines(game.File("log.txt"))[5], "Entering Game Loop...Done.");
    }
    const cGameResult game = RunGame(Quiet(WalkToExitInput() + "Y\nq\n"));
    EXPECT_EQ(Count(game.transcript, "Vaultreach v1.2"), 2u);
    EXPECT_EQ(Lines(game.File("log.txt"))[5], "Entering Game Loop...Entering Game Loop...Done.");
    // Every game opens with the title music, looping for as long as it lasts.
    EXPECT_EQ(game.audio->plays, (std::vector<int>{-1, -1}));
    EXPECT_EQ(game.audio->opens, 1);
    EXPECT_EQ(game.audio->closes, 1);
    // The new game starts at the entrance, alive, carrying both loaves.
    EXPECT_NE(game.File("Player.txt").find("\n0 1\n"), std::string::npos);
    EXPECT_NE(game.transcript.find("Bread"), std::string::npos);
}

TEST(Winning, TheReplayNameIsTheRestOfTheAnswerLine) {
    // "y Bo" answers yes; the name prompt takes " Bo" from the same line without waiting.
    const cGameResult game = RunGame(Quiet(WalkToExitInput() + "y Bo\na\nq\n"));
    EXPECT_NE(game.transcript.find("There is evil afoot  Bo."), std::string::npos);
    EXPECT_NE(game.File("Player.txt").find("\n Bo\nAxe\n"), std::string::npos);
}

TEST(Exiting, PressEnterWaitsOnlyWhenNoLineIsPending) {
    // After a quit the rest of the line is already gone: the farewell waits for a new line.
    bool readPastQuit = false;
    cGameOptions options = Quiet("");
    options.prepare = [&readPastQuit](cSession& session) {
        gEncounterChance = 0;
        session.input().Add("Ann\ns\nq\n");
        session.input().AddAction([&readPastQuit] { readPastQuit = true; });
        session.input().Add("\n");
    };
    RunGame(options);
    EXPECT_TRUE(readPastQuit);

    // After the replay answer its line end is still pending: the wait ends at once.
    bool readPastAnswer = false;
    options.prepare = [&readPastAnswer](cSession& session) {
        gEncounterChance = 0;
        session.input().Add(WalkToExitInput() + "n\n");
        session.input().AddAction([&readPastAnswer] { readPastAnswer = true; });
        session.input().Add("\n");
    };
    RunGame(options);
    EXPECT_FALSE(readPastAnswer);
}

TEST(Exiting, EndOfInputAnywhereEndsThePlayAsAQuit) {
    for (const char* input : {"", "Ann", "Ann\n", "Ann\ns", "Ann\ns\n", "Ann\ns\ns\ns\n"}) {
        const cGameResult game = RunGame(Quiet(input));
        EXPECT_EQ(game.status, 0) << input;
        EXPECT_TRUE(game.directory->Exists("Player.txt")) << input;
        EXPECT_NE(game.transcript.find("Press Enter to exit"), std::string::npos) << input;
        EXPECT_EQ(Lines(game.File("log.txt")).back(), "Thanks for playing.") << input;
    }
}

TEST(Dying, TheDeathEndingThenANewGameStartsAliveAtTheEntrance) {
    cGameOptions options;
    options.prepare = [](cSession& session) {
        gEncounterChance = 100;
        session.input().Add("Ann\na\ns\n");
        // Never strike: stall with the inventory and eat nothing, until the monster wins.
        cSession* watched = &session;
        session.input().SetFeeder(
            [watched]() -> std::string {
                const std::string& text = watched->Transcript();
                const std::string question = "Do you want to play again?\n?:";
                if (text.size() >= question.size() &&
                    text.compare(text.size() - question.size(), question.size(), question) == 0) {
                    return "y\na\nq\n";
                }
                return text.find("The End.") == std::string::npos ? "i\nq\n" : "";
            },
            // A fight lost by stalling takes a few dozen answers; a changed rule must not
            // keep the test answering forever.
            200);
    };
    const cGameResult game = RunGame(options);
    const std::string death =
        "{4}\nYou have died, and failed to save Tovashal.\n"
        "Malverns Minions overrun the castle, slaughtering everybody.\nThe End.\n"
        "Do you want to play again?\n?:";
    ASSERT_NE(game.transcript.find(death), std::string::npos);
    EXPECT_EQ(Count(game.transcript, "Vaultreach v1.2"), 2u);
    EXPECT_EQ(game.File("Player.txt").substr(0, 4), "100\n");
    // The name prompt took the empty rest of the "y" line.
    EXPECT_NE(game.File("Player.txt").find("\n\nAxe\n0\n0 1\n"), std::string::npos);
}

}  // namespace
