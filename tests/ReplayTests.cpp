// Stored replays: every folder of tests/replays is one seeded game, played in-process on the
// null platform and compared byte for byte with what it left when it was recorded.
//   seed                  the calendar seconds that seed the generator
//   input                 all of standard input
//   transcript            standard output, each colour change written as {N}
//   Player.txt, log.txt   the files the game wrote (the build date of the log as {build date})
//   clock                 the virtual clock at the end: the sum of every pause and turn delay
// With VAULTREACH_RECORD_REPLAYS=1 in the environment the test writes the last four instead of
// comparing them (tools/record_replays.sh), for a change meant to change the games.
//
// The games between them: a win with loot taken and a step east off the grid from column 9;
// a death at exactly 0 health by stalling with the item menu, then a second game; the gnome
// taken, heard and dropped; every direction command and inventory menu, a whole word typed at
// the weapon and the fight prompts, a run away and loot refused.
//
// The same games show what the game tells its console: every prompt's choices are the ones the
// player reads, and played with --screen-reader each game is the same game with each picture
// written as its name and each map as its words, and nothing else changed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPlatform.h"

namespace {

// VAULTREACH_REPLAY_DIR in the environment plays (or records) a copy elsewhere instead.
const std::string kReplayDirectory = std::getenv("VAULTREACH_REPLAY_DIR")
                                         ? std::getenv("VAULTREACH_REPLAY_DIR")
                                         : VAULTREACH_REPLAY_DIR;

std::vector<std::string> ReplayNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kReplayDirectory, error)) {
        if (entry.is_directory()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The log names the moment the game was built; that part is kept as {build date}.
std::string WithoutBuildDate(std::string log) {
    const std::size_t start = log.find('\n');
    const std::size_t end = log.find(" v", start);
    if (start != std::string::npos && end != std::string::npos) {
        log.replace(start + 1, end - start - 1, "{build date}");
    }
    return log;
}

class Replay : public testing::TestWithParam<std::string> {};

TEST_P(Replay, PlaysAsRecorded) {
    const std::string folder = kReplayDirectory + "/" + GetParam();
    cGameOptions options;
    options.input = ReadFile(folder + "/input");
    options.seed = std::atoll(ReadFile(folder + "/seed").c_str());
    const cGameResult game = RunGame(options);
    ASSERT_EQ(game.status, 0);
    const std::pair<std::string, std::string> outcomes[] = {
        {"transcript", game.transcript},
        {"Player.txt", game.File("Player.txt")},
        {"log.txt", WithoutBuildDate(game.File("log.txt"))},
        {"clock", std::to_string(game.clockAtEnd) + "\n"},
    };
    const bool recording = std::getenv("VAULTREACH_RECORD_REPLAYS") != nullptr;
    for (const auto& outcome : outcomes) {
        const std::string path = folder + "/" + outcome.first;
        if (recording) {
            std::ofstream(path, std::ios::binary | std::ios::trunc) << outcome.second;
        } else {
            EXPECT_EQ(outcome.second, ReadFile(path))
                << outcome.first << " of " << GetParam() << " (tools/record_replays.sh shows how)";
        }
    }
}

cGameOptions StoredGame(const std::string& name) {
    const std::string folder = kReplayDirectory + "/" + name;
    cGameOptions options;
    options.input = ReadFile(folder + "/input");
    options.seed = std::atoll(ReadFile(folder + "/seed").c_str());
    return options;
}

TEST_P(Replay, EveryPromptOffersTheChoicesThePlayerReads) {
    const cGameResult game = RunGame(StoredGame(GetParam()));
    ASSERT_FALSE(game.console->prompts.empty());
    std::streamoff from = 0;
    for (const cShownPrompt& prompt : game.console->prompts) {
        ASSERT_GE(prompt.at, from);
        const std::string shown = StripColours(game.transcript.substr(
            static_cast<std::size_t>(from), static_cast<std::size_t>(prompt.at - from)));
        from = prompt.at;
        const bool typed = prompt.kind == ePrompt::Name;
        EXPECT_EQ(prompt.choices.empty(), typed) << PromptName(prompt.kind);
        for (const cChoice& choice : prompt.choices) {
            // Each printed label gives its answer in brackets, in lower case (the weapon is
            // taken as typed, and only "s" and "a" choose one); a question that prints none asks
            // for y or n, and the last one for Enter.
            const std::string line = "\n" + choice.label + "\n";
            if (shown.find(line) != std::string::npos) {
                const std::size_t open = choice.label.find('(');
                std::string letter =
                    choice.label.substr(open + 1, choice.label.find(')') - open - 1);
                std::transform(letter.begin(), letter.end(), letter.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                EXPECT_EQ(choice.answer, letter) << choice.label;
            } else if (prompt.kind == ePrompt::Exit) {
                EXPECT_NE(shown.find(choice.label), std::string::npos) << choice.label;
                EXPECT_EQ(choice.answer, "");
            } else {
                EXPECT_TRUE(choice.answer == "y" || choice.answer == "n")
                    << PromptName(prompt.kind) << " offers " << choice.label << " unprinted";
            }
        }
    }
}

// The transcript with each picture and each map as a screen-reader user gets them.
std::string AsHeard(std::string transcript, const cConsoleRecord& console) {
    std::size_t at = 0;
    const auto replace = [&](const std::string& drawn, const std::string& heard) {
        at = transcript.find(drawn, at);
        ASSERT_NE(at, std::string::npos) << heard;
        transcript.replace(at, drawn.size(), heard);
        at += heard.size();
    };
    std::size_t picture = 0;
    std::size_t map = 0;
    // Pictures and maps in the order they were shown: the next of each kind that comes first.
    while (picture < console.pictures.size() || map < console.maps.size()) {
        std::string mapDrawn;
        std::string mapHeard;
        if (map < console.maps.size()) {
            for (std::size_t row = 0; row < console.maps[map].rows.size(); ++row) {
                mapDrawn += console.maps[map].rows[row] + "\n";
                mapHeard += console.maps[map].words[row] + "\n";
            }
        }
        const std::size_t nextMap =
            map < console.maps.size() ? transcript.find(mapDrawn, at) : std::string::npos;
        const std::size_t nextPicture = picture < console.pictures.size()
                                            ? transcript.find(console.pictures[picture].bytes, at)
                                            : std::string::npos;
        if (nextMap < nextPicture) {
            replace(mapDrawn, mapHeard);
            ++map;
        } else {
            replace(console.pictures[picture].bytes, console.pictures[picture].name + "\n");
            ++picture;
        }
    }
    return transcript;
}

TEST_P(Replay, AScreenReaderHearsNamesForPicturesAndWordsForTheMap) {
    const cGameResult drawn = RunGame(StoredGame(GetParam()));
    cGameOptions options = StoredGame(GetParam());
    options.arguments = {"--screen-reader"};
    const cGameResult heard = RunGame(options);
    ASSERT_FALSE(drawn.console->pictures.empty());
    EXPECT_EQ(drawn.console->pictures.front().name, "Vaultreach");
    EXPECT_EQ(heard.status, drawn.status);
    EXPECT_EQ(heard.transcript, AsHeard(drawn.transcript, *drawn.console));
    EXPECT_EQ(heard.File("Player.txt"), drawn.File("Player.txt"));
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Stored, Replay, testing::ValuesIn(ReplayNames()), TestName);

TEST(Replay, TheFolderHoldsGames) {
    EXPECT_GE(ReplayNames().size(), 4u) << kReplayDirectory;
}

}  // namespace
