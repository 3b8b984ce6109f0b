// The terminal's caption: set, kept from what the player types, and given back at the end.
// Linux only: it starts the program on a pseudo-terminal.

#include <gtest/gtest.h>

#include <string>

#include "support/RealProgram.h"

namespace {

TEST_F(RealProgram, TerminalGetsTitleAndColoursAndIsGivenBackAtTheEnd) {
    // A typed sequence that would retitle the window is taken out of the name; the bell is
    // shown, not rung.
    cProcessOptions options = Options("Ann\x1b]0;owned\x07\x07\ns\nq\n\n");
    options.outputKind = eOutputKind::Terminal;
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), 0);
    const std::string out = Unterminal(game.output());
    EXPECT_NE(out.find("There is evil afoot Ann^G."), std::string::npos);
    EXPECT_EQ(out.find("\x1b]0;owned"), std::string::npos);
    EXPECT_NE(out.find("\x1b]0;Vaultreach\x07"), std::string::npos);
    // Nothing answers the background question here: the colours for a dark background.
    EXPECT_NE(out.find("\x1b[0;38;5;46m\nWhich way do you want to go?"), std::string::npos);
    EXPECT_NE(out.find("\x1b[0;38;5;226m(N)orth"), std::string::npos);
    EXPECT_NE(out.find("\x1b[0;38;5;16;48;5;252m"), std::string::npos);
    // After the farewell: the normal colours and the old title come back.
    const std::size_t farewell = out.find("Press Enter to exit");
    ASSERT_NE(farewell, std::string::npos);
    EXPECT_NE(out.find("\x1b[0m", farewell), std::string::npos);
    EXPECT_NE(out.find("\x1b[23;0t", farewell), std::string::npos);
    ExpectCompleteSave();
}

}  // namespace
