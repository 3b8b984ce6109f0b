#ifndef VAULTREACH_TESTS_SUPPORT_FAKETERMINAL_H
#define VAULTREACH_TESTS_SUPPORT_FAKETERMINAL_H

// The real program on a pseudo-terminal whose far side lags, lies or streams, for the tests of
// the terminal console. Linux only: it starts the program on pseudo-terminals.

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "support/Process.h"
#include "support/TestPlatform.h"

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
inline const std::string kStartAnswers =
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

// Walks and attacks until enough of the game's fights have gone by.
inline std::string FightingKeys() {
    std::string keys = "Bob\na\n";
    for (int i = 0; i < 150; ++i) {
        keys += "s\na\nn\na\n";
    }
    return keys;
}

#endif
