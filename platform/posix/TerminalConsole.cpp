// The console of the real process.
//
// On a terminal, attributes become SGR sequences written into std::cout, so they stay in order
// with the text. The colours are chosen for the terminal's background (ColourMap.h): at
// start-up the terminal is asked, in one go, for its background colour (OSC 11), its window's
// position (CSI 13 t) and its text area's size (CSI 14 t), followed by a Device Attributes
// request (CSI c) that every terminal answers, so the questions it ignores are known to be
// unanswered as soon as that answer arrives. COLORFGBG stands in for an unanswered background;
// with neither, the background is taken to be dark. The caption uses the OSC title sequence
// (the old title is pushed and popped again); the window is sized and moved with xterm's
// window-manipulation sequences, which terminals that do not allow them ignore.
//
// The window is given back at exit as it was found: its size in characters, its position, the
// colours, the caption, and the cursor at the start of a fresh line. Whatever the player types
// while an answer is awaited goes back to the game's input, in order.
//
// The wait for the answers is short (250 ms, longer only while a reply is still arriving) and
// only decides the colours and the window's handling; answers that come later are taken out
// of the input whenever they come (TerminalInput.h) and never read as typed keys.
//
// A window manager may put a window moved to (x, y) at (x, y) plus its frame, so positions
// read back after a move can differ from the ones asked for by a fixed amount. The console
// learns that amount before its first move: it moves the window onto its own place, reads the
// position back until it changes (or a short time passes) and moves it back by the difference.
// From then on every move allows for the frame, so every step of every shake lands exactly
// where it was meant to. A position read back soon after a later move corrects the amount.
//
// Answers that cannot be right are ignored, as if the terminal had not answered: a character
// cell outside 4 to 200 pixels, a position or size beyond 32767 pixels, a frame above 200. The
// window is then sized in characters (to at least 80 by 25), and no window larger than 16384
// pixels is ever asked for.
//
// NO_COLOR (set and not empty) leaves the colours out and everything else as it is. A TERM
// that is unset, empty or "dumb" gets the plain console. Anywhere other than a terminal (a
// pipe, a file) the output is the game's plain text with no escapes at all.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/Clock.h"
#include "platform/ColourMap.h"
#include "platform/Console.h"
#include "platform/StandardStreams.h"
#include "platform/TerminalReplies.h"
#include "platform/posix/TerminalInput.h"

namespace {

// Every terminal answers the device attributes at once; this only bounds the wait for one that
// does not (a bare pseudo-terminal with nothing behind it).
constexpr std::uint32_t kReplyWaitMs = 250;
// How long a reply already on its way may keep the wait going: a long one (a megabyte on a
// local link) is read whole, an endless one is cut off.
constexpr std::uint32_t kStreamingReplyWaitMs = 1000;
// A position read back this soon after a move of our own shows where that move really put the
// window.
constexpr std::uint32_t kMoveSettledMs = 1000;
constexpr int kMinimumColumns = 80;
constexpr int kMinimumRows = 25;
// How long the first move may take to show in the position read back, and how often to look.
constexpr std::uint32_t kFrameSettleMs = 100;
constexpr std::uint32_t kFrameLookMs = 10;
constexpr int kMinimumCell = 4;
constexpr int kMaximumCell = 200;
constexpr int kMaximumCoordinate = 32767;
constexpr int kMaximumFrame = 200;
constexpr int kMaximumWindow = 16384;

bool OutputIsUsable() {
    return fcntl(1, F_GETFL) != -1;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

eColourDepth DepthFromEnvironment() {
    const std::string term = Environment("TERM");
    const std::string colourTerm = Environment("COLORTERM");
    if (term.find("256color") != std::string::npos || term.find("direct") != std::string::npos ||
        term.rfind("xterm", 0) == 0 || colourTerm == "truecolor" || colourTerm == "24bit") {
        return eColourDepth::Colours256;
    }
    if (term == "ansi" || term.rfind("vt", 0) == 0) {
        return eColourDepth::Colours8;
    }
    return eColourDepth::Colours16;
}

// COLORFGBG is "foreground;background" (sometimes with a middle field), in palette indices.
bool BackgroundFromEnvironment(cRgb& background) {
    const std::string value = Environment("COLORFGBG");
    const std::size_t semicolon = value.rfind(';');
    if (semicolon == std::string::npos) {
        return false;
    }
    const std::string last = value.substr(semicolon + 1);
    if (last.empty() || last.size() > 2 || last.find_first_not_of("0123456789") != last.npos) {
        return false;
    }
    const int index = std::atoi(last.c_str());
    if (index > 15) {
        return false;
    }
    background = PaletteColour(index);
    return true;
}

// Answers come back on standard input only when it is the same terminal as the output, and
// only a game in the terminal's foreground may change its modes (one started in the background
// would be stopped for trying).
bool InputIsTheSameTerminal() {
    struct stat input {};
    struct stat output {};
    return isatty(0) == 1 && fstat(0, &input) == 0 && fstat(1, &output) == 0 &&
           input.st_rdev == output.st_rdev && tcgetpgrp(0) == getpgrp();
}

bool SameCorner(const cWindowRect& a, const cWindowRect& b) {
    return a.left == b.left && a.top == b.top;
}

bool IsCoordinate(int value) {
    return value >= 0 && value <= kMaximumCoordinate;
}

// The pixels of one character cell, or 0 when the numbers cannot be a cell's.
int CellSize(int pixels, int characters) {
    if (characters <= 0 || !IsCoordinate(pixels)) {
        return 0;
    }
    const int cell = pixels / characters;
    return cell >= kMinimumCell && cell <= kMaximumCell ? cell : 0;
}

// Plain text: a pipe, a file, a dumb terminal, a screen reader.
class cPlainConsole : public cConsole {
  public:
    bool IsUsable() override { return OutputIsUsable(); }
    void SetTitle(const std::string&) override {}
    void SetTextAttribute(tAttribute) override {}
    bool GetWindowRect(cWindowRect&) override { return false; }
    void MoveWindow(const cWindowRect&) override {}
    void SetWindowSize(int, int) override {}
    // A dumb terminal still acts on control bytes; a pipe or a file does not.
    bool ActsOnControlBytes() override { return isatty(1) == 1; }
    void Restore() override {
        // The shell's prompt belongs on a line of its own.
        if (isatty(1) == 1 && !Sys_OutputAtLineStart()) {
            std::cout << '\n';
            Sys_FlushOutput();
        }
    }
};

class cAnsiConsole : public cConsole {
  public:
    explicit cAnsiConsole(bool colours) : m_colours(colours), m_depth(DepthFromEnvironment()) {
        Start();
    }

    bool IsUsable() override { return OutputIsUsable(); }
    bool ActsOnControlBytes() override { return true; }

    void SetTitle(const std::string& title) override {
        if (!m_titlePushed) {
            std::cout << "\x1b[22;0t";
            m_titlePushed = true;
        }
        std::cout << "\x1b]0;" << title << "\x07";
    }

    void SetTextAttribute(tAttribute attribute) override {
        if (!m_colours || attribute == m_attribute) {
            return;
        }
        const cColourChoice choice = ChooseColour(attribute, m_background, m_depth);
        const std::string sequence = ColourSequence(choice, m_depth);
        const bool wrap = choice.background != kDefaultColour;
        if (wrap || m_wrapping) {
            // Line ends are written with the terminal's own background, then the colour again.
            Sys_SetLineEndWrap(wrap ? "\x1b[49m" : "", wrap ? sequence : "");
            m_wrapping = wrap;
        }
        std::cout << sequence;
        m_attribute = attribute;
    }

    bool GetWindowRect(cWindowRect& rect) override {
        if (!m_positionReported) {
            return false;
        }
        if (m_startAnswerUnused) {
            m_startAnswerUnused = false;
        } else {
            int x = 0;
            int y = 0;
            if (!AskPosition(x, y)) {
                return false;
            }
            if (m_moveUnchecked && Sys_TickCount() - m_movedAt < kMoveSettledMs) {
                SetFrame(x - m_commandX, y - m_commandY);
            }
            m_moveUnchecked = false;
            m_window.left = x;
            m_window.top = y;
        }
        rect = m_window;
        rect.right = rect.left + m_width;
        rect.bottom = rect.top + m_height;
        return true;
    }

    void MoveWindow(const cWindowRect& rect) override {
        if (!m_frameLearned) {
            LearnFrame();
        }
        MoveCorner(rect);
        SetWindowSize(rect.right - rect.left, rect.bottom - rect.top);
    }

    void SetWindowSize(int width, int height) override {
        if (m_cellWidth > 0 && m_cellHeight > 0) {
            // Never so small that the banner or a picture would wrap.
            width = std::min(std::max(width, kMinimumColumns * m_cellWidth), kMaximumWindow);
            height = std::min(std::max(height, kMinimumRows * m_cellHeight), kMaximumWindow);
            if (width != m_width || height != m_height) {
                std::cout << "\x1b[4;" << height << ';' << width << 't';
                m_width = width;
                m_height = height;
                m_resized = true;
            }
        } else if (!m_resized && m_columns > 0 && m_rows > 0 &&
                   (m_columns < kMinimumColumns || m_rows < kMinimumRows)) {
            // Pixels mean nothing without the size of a character: ask in characters.
            std::cout << "\x1b[8;" << std::max(m_rows, kMinimumRows) << ';'
                      << std::max(m_columns, kMinimumColumns) << 't';
            m_resized = true;
        }
        Sys_FlushOutput();
    }

    void Restore() override {
        if (m_wrapping) {
            Sys_SetLineEndWrap("", "");
            m_wrapping = false;
        }
        if (m_attribute != kColourNormal) {
            std::cout << "\x1b[0m";
            m_attribute = kColourNormal;
        }
        if (!Sys_OutputAtLineStart()) {
            std::cout << "\r\n";
        }
        if (m_resized && m_columns > 0 && m_rows > 0) {
            std::cout << "\x1b[8;" << m_rows << ';' << m_columns << 't';
            m_resized = false;
            m_width = m_startWidth;
            m_height = m_startHeight;
        }
        MoveCorner(m_start);
        Sys_FlushOutput();
        if (m_titlePushed) {
            std::cout << "\x1b[23;0t";
            m_titlePushed = false;
        }
        Sys_FlushOutput();
    }

  private:
    // Before the first move: where does a move really put the window? (See the top.)
    void LearnFrame() {
        m_frameLearned = true;
        if (!m_positionReported) {
            return;
        }
        const int x = m_window.left;
        const int y = m_window.top;
        std::cout << "\x1b[3;" << x << ';' << y << 't';
        int readX = x;
        int readY = y;
        const std::uint32_t start = Sys_TickCount();
        while (AskPosition(readX, readY) && readX == x && readY == y &&
               Sys_TickCount() - start < kFrameSettleMs) {
            Sys_Sleep(kFrameLookMs);
        }
        SetFrame(readX - x, readY - y);
        m_commandX = x - m_frameX;
        m_commandY = y - m_frameY;
        if (m_frameX != 0 || m_frameY != 0) {
            std::cout << "\x1b[3;" << m_commandX << ';' << m_commandY << 't';
        }
        m_movedAt = Sys_TickCount();
        m_moveUnchecked = true;
        Sys_FlushOutput();
    }

    void SetFrame(int x, int y) {
        if (std::abs(x) <= kMaximumFrame && std::abs(y) <= kMaximumFrame) {
            m_frameX = x;
            m_frameY = y;
        }
    }

    // Asks where the window is: true with its position when the terminal answered this very
    // question with a position that can be right.
    bool AskPosition(int& x, int& y) {
        const cTerminalReplies* replies = Ask("\x1b[13t\x1b[c");
        if (replies == nullptr || !replies->positionSeen ||
            replies->positionAfterAttributes < m_rounds - 1 || !IsCoordinate(replies->x) ||
            !IsCoordinate(replies->y)) {
            return false;
        }
        x = replies->x;
        y = replies->y;
        return true;
    }

    // Moves the window so that its position will read back as the rectangle's corner.
    void MoveCorner(const cWindowRect& rect) {
        if (!m_positionReported || SameCorner(rect, m_window)) {
            return;
        }
        m_commandX = rect.left - m_frameX;
        m_commandY = rect.top - m_frameY;
        std::cout << "\x1b[3;" << m_commandX << ';' << m_commandY << 't';
        m_window.left = rect.left;
        m_window.top = rect.top;
        m_movedAt = Sys_TickCount();
        m_moveUnchecked = true;
    }

    void Start() {
        winsize size{};
        if (ioctl(1, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
            m_columns = size.ws_col;
            m_rows = size.ws_row;
            SetCell(size.ws_xpixel, size.ws_ypixel);
        }
        const bool backgroundKnown = BackgroundFromEnvironment(m_background);
        bool backgroundAnswered = false;
        const cTerminalReplies* replies =
            Ask(std::string(m_colours ? "\x1b]11;?\x1b\\" : "") + "\x1b[13t\x1b[14t\x1b[c");
        if (replies != nullptr) {
            if (replies->backgroundSeen) {
                m_background = replies->background;
                backgroundAnswered = true;
            }
            if (replies->positionSeen && IsCoordinate(replies->x) && IsCoordinate(replies->y)) {
                m_positionReported = true;
                m_startAnswerUnused = true;
                m_window.left = replies->x;
                m_window.top = replies->y;
                m_start = m_window;
            }
            if (replies->sizeSeen) {
                SetCell(replies->width, replies->height);
            }
        }
        if (!backgroundKnown && !backgroundAnswered) {
            m_background = cRgb{0, 0, 0};
        }
        m_width = m_cellWidth * m_columns;
        m_height = m_cellHeight * m_rows;
        m_startWidth = m_width;
        m_startHeight = m_height;
    }

    // Both numbers must make a believable cell, or the cell stays unknown.
    void SetCell(int width, int height) {
        const int cellWidth = CellSize(width, m_columns);
        const int cellHeight = CellSize(height, m_rows);
        const bool believable = cellWidth > 0 && cellHeight > 0;
        m_cellWidth = believable ? cellWidth : 0;
        m_cellHeight = believable ? cellHeight : 0;
    }

    // Sends one round of questions, closed by a device-attributes request, and reads until
    // this round's device attributes come back (the answers so far, the round's own among
    // them), the wait runs out or a quit is requested (null). Nothing is asked when the answers
    // could not be read: standard input is not this terminal. Answers that come after the wait
    // are still taken out of the input when they come, and a later round tells its own answers
    // from them by counting the device attributes.
    const cTerminalReplies* Ask(const std::string& questions) {
        cTerminalReplies* replies = Sys_TerminalReplies();
        if (replies == nullptr || !InputIsTheSameTerminal() || Sys_QuitRequested()) {
            return nullptr;
        }
        termios saved{};
        if (tcgetattr(0, &saved) != 0) {
            return nullptr;
        }
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        quiet.c_cc[VMIN] = 0;
        quiet.c_cc[VTIME] = 0;
        tcsetattr(0, TCSANOW, &quiet);
        std::cout << questions;
        Sys_FlushOutput();
        m_rounds = std::max(m_rounds, replies->deviceAttributes) + 1;

        const std::uint32_t start = Sys_TickCount();
        while (replies->deviceAttributes < m_rounds && !Sys_QuitRequested()) {
            // A reply that has begun is read to its end while the terminal keeps sending it, so
            // that it never spills into the typed line (whose length the terminal limits).
            const std::uint32_t limit =
                replies->InSequence() ? kStreamingReplyWaitMs : kReplyWaitMs;
            const std::uint32_t waited = Sys_TickCount() - start;
            if (waited >= limit) {
                break;
            }
            pollfd fd{0, POLLIN, 0};
            if (poll(&fd, 1, static_cast<int>(limit - waited)) <= 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t n = read(0, chunk, sizeof chunk);
            if (n > 0) {
                replies->Feed(chunk, static_cast<std::size_t>(n));
            } else if (n == 0) {
                break;
            }
        }
        tcsetattr(0, TCSANOW, &saved);
        Sys_UnreadInput(replies->TakeTyped());
        return replies->deviceAttributes >= m_rounds ? replies : nullptr;
    }

    const bool m_colours;
    const eColourDepth m_depth;
    cRgb m_background;
    tAttribute m_attribute = kColourNormal;
    bool m_wrapping = false;
    bool m_titlePushed = false;

    // The window in characters and pixels as found, and where it is now (what a position
    // report would say).
    int m_columns = 0;
    int m_rows = 0;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_width = 0;
    int m_height = 0;
    int m_startWidth = 0;
    int m_startHeight = 0;
    bool m_resized = false;
    bool m_positionReported = false;
    bool m_startAnswerUnused = false;
    cWindowRect m_start;
    cWindowRect m_window;

    // The last move asked for, and how far from it the window manager put the window.
    int m_commandX = 0;
    int m_commandY = 0;
    int m_frameX = 0;
    int m_frameY = 0;
    std::uint32_t m_movedAt = 0;
    bool m_moveUnchecked = false;
    bool m_frameLearned = false;
    // Rounds of questions asked: the one whose device attributes close the latest round.
    int m_rounds = 0;
};

bool IsDumb(const std::string& term) {
    return term.empty() || term == "dumb";
}

}  // namespace

std::unique_ptr<cConsole> Sys_CreateTerminalConsole() {
    if (isatty(1) == 1 && !IsDumb(Environment("TERM"))) {
        return std::make_unique<cAnsiConsole>(Environment("NO_COLOR").empty());
    }
    return std::make_unique<cPlainConsole>();
}
