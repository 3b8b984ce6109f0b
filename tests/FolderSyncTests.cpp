// The save survives a power cut: after the new save is renamed into place, the folder that
// holds it is synced, and a sync that fails is a failed save (one the log says is in place).
// Linux only: it runs the real program under strace and with a preloaded failing sync.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/posix/FolderSync.h"
#include "support/Process.h"
#include "support/TestPlatform.h"

namespace {

TEST(FolderSync, SyncsAFolderAndFailsForAnythingElse) {
    cScratchDirectory directory;
    directory.Write("file.txt", "x");
    EXPECT_EQ(SyncFolder(directory.path()), eFileReplace::Replaced);
    EXPECT_EQ(SyncFolder("."), eFileReplace::Replaced);
    for (const std::string& other :
         {directory.path() + "/file.txt", directory.path() + "/missing", std::string()}) {
        EXPECT_EQ(SyncFolder(other), eFileReplace::NotDurable) << other;
    }
}

// The game's system calls that matter to a save, as strace writes them (-y names each file
// descriptor's file), in the order the kernel saw them: the new save made, written, synced and
// closed under a temporary name, renamed over the old one, and then the folder synced.
TEST(FolderSync, TheSaveFolderIsSyncedAfterTheRename) {
    if (system("command -v strace >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "strace is not installed";
    }
    cScratchDirectory directory;
    directory.CopyGameData();
    const std::string trace = directory.path() + "/trace.txt";
    cProcessOptions options;
    options.directory = directory.path();
    options.input = "Ann\ns\nq\n";
    options.wrapper = {"strace",
                       "-qq",
                       "-y",
                       "-e",
                       "trace=openat,write,fsync,fdatasync,close,rename,renameat,renameat2",
                       "-o",
                       trace};
    // LeakSanitizer cannot run under a tracer and would fail the exit status of a sanitized build.
    options.environment = {{"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"}};
    cProcess game(options);
    ASSERT_EQ(game.Wait(20000), 0) << game.output();
    char* real = realpath(directory.path().c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    const std::string folder = std::string("<") + real + ">)";
    free(real);

    std::ifstream file(trace);
    std::string line;
    std::string calls;
    std::string steps;
    while (std::getline(file, line)) {
        calls += line + "\n";
        const std::string call = line.substr(0, line.find('('));
        if (line.find("Player.txt") != std::string::npos &&
            line.find("log.txt") == std::string::npos) {
            steps += call + (call == "rename" ? "\n" : " tmp\n");
        } else if (call.find("sync") != std::string::npos) {
            steps += call + (line.find(folder) != std::string::npos ? " folder\n" : " other\n");
        }
    }
    EXPECT_EQ(steps, "openat tmp\nwrite tmp\nfsync tmp\nclose tmp\nrename\nfsync folder\n")
        << calls;
}

TEST(FolderSync, AFailedFolderSyncFailsTheSave) {
    cScratchDirectory directory;
    directory.CopyGameData();
    cProcessOptions options;
    options.directory = directory.path();
    options.input = "Ann\ns\nq\n";
    options.environment = {{"LD_PRELOAD", std::string(VAULTREACH_PRELOAD_CLOCK) + ":" +
                                              VAULTREACH_PRELOAD_FAILING_FOLDER_SYNC}};
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), 1) << "the player must be told the save may not last";
    EXPECT_NE(game.output().find("Failed to write Player.txt\n"), std::string::npos);
    EXPECT_FALSE(directory.Exists("Player.txt.tmp"));
    // The rename was done: the new save is there, and the log says only its durability failed.
    EXPECT_NE(directory.Read("Player.txt").find("\nAnn\n"), std::string::npos);
    EXPECT_NE(directory.Read("log.txt").find(
                  "Saving Player Data.\nFailed to make Player.txt durable: the new save is written "
                  "but may not survive a power cut.\nExiting with return code 1\n"),
              std::string::npos);
}

}  // namespace
