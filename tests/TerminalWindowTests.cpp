// The terminal's window: sized only to what can be right, and given back at its size.
// Linux only: it starts the program on pseudo-terminals.

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "support/FakeTerminal.h"
#include "support/RealProgram.h"

namespace {

TEST_F(RealProgram, TheWindowIsGivenBackAtItsSizeAndTheLastLineEnds) {
    // A small terminal that reports its window and 8 by 12 pixel characters; the input ends
    // (Ctrl-D) at the last question instead of Enter.
    cProcessOptions options = Options("\x1b[3;100;107t\x1b[4;240;480t\x1b[?1;2cAnn\ns\nq\n");
    options.outputKind = eOutputKind::Terminal;
    options.terminalColumns = 60;
    options.terminalRows = 20;
    cProcess game(options);
    ASSERT_TRUE(game.WaitForOutput("Press Enter to exit", 20000));
    game.Write("\x04");
    EXPECT_EQ(game.Wait(20000), 0);
    const std::string out = Unterminal(game.output());
    // 800 by 480 pixels would be 100 by 40 characters: more than 80 by 25, so it stands.
    const std::size_t sized = out.find("\x1b[4;480;800t");
    EXPECT_NE(sized, std::string::npos);
    // Sized in place; moved only onto its own place, where start-up learns the frame.
    for (std::size_t at = out.find("\x1b[3;"); at != std::string::npos;
         at = out.find("\x1b[3;", at + 1)) {
        EXPECT_EQ(out.compare(at, 12, "\x1b[3;100;107t"), 0) << out.substr(at + 1, 12);
    }
    const std::size_t farewell = out.find("Press Enter to exit");
    ASSERT_NE(farewell, std::string::npos);
    EXPECT_NE(out.find("\x1b[8;20;60t", farewell), std::string::npos);
    // Past the last words only escape sequences and a line end: the prompt starts afresh.
    std::string rest = out.substr(farewell + std::string("Press Enter to exit").size());
    for (std::size_t at = rest.find('\x1b'); at != std::string::npos; at = rest.find('\x1b')) {
        const std::size_t end = rest.find_first_of(rest[at + 1] == ']' ? "\x07" : "mt", at);
        rest.erase(at, end - at + 1);
    }
    EXPECT_EQ(rest, "\r\n");
}

struct cSizeCase {
    const char* name;
    int columns;
    int rows;
    std::string sizeAnswer;
    int x;
    const char* wanted;  // the size asked for in characters, when it is asked in characters
};

void PrintTo(const cSizeCase& c, std::ostream* out) {
    *out << c.name;
}

class AbsurdSizes : public TerminalProgram, public ::testing::WithParamInterface<cSizeCase> {};

TEST_P(AbsurdSizes, AreIgnoredAndNoHugeWindowIsAskedFor) {
    const cSizeCase& c = GetParam();
    cProcessOptions options = Options();
    options.terminalColumns = c.columns;
    options.terminalRows = c.rows;
    cProcess game(options);
    cFakeTerminal terminal(game, c.x, 200);
    terminal.sizeAnswer = c.sizeAnswer;
    ASSERT_TRUE(terminal.Until("What is your name? ", 20000));
    game.Write("Bob\na\nq\n\n");
    EXPECT_EQ(game.Wait(20000), 0);
    const std::string& out = game.output();
    static const std::regex kRequest("\x1b\\[(3|4);([0-9]+);([0-9]+)t");
    for (std::sregex_iterator it(out.begin(), out.end(), kRequest), end; it != end; ++it) {
        const int limit = it->str(1) == "3" ? 32767 : 16384;
        EXPECT_LE(std::stol(it->str(2)), limit) << it->str(0).substr(1);
        EXPECT_LE(std::stol(it->str(3)), limit) << it->str(0).substr(1);
    }
    EXPECT_EQ(out.find("\x1b[4;"), std::string::npos) << "no size in pixels";
    EXPECT_EQ(out.find(std::string("\x1b[8;") + c.wanted) != std::string::npos, *c.wanted != '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AbsurdSizes,
    ::testing::Values(cSizeCase{"OneByOneTextArea", 1, 1, "\x1b[4;480;800t", 100, "25;80t"},
                      cSizeCase{"OnePixelCells", 100, 30, "\x1b[4;30;100t", 100, ""},
                      cSizeCase{"HugePixels", 100, 30, "\x1b[4;999999;999999t", 100, ""},
                      cSizeCase{"HugePosition", 100, 30, "\x1b[4;480;800t", 999999, ""}),
    [](const ::testing::TestParamInfo<cSizeCase>& info) { return info.param.name; });

}  // namespace
