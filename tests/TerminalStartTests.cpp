// The screen at start-up, as the player sees it on a terminal that answers every question the
// game asks (its background colour, its window, its device attributes), promptly or a little
// late, in one piece or in several, in 8-bit forms or with garbage: nothing but the game's own
// text appears up to the first question, the same text the game writes to a pipe, and what the
// player types there shows as they type it. What reaches the screen is what the
// pseudo-terminal gives back: the game's output and the terminal's own echo of whatever arrived
// while its echo was on.
// Linux only: it starts the program on pseudo-terminals.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "support/FakeTerminal.h"
#include "support/RealProgram.h"

namespace {

const char* const kNameQuestion = "What is your name? ";

struct cStartCase {
    const char* name;
    std::string first;  // the reply to the first round of questions
    std::string later;  // the reply to each later round (the window's position)
    int pieces;         // each reply is sent cut into this many pieces
    int delayMs;        // before each piece
    // What the player types while the game asks, before each round's reply: the game takes
    // it as typed, in order, and the terminal does not echo it.
    std::vector<std::string> typed;
};

void PrintTo(const cStartCase& c, std::ostream* out) {
    *out << c.name;
}

// The text a player reads: the game's own control sequences (colours, the window's commands,
// the questions and the caption) do not show; anything else does, a stray answer included.
std::string Screen(const std::string& output) {
    static const std::regex kOwnSequences(
        "\x1b\\[[0-9;]*[A-Za-z]|\x1b\\]11;\\?\x1b\\\\|\x1b\\]0;[^\x07\x1b]*\x07");
    return Unterminal(std::regex_replace(output, kOwnSequences, ""));
}

void Reply(cProcess& game, const std::string& reply, int pieces, int delayMs) {
    const std::size_t size = (reply.size() + pieces - 1) / pieces;
    for (std::size_t at = 0; at < reply.size(); at += size) {
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        game.Write(reply.substr(at, size));
    }
}

class StartScreen : public TerminalProgram, public ::testing::WithParamInterface<cStartCase> {
  protected:
    // The game's start on a pipe, up to its first question: what the screen must show.
    std::string PlainStart() const {
        cProcessOptions options = Options();
        options.outputKind = eOutputKind::Pipe;
        options.inputKind = eInputKind::DevNull;
        cProcess game(options);
        game.Wait(20000);
        const std::size_t end = game.output().find(kNameQuestion);
        return end == std::string::npos ? game.output()
                                        : game.output().substr(0, end + strlen(kNameQuestion));
    }
};

TEST_P(StartScreen, ShowsOnlyTheGamesOwnText) {
    const cStartCase& c = GetParam();
    const std::string expected = PlainStart();
    cProcess game(Options());
    std::size_t scanned = 0;
    int rounds = 0;
    for (int i = 0; i < 4000 && game.output().find(kNameQuestion) == std::string::npos; ++i) {
        for (std::size_t at; (at = game.output().find("\x1b[c", scanned)) != std::string::npos;) {
            scanned = at + 3;
            if (static_cast<std::size_t>(rounds) < c.typed.size()) {
                game.Write(c.typed[static_cast<std::size_t>(rounds)]);
            }
            Reply(game, rounds++ == 0 ? c.first : c.later, c.pieces, c.delayMs);
        }
        game.WaitForOutput("\x01never", 5);  // reads what came, for 5 ms at most
    }
    const std::size_t end = game.output().find(kNameQuestion);
    ASSERT_NE(end, std::string::npos) << game.output();
    EXPECT_GE(rounds, 1);
    EXPECT_EQ(Screen(game.output().substr(0, end + strlen(kNameQuestion))), expected);
    if (c.typed.empty()) {
        // Once the questions are over the terminal shows what the player types again.
        game.Write("Bob\n");
        EXPECT_TRUE(game.WaitForOutput(std::string(kNameQuestion) + "Bob\r\n", 20000))
            << game.output().substr(end);
    } else {
        EXPECT_TRUE(game.WaitForOutput("(Q)uit\r\n?:", 20000)) << game.output().substr(end);
    }
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(20000), 0);
    if (!c.typed.empty()) {
        const std::vector<std::string> save = Save();
        ASSERT_EQ(save.size(), 9u);
        EXPECT_EQ(save[5], "Bob");
        EXPECT_EQ(save[6], "Axe");
    }
}

const std::string kPosition = "\x1b[3;100;200t\x1b[?62;22c";

INSTANTIATE_TEST_SUITE_P(
    Cases, StartScreen,
    ::testing::Values(
        cStartCase{"AllAtOnce", kStartAnswers, kPosition, 1, 0, {}},
        cStartCase{"ALittleLate", kStartAnswers, kPosition, 1, 15, {}},
        // Cut inside the colour's terminator, inside the position, before the attributes' end.
        cStartCase{"SplitAcrossReads", kStartAnswers, kPosition, 5, 5, {}},
        cStartCase{"ByteByByte", kStartAnswers, kPosition, 64, 0, {}},
        cStartCase{"EightBitForms",
                   "\x9d"
                   "11;rgb:ffff/ffff/ffff\x9c\x9b"
                   "3;100;200t\x9b"
                   "4;480;800t\x9b?62c",
                   "\x9b"
                   "3;100;200t\x9b?62c",
                   2,
                   5,
                   {}},
        cStartCase{"EightBitFormsInUtf8",
                   "\xc2\x9d"
                   "11;rgb:ffff/ffff/ffff\xc2\x9c\xc2\x9b"
                   "4;480;800t\xc2\x9b?62c",
                   "\xc2\x9b"
                   "3;100;200t\xc2\x9b?62c",
                   3,
                   5,
                   {}},
        cStartCase{"Garbage",
                   "\x1b]11;rgb:0/0\x1b\\\x1b[4;-480;800t\x1b[3;Q\x1bP1$r0m\x1b\\\x1bOZ"
                   "\x1b]11;rgb:" +
                       std::string(600, 'f') + "\x07\x1b[?62;c\x1b[?62c",
                   "\x1b[3;99999999;1t\x1b[?62c",
                   4,
                   5,
                   {}},
        cStartCase{"OnlyTheAttributes", "\x1b[?62c", "\x1b[?62c", 1, 0, {}},
        // The name typed during the first round, the weapon during the second.
        cStartCase{"KeysTypedWhileAsked", kStartAnswers, kPosition, 1, 0, {"Bob\n", "a\n"}}),
    [](const ::testing::TestParamInfo<cStartCase>& info) { return info.param.name; });

}  // namespace
