// FIFOs and links where the game writes its logs and its save: the game never blocks on one
// and never writes through one.
// Linux only: it makes FIFOs, symbolic links and hard links.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "characters/Enemy.h"
#include "support/TestPlatform.h"

namespace {

cGameOptions Quiet(const std::string& input) {
    cGameOptions options;
    options.input = input;
    options.files["Plot Point 1.txt"] = "PAGE ONE\n";
    options.files["Plot Point 2.txt"] = "PAGE TWO\n";
    options.prepare = [](cSession&) { gEncounterChance = 0; };
    return options;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(GameStartAndEnd, FilesTheGameWritesCannotBeFifosThatHoldItForever) {
    // A FIFO where the log should go would block the game until someone read it.
    cGameOptions options = Quiet("Ann\ns\nq\n");
    options.prepare = [](cSession&) { mkfifo("log.txt", 0644); };
    cGameResult game = RunGame(options);
    EXPECT_EQ(game.status, 1);
    EXPECT_EQ(game.transcript, "Failed to create log file, aborting.\n");

    // The managers' logs are only lost; a stale temporary save of any kind is replaced.
    options.prepare = [](cSession&) {
        gEncounterChance = 0;
        mkfifo("WeaponsLog.txt", 0644);
        mkfifo("AudioLog.txt", 0644);
        mkfifo("Player.txt.tmp", 0644);
    };
    game = RunGame(options);
    EXPECT_EQ(game.status, 0);
    EXPECT_EQ(game.File("Player.txt"), "100\n10\n8\n6\n25\nAnn\nSword\n0\n0 1\n");
    EXPECT_FALSE(game.directory->Exists("Player.txt.tmp"));
}

TEST(GameStartAndEnd, LinksWhereTheGameWritesAreReplacedNeverWrittenThrough) {
    // Hard links and symbolic links to a file of the player's, at every name the game writes.
    const char* const written[] = {"log.txt", "WeaponsLog.txt", "AudioLog.txt", "Player.txt"};
    for (bool symbolic : {false, true}) {
        cGameOptions options = Quiet("Ann\ns\nq\n");
        options.files["precious.txt"] = "keep me\n";
        options.prepare = [&](cSession&) {
            gEncounterChance = 0;
            for (const char* name : written) {
                if (symbolic) {
                    ASSERT_EQ(symlink("precious.txt", name), 0) << name;
                } else {
                    ASSERT_EQ(link("precious.txt", name), 0) << name;
                }
            }
        };
        const cGameResult game = RunGame(options);
        EXPECT_EQ(game.status, 0);
        EXPECT_EQ(game.File("precious.txt"), "keep me\n") << symbolic;
        EXPECT_EQ(Lines(game.File("log.txt")).size(), 9u) << symbolic;
        EXPECT_EQ(game.File("Player.txt"), "100\n10\n8\n6\n25\nAnn\nSword\n0\n0 1\n");
        for (const char* name : written) {
            struct stat info {};
            ASSERT_EQ(lstat(name, &info), 0) << name;
            EXPECT_TRUE(S_ISREG(info.st_mode)) << name;
            EXPECT_EQ(info.st_nlink, 1u) << name;
        }
    }
}
