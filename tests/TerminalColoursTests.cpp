// The terminal's colours: chosen for its background, left out where it asks, never painting a
// row, and given back however the game ends.
// Linux only: it starts the program on pseudo-terminals and sends it POSIX signals.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

#include "support/RealProgram.h"

namespace {

// What the terminal answers to the console's questions (background, position, text area size,
// device attributes), typed ahead of the player's keys as a terminal would send it.
struct cTerminalCase {
    const char* name;
    const char* answers;
    std::vector<std::pair<std::string, std::string>> environment;
    const char* fightChoices;  // how "(A)ttack" is introduced
    const char* movementChoices;
};

void PrintTo(const cTerminalCase& terminal, std::ostream* out) {
    *out << terminal.name;
}

class TerminalColours : public RealProgram, public ::testing::WithParamInterface<cTerminalCase> {};

TEST_P(TerminalColours, FollowTheBackgroundAndKeepTheKeysTypedMeanwhile) {
    const cTerminalCase& terminal = GetParam();
    // A walk south into a fight, then quitting: the keys come right behind the answers.
    std::string keys = "Ann\na\n";
    for (int i = 0; i < 40; ++i) {
        keys += "s\nn\n";
    }
    cProcessOptions options = Options(std::string(terminal.answers) + keys);
    options.outputKind = eOutputKind::Terminal;
    options.environment = terminal.environment;
    options.keepInputOpen = true;
    cProcess game(options);
    ASSERT_TRUE(game.WaitForOutput("(R)un", 20000)) << game.output().substr(0, 300);
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(5000), 0);
    const std::string out = Unterminal(game.output());
    EXPECT_NE(out.find(std::string(terminal.movementChoices) + "(N)orth"), std::string::npos);
    EXPECT_NE(out.find(std::string(terminal.fightChoices) + "(A)ttack"), std::string::npos);
    // The keys reached the game in order, none taken for an answer.
    EXPECT_NE(m_directory->Read("Player.txt").find("\nAnn\nAxe\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Backgrounds, TerminalColours,
    ::testing::Values(
        cTerminalCase{"NoAnswerIsDark", "", {}, "\x1b[0;38;5;196m", "\x1b[0;38;5;226m"},
        cTerminalCase{"White",
                      "\x1b]11;rgb:ffff/ffff/ffff\x1b\\\x1b[?64;1;2c",
                      {},
                      "\x1b[0;38;5;88m",
                      "\x1b[0;38;5;94m"},
        cTerminalCase{"Black",
                      "\x1b]11;rgb:0000/0000/0000\x07\x1b[?1;2c",
                      {},
                      "\x1b[0;38;5;196m",
                      "\x1b[0;38;5;226m"},
        cTerminalCase{"ColorFgBgWhite",
                      "\x1b[?1;2c",
                      {{"COLORFGBG", "0;15"}},
                      "\x1b[0;38;5;88m",
                      "\x1b[0;38;5;94m"},
        cTerminalCase{"SixteenColoursOnWhite",
                      "\x1b]11;rgb:fb/fb/fb\x07\x1b[?1;2c",
                      {{"TERM", "screen"}},
                      "\x1b[0;31m",
                      "\x1b[0;30m"}),
    [](const ::testing::TestParamInfo<cTerminalCase>& info) { return info.param.name; });

TEST_F(RealProgram, WithoutColoursOrEscapesWhereTheTerminalAsks) {
    struct cCase {
        std::pair<std::string, std::string> variable;
        bool anyEscape;
    };
    for (const cCase& terminal : {cCase{{"NO_COLOR", "1"}, true}, cCase{{"TERM", "dumb"}, false},
                                  cCase{{"TERM", ""}, false}}) {
        cProcessOptions options = Options("Ann\ns\nq\n\n");
        options.outputKind = eOutputKind::Terminal;
        options.environment = {terminal.variable};
        cProcess game(options);
        EXPECT_EQ(game.Wait(20000), 0);
        const std::string& out = game.output();
        const std::string label = terminal.variable.first + "=" + terminal.variable.second;
        EXPECT_NE(out.find("(N)orth"), std::string::npos) << label;
        EXPECT_EQ(out.find("\x1b[0;"), std::string::npos) << label;
        EXPECT_EQ(out.find('\x1b') != std::string::npos, terminal.anyEscape) << label;
        if (terminal.anyEscape) {
            EXPECT_NE(out.find("\x1b]0;Vaultreach\x07"), std::string::npos) << label;
        }
    }
}

TEST_F(RealProgram, TheBannerNeverPaintsTheRestOfARow) {
    cProcessOptions options = Options("Ann\ns\nq\n\n");
    options.outputKind = eOutputKind::Terminal;
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), 0);
    const std::string out = Unterminal(game.output());
    const std::size_t banner = out.find("\x1b[0;38;5;16;48;5;252m");
    ASSERT_NE(banner, std::string::npos);
    const std::size_t normal = out.find("\x1b[0m", banner);
    ASSERT_NE(normal, std::string::npos);
    int lineEnds = 0;
    for (std::size_t at = out.find('\n', banner); at < normal; at = out.find('\n', at + 1)) {
        // The terminal's own background at every line end, the banner's again after it.
        EXPECT_EQ(out.compare(at - 5, 5, "\x1b[49m"), 0) << at;
        ++lineEnds;
    }
    EXPECT_GE(lineEnds, 14);
}

TEST_F(RealProgram, ATerminalSignalLeavesItsColoursRestored) {
    cProcessOptions options = Options("Ann\ns\n");
    options.outputKind = eOutputKind::Terminal;
    cProcess game(options);
    ASSERT_TRUE(game.WaitForOutput("(Q)uit\r\n?:", 20000));
    game.Signal(SIGINT);
    EXPECT_EQ(game.Wait(3000), 0);
    const std::string out = Unterminal(game.output());
    const std::size_t farewell = out.find("Press Enter to exit");
    ASSERT_NE(farewell, std::string::npos);
    EXPECT_NE(out.find("\x1b[0m", farewell), std::string::npos);
    ExpectCompleteSave();
}

}  // namespace
