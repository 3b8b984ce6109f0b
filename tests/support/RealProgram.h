#ifndef VAULTREACH_TESTS_SUPPORT_REALPROGRAM_H
#define VAULTREACH_TESTS_SUPPORT_REALPROGRAM_H

// The real program in a scratch folder holding the game's data, for the tests that start it.
// Linux only, like those tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/Process.h"
#include "support/TestPlatform.h"

class RealProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        m_directory = std::make_unique<cScratchDirectory>();
        m_directory->CopyGameData();
    }

    cProcessOptions Options(const std::string& input) const {
        cProcessOptions options;
        options.directory = m_directory->path();
        options.input = input;
        return options;
    }

    // The save file is whole: nine lines, the last one "row column".
    void ExpectCompleteSave() const {
        const std::string save = m_directory->Read("Player.txt");
        std::size_t lines = 0;
        for (char c : save) {
            lines += c == '\n' ? 1 : 0;
        }
        EXPECT_EQ(lines, 9u) << save;
        EXPECT_NE(
            m_directory->Read("log.txt").find("Saving Player Data.\nExiting with return code 0\n"
                                              "Thanks for playing.\n"),
            std::string::npos);
    }

    std::unique_ptr<cScratchDirectory> m_directory;
};

// A terminal turns each line end into a carriage return and a line feed.
inline std::string Unterminal(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

#endif
