// The terminal's questions: what the terminal says never becomes what the player typed, and a
// shaken window in a window manager's frame lands only where it was meant to.
// Linux only: it starts the program on pseudo-terminals and sends it POSIX signals.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

#include "support/FakeTerminal.h"

namespace {

// One case: what the terminal sends where, and what the player types at the name.
struct cReplyCase {
    const char* name;
    std::string atStart;   // the answer to the first round of questions (the usual one if empty)
    std::string atName;    // sent 300 ms after the name is asked, before the player types
    std::string typed;     // the name line as typed
    std::string atWeapon;  // sent 300 ms after the weapon is asked, before the player types
    std::string saved;     // the name in the save
    std::string shown;     // how the story shows the name
};

void PrintTo(const cReplyCase& c, std::ostream* out) {
    *out << c.name;
}

class RepliesAtThePrompts : public TerminalProgram,
                            public ::testing::WithParamInterface<cReplyCase> {};

TEST_P(RepliesAtThePrompts, NeverBecomeTheNameOrAnAnswer) {
    const cReplyCase& c = GetParam();
    cProcess game(Options());
    cFakeTerminal terminal(game, 100, 200);
    terminal.startAnswer = c.atStart;
    ASSERT_TRUE(terminal.Until("What is your name? ", 20000));
    usleep(300 * 1000);
    game.Write(c.atName);
    game.Write(c.typed + "\n");
    ASSERT_TRUE(terminal.Until("(A)xe\r\n?:", 20000));
    usleep(300 * 1000);
    game.Write(c.atWeapon);
    game.Write("a\n");
    ASSERT_TRUE(terminal.Until("(Q)uit\r\n?:", 20000));
    game.Write("q\n");
    ASSERT_TRUE(terminal.Until("Press Enter to exit", 20000));
    game.Write("\n");
    EXPECT_EQ(game.Wait(20000), 0);
    const std::vector<std::string> save = Save();
    ASSERT_EQ(save.size(), 9u);
    EXPECT_EQ(save[5], c.saved);
    EXPECT_EQ(save[6], "Axe");
    EXPECT_NE(game.output().find("There is evil afoot " + c.shown + "."), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RepliesAtThePrompts,
    ::testing::Values(
        cReplyCase{"LateAtTheName", "\x1b[?62c", kStartAnswers, "Bob", "", "Bob", "Bob"},
        cReplyCase{"LateAtTheWeapon", "\x1b[?62c", "", "Bob", kStartAnswers, "Bob", "Bob"},
        cReplyCase{"UnusableAnswers", "",
                   "\x1b[?62;c\x1b]11;rgb:0/0/0\x9c\x1b]11;rgba:0/0/0/1\x07\x1b]11;#ffffff\x07"
                   "\x1b]11;rgb:0/0\x1b\\\x1b[4;-480;800t\x1b[4;99999999;1t",
                   "Bob", "\x1b[3;Q", "Bob", "Bob"},
        cReplyCase{"AMegabyteAtStartUp",
                   "\x1b]11;rgb:" + std::string(1024 * 1024, 'f') + "\x07\x1b[?62c", "", "Bob", "",
                   "Bob", "Bob"},
        cReplyCase{"ArrowKeysInTheName", "", "", "B\x1b[Do\x1b[C\x1b[Ab\x1bOB", "", "Bob", "Bob"},
        // U+0085, a raw 0x85, a byte that is never UTF-8, a cut-off letter; é and 漢 stay.
        cReplyCase{"ControlsAndInvalidUtf8InTheName", "", "",
                   "B\xc2\x85o\x85\xff\xc3\xa9\xe6\xbc\xa2"
                   "b\xc3",
                   "",
                   "B\xc2\x85o\x85\xff\xc3\xa9\xe6\xbc\xa2"
                   "b\xc3",
                   "B\\xc2\\x85o\\x85\\xff\xc3\xa9\xe6\xbc\xa2"
                   "b\\xc3"}),
    [](const ::testing::TestParamInfo<cReplyCase>& info) { return info.param.name; });

TEST_F(TerminalProgram, OnAPipeEveryByteIsThePlayers) {
    const std::string name =
        "B\x1b[Ao\x9b"
        "2J\xc2\x9b"
        "2Jb\x1b]11;rgb:0/0/0\x07\x1b";
    cProcessOptions options = Options();
    options.outputKind = eOutputKind::Pipe;
    options.input = name + "\na\nq\n";
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), 0);
    const std::vector<std::string> save = Save();
    ASSERT_EQ(save.size(), 9u);
    EXPECT_EQ(save[5], name);
    EXPECT_NE(game.output().find("There is evil afoot " + name + "."), std::string::npos);
}

TEST_F(TerminalProgram, CtrlCWhileAnEndlessReplyStreamsQuitsAndSavesWithoutIt) {
    cProcessOptions options = Options();
    cProcess game(options);
    cFakeTerminal terminal(game, 100, 200);
    terminal.startAnswer = "\x1b]11;rgb:";
    ASSERT_TRUE(terminal.Until("\x1b[c", 20000));
    // The reply never ends; the wait for it does, and the game goes on while it streams.
    const std::string more(16 * 1024, 'f');
    bool asked = false;
    for (int i = 0; i < 2000 && !asked; ++i) {
        game.Write(more);
        asked = game.WaitForOutput("What is your name? ", 5);
    }
    ASSERT_TRUE(asked);
    for (int i = 0; i < 20; ++i) {
        game.Write(more);
    }
    game.Write("\x03");
    EXPECT_EQ(game.Wait(20000), 0);
    const std::vector<std::string> save = Save();
    ASSERT_EQ(save.size(), 9u);
    EXPECT_EQ(save[5], "");
}

TEST_F(TerminalProgram, EveryShakeStepInAWindowManagersFrameIsHomeOrHomePlusFifteen) {
    cProcess game(Options());
    cFakeTerminal terminal(game, 100, 200);
    terminal.frameX = 4;
    terminal.frameY = 23;
    terminal.sizeAnswer = "\x1b[4;480;800t";
    ASSERT_TRUE(terminal.Until("What is your name? ", 20000));
    game.Write(FightingKeys());
    // Start-up puts the window on its own place once, to learn the frame, and back.
    for (int i = 0; i < 30000 && terminal.places.size() < 2 + 12; ++i) {
        terminal.Until("\x01never", 2);
    }
    game.Signal(SIGTERM);
    terminal.Until("\x01never", 200);
    EXPECT_EQ(game.Wait(20000), 0);
    const auto& places = terminal.places;
    ASSERT_GE(places.size(), 2u + 12) << "three shakes";
    EXPECT_EQ(places[0], std::make_pair(104, 223));
    EXPECT_EQ(places[1], std::make_pair(100, 200));
    for (std::size_t i = 2; i < places.size(); ++i) {
        const bool home = places[i] == std::make_pair(100, 200);
        const bool away = places[i] == std::make_pair(115, 215);
        EXPECT_TRUE(home || away) << i << ": " << places[i].first << "," << places[i].second;
        EXPECT_EQ(away, i % 2 == 0) << i;
    }
}

TEST_F(TerminalProgram, AGarbagePositionDuringAShakeIsNoAnswer) {
    cProcess game(Options());
    cFakeTerminal terminal(game, 100, 200);
    terminal.positionAnswer = "\x1b[3;Q\x1b[3;-20;-20t";
    ASSERT_TRUE(terminal.Until("What is your name? ", 20000));
    game.Write(FightingKeys());
    // Start-up and the frame's first look asked; then two shakes, answered with garbage. The
    // game plays on after them.
    for (int i = 0; i < 30000 && terminal.positionQuestions < 4; ++i) {
        terminal.Until("\x01never", 2);
    }
    ASSERT_GE(terminal.positionQuestions, 4);
    EXPECT_TRUE(terminal.Until("?:", 20000));
    EXPECT_EQ(game.output().find("Press Enter to exit"), std::string::npos) << "no Q was typed";
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(20000), 0);
    // Only start-up's move onto the window's own place: without a position, no shake moves.
    EXPECT_EQ(terminal.places.size(), 1u);
}

}  // namespace
