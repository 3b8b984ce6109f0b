// The real program on a pseudo-terminal whose far side lags, lies or streams: what the
// terminal says never becomes what the player typed, sizes that cannot be right are not asked
// for, and a shaken window in a window manager's frame lands only where it was meant to.
// Linux only: it starts the program on pseudo-terminals and sends it POSIX signals.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "support/Process.h"
#include "support/TestPlatform.h"

namespace {

// The far side of the game's pseudo-terminal, in a window at (x, y). It answers the console's
// questions as a terminal would, or as a case says instead; a move to (x, y) puts the window
// at (x, y) plus the window manager's frame, as twm does with xterm.
class cFakeTerminal {
  public:
    cFakeTerminal(cProcess& game, int x, int y) : m_game(game), m_x(x), m_y(y) {}

    int frameX = 0;
    int frameY = 0;
    std::string startAnswer;     // in place of the answers to the first round of questions
    std::string sizeAnswer;      // to CSI 14 t; nothing when empty
    std::string positionAnswer;  // in place of the true position, after the first round
    bool answersPosition = true;
    // Every place the window was put, in order.
    std::vector<std::pair<int, int>> places;
    int positionQuestions = 0;

    // Reads and answers until the output holds marker (true) or the time runs out.
    bool Until(const std::string& marker, int timeoutMs) {
        // Short slices: the game waits a tenth of a second at most for an answer.
        for (int waited = 0; waited < timeoutMs; waited += 2) {
            Answer();
            if (m_game.output().find(marker, m_markerFrom) != std::string::npos) {
                m_markerFrom = m_game.output().find(marker, m_markerFrom) + marker.size();
                return true;
            }
            m_game.WaitForOutput(marker + "\x01never", 2);
        }
        return false;
    }

  private:
    void Answer() {
        static const std::regex kQuestion("\x1b\\[(13|14)t|\x1b\\[c|\x1b\\[3;([0-9]+);([0-9]+)t");
        const std::string& out = m_game.output();
        std::smatch found;
        std::string answers;
        auto from = out.cbegin() + static_cast<long>(m_scanned);
        while (std::regex_search(from, out.cend(), found, kQuestion)) {
            const std::string question = found.str(0);
            if (m_round == 0 && !startAnswer.empty()) {
                if (question == "\x1b[c") {
                    answers += startAnswer;
                    m_round = 1;
                }
            } else if (question == "\x1b[13t") {
                ++positionQuestions;
                if (m_round > 0 && !positionAnswer.empty()) {
                    answers += positionAnswer;
                } else if (answersPosition) {
                    answers += "\x1b[3;" + std::to_string(m_x) + ";" + std::to_string(m_y) + "t";
                }
            } else if (question == "\x1b[14t") {
                answers += sizeAnswer;
            } else if (question == "\x1b[c") {
                answers += "\x1b[?62;22c";
                ++m_round;
            } else {
                m_x = std::stoi(found.str(2)) + frameX;
                m_y = std::stoi(found.str(3)) + frameY;
                places.emplace_back(m_x, m_y);
            }
            from = found[0].second;
        }
        m_scanned = static_cast<std::size_t>(from - out.cbegin());
        if (!answers.empty()) {
            m_game.Write(answers);
        }
    }

    cProcess& m_game;
    int m_x;
    int m_y;
    int m_round = 0;
    std::size_t m_scanned = 0;
    std::size_t m_markerFrom = 0;
};

// The answers a terminal gives at start-up, as one reply.
const std::string kStartAnswers =
    "\x1b]11;rgb:0000/0000/0000\x1b\\\x1b[3;100;200t\x1b[4;480;800t\x1b[?62c";

class TerminalProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        m_directory = std::make_unique<cScratchDirectory>();
        m_directory->CopyGameData();
    }

    cProcessOptions Options() const {
        cProcessOptions options;
        options.directory = m_directory->path();
        options.outputKind = eOutputKind::Terminal;
        options.terminalColumns = 100;
        options.terminalRows = 30;
        return options;
    }

    // The save's lines: the name is the sixth, the weapon the seventh.
    std::vector<std::string> Save() const {
        std::vector<std::string> lines;
        std::string line;
        for (char c : m_directory->Read("Player.txt")) {
            if (c == '\n') {
                lines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        return lines;
    }

    std::unique_ptr<cScratchDirectory> m_directory;
};

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

// Walks and attacks until enough of the game's fights have gone by.
std::string FightingKeys() {
    std::string keys = "Bob\na\n";
    for (int i = 0; i < 150; ++i) {
        keys += "s\na\nn\na\n";
    }
    return keys;
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
