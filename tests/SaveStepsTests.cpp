// The save's steps as the real program takes them, and what a player sees when one of them
// fails: a new save is written whole to a temporary file, synced, closed and renamed over the
// old one, and then the folder is synced; a failure at any step is told on the screen and in
// log.txt, ends the game with status 1, and leaves either the previous save or the whole new
// one, never a part of either, and nothing beside it. A file system that cannot sync a folder
// at all is no failure.
// Linux only: it runs the real program with a preloaded library that watches and breaks the
// C library's file calls (support/preload/SaveSteps.cpp).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <string>

#include "support/RealProgram.h"
#include "support/SaveReport.h"

namespace {

const char* const kOldSave = "57\n10\n8\n6\n25\nAnn\nSword\n0\n9 7\n";
// The steps as the preloaded library sees them, up to each point a save can stop at.
const std::string kWritten = "open Player.txt.tmp\nwrite Player.txt.tmp\n";
const std::string kClosed = kWritten + "fsync Player.txt.tmp\nclose Player.txt.tmp\n";
const std::string kRenamed = kClosed + "rename Player.txt.tmp Player.txt\n";
const std::string kAllSteps = kRenamed + "open folder\nfsync folder\n";

struct cSaveCase {
    const char* name;
    const char* fail;    // the step the preloaded library breaks (none when empty)
    std::string steps;   // the save's steps, in order, as the library saw them
    const char* screen;  // the line shown before the farewell; none when empty
    const char* log;     // log.txt's lines from the save on
    int status;
    bool newSave;  // the new save is in place; otherwise the old one, byte for byte
    std::function<void(const std::string& folder)> prepare;
};

void PrintTo(const cSaveCase& c, std::ostream* out) {
    *out << c.name;
}

class SaveSteps : public RealProgram, public ::testing::WithParamInterface<cSaveCase> {};

TEST_P(SaveSteps, EachFailureIsToldAndLeavesOneWholeSave) {
    const cSaveCase& c = GetParam();
    m_directory->Write("Player.txt", kOldSave);
    if (c.prepare) {
        c.prepare(m_directory->path());
    }
    const std::string trace = m_directory->path() + "/steps.txt";
    cProcessOptions options = Options("Bob\ns\nq\n");
    options.environment = {
        {"LD_PRELOAD", std::string(VAULTREACH_PRELOAD_CLOCK) + ":" + VAULTREACH_PRELOAD_SAVE_STEPS},
        {"VAULTREACH_SAVE_TRACE", trace},
        {"VAULTREACH_SAVE_FAIL", c.fail}};
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), c.status) << game.output();

    EXPECT_EQ(m_directory->Exists("steps.txt") ? m_directory->Read("steps.txt") : "", c.steps);
    ExpectSaveOnScreen(game.output(), c.screen);
    EXPECT_NE(m_directory->Read("log.txt").find(c.log), std::string::npos)
        << m_directory->Read("log.txt");
    const std::string save = m_directory->Read("Player.txt");
    if (c.newSave) {
        EXPECT_NE(save.find("\nBob\nSword\n"), std::string::npos) << save;
        EXPECT_EQ(std::count(save.begin(), save.end(), '\n'), 9) << save;
    } else {
        EXPECT_EQ(save, kOldSave);
    }
    EXPECT_FALSE(m_directory->Exists("Player.txt.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveSteps,
    ::testing::Values(
        cSaveCase{"Saved", "", kAllSteps, "", kLogSaved, 0, true, nullptr},
        // Some file systems (network and user-space ones) answer a folder's sync with EINVAL:
        // what they keep is out of the game's hands, and a save there is still a save.
        cSaveCase{"FolderCannotBeSynced", "folder-sync-einval", kAllSteps, "", kLogSaved, 0, true,
                  nullptr},
        cSaveCase{"ReadOnlySave", "", "", "Failed to open Player.txt", kLogKept, 1, false,
                  [](const std::string& folder) { chmod((folder + "/Player.txt").c_str(), 0444); }},
        cSaveCase{"TemporaryFileRefused", "open", "", "Failed to open Player.txt", kLogKept, 1,
                  false, nullptr},
        cSaveCase{"DiskFullHalfway", "write", kWritten + "close Player.txt.tmp\n",
                  "Failed to write Player.txt", kLogKept, 1, false, nullptr},
        cSaveCase{"SyncFails", "fsync", kClosed, "Failed to write Player.txt", kLogKept, 1, false,
                  nullptr},
        cSaveCase{"CloseReportsALateError", "close", kClosed, "Failed to write Player.txt",
                  kLogKept, 1, false, nullptr},
        cSaveCase{"RenameFails", "rename", kRenamed, "Failed to write Player.txt", kLogKept, 1,
                  false, nullptr},
        cSaveCase{"FolderCannotBeOpened", "folder", kRenamed, "Failed to write Player.txt",
                  kLogNotDurable, 1, true, nullptr},
        cSaveCase{"FolderSyncFails", "folder-sync", kAllSteps, "Failed to write Player.txt",
                  kLogNotDurable, 1, true, nullptr}),
    [](const ::testing::TestParamInfo<cSaveCase>& info) { return info.param.name; });

}  // namespace
