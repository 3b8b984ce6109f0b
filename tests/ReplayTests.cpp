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

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPlatform.h"

namespace {

// VAULTREACH_REPLAY_DIR in the environment plays (or records) a copy elsewhere instead.
const std::string kReplayDirectory =
    std::getenv("VAULTREACH_REPLAY_DIR") ? std::getenv("VAULTREACH_REPLAY_DIR") : VAULTREACH_REPLAY_DIR;

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
