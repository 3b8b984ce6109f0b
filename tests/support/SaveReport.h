#ifndef VAULTREACH_TESTS_SUPPORT_SAVEREPORT_H
#define VAULTREACH_TESTS_SUPPORT_SAVEREPORT_H

// How the end of a game tells the player what became of the save, on every system: the lines
// log.txt gives it, and the one line the screen shows before the farewell when it failed.

#include <gtest/gtest.h>

#include <string>

inline const char* const kLogSaved = "Saving Player Data.\nExiting with return code 0\n";
inline const char* const kLogKept =
    "Saving Player Data.\nFailed to save Player.txt; the previous save is kept.\n"
    "Exiting with return code 1\n";
inline const char* const kLogNotDurable =
    "Saving Player Data.\nFailed to make Player.txt durable: the new save is written but may "
    "not survive a power cut.\nExiting with return code 1\n";

// The screen shows `failure` just before the farewell; with no failure, no failure at all.
inline void ExpectSaveOnScreen(const std::string& screen, const std::string& failure) {
    const std::string farewell = "\nHope you enjoyed playing Vaultreach.";
    if (failure.empty()) {
        EXPECT_EQ(screen.find("Failed"), std::string::npos) << screen;
        EXPECT_NE(screen.find(farewell), std::string::npos) << screen;
    } else {
        EXPECT_NE(screen.find(failure + "\n" + farewell), std::string::npos) << screen;
    }
}

#endif
