#include "platform/terminal/posix/TerminalQuestions.h"

#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "platform/Clock.h"
#include "platform/System.h"

namespace {

// Every terminal answers the device attributes at once; this only bounds the wait for one that
// does not (a bare pseudo-terminal with nothing behind it).
constexpr std::uint32_t kReplyWaitMs = 250;
// How long a reply already on its way may keep the wait going while its bytes keep coming
// (none missing for kReplyWaitMs): a long one (a megabyte on a local link, read by a busy
// machine) is read whole, an endless one is cut off.
constexpr std::uint32_t kStreamingReplyWaitMs = 5000;
// A position read back this soon after a move of our own shows where that move really put the
// window.
constexpr std::uint32_t kMoveSettledMs = 1000;
// How long the first move may take to show in the position read back, and how often to look.
constexpr std::uint32_t kFrameSettleMs = 100;
constexpr std::uint32_t kFrameLookMs = 10;
constexpr int kMaximumCoordinate = 32767;
constexpr int kMaximumFrame = 200;

// Answers come back on standard input only when it is the same terminal as the output, and
// only a game in the terminal's foreground may change its modes (one started in the background
// would be stopped for trying).
bool InputIsTheSameTerminal() {
    struct stat input {};
    struct stat output {};
    return isatty(0) == 1 && fstat(0, &input) == 0 && fstat(1, &output) == 0 &&
           input.st_rdev == output.st_rdev && tcgetpgrp(0) == getpgrp();
}

void WriteMove(int x, int y) {
    std::cout << "\x1b[3;" << x << ';' << y << 't';
}

}  // namespace

bool IsCoordinate(int value) {
    return value >= 0 && value <= kMaximumCoordinate;
}

const cTerminalReplies* cTerminalQuestions::Ask(const std::string& questions) {
    cTerminalReplies* replies = SharedTerminalReplies();
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
    std::cout << questions << "\x1b[c";
    Sys_FlushOutput();
    m_rounds = std::max(m_rounds, replies->deviceAttributes) + 1;

    const std::uint32_t start = Sys_TickCount();
    std::uint32_t lastRead = start;
    while (replies->deviceAttributes < m_rounds && !Sys_QuitRequested()) {
        // A reply that has begun is read to its end while the terminal keeps sending it, so
        // that it never spills into the typed line (whose length the terminal limits).
        const std::uint32_t now = Sys_TickCount();
        std::uint32_t left = kReplyWaitMs - std::min(kReplyWaitMs, now - start);
        if (replies->InSequence()) {
            left = std::min(kReplyWaitMs - std::min(kReplyWaitMs, now - lastRead),
                            kStreamingReplyWaitMs - std::min(kStreamingReplyWaitMs, now - start));
        }
        if (left == 0) {
            break;
        }
        pollfd fd{0, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        char chunk[4096];
        const ssize_t n = read(0, chunk, sizeof chunk);
        if (n > 0) {
            lastRead = Sys_TickCount();
            replies->Feed(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        }
    }
    tcsetattr(0, TCSANOW, &saved);
    Sys_UnreadInput(replies->TakeTyped());
    return replies->deviceAttributes >= m_rounds ? replies : nullptr;
}

bool cTerminalQuestions::AskPosition(int& x, int& y) {
    const cTerminalReplies* replies = Ask("\x1b[13t");
    if (replies == nullptr || !replies->positionSeen ||
        replies->positionAfterAttributes < m_rounds - 1 || !IsCoordinate(replies->x) ||
        !IsCoordinate(replies->y)) {
        return false;
    }
    x = replies->x;
    y = replies->y;
    return true;
}

bool cTerminalQuestions::AskPositionAfterMove(int& x, int& y) {
    if (!AskPosition(x, y)) {
        return false;
    }
    if (m_moveUnchecked && Sys_TickCount() - m_movedAt < kMoveSettledMs) {
        SetFrame(x - m_commandX, y - m_commandY);
    }
    m_moveUnchecked = false;
    return true;
}

void cTerminalQuestions::LearnFrame(int x, int y) {
    if (m_frameLearned) {
        return;
    }
    m_frameLearned = true;
    WriteMove(x, y);
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
        WriteMove(m_commandX, m_commandY);
    }
    m_movedAt = Sys_TickCount();
    m_moveUnchecked = true;
    Sys_FlushOutput();
}

void cTerminalQuestions::Move(int x, int y) {
    m_commandX = x - m_frameX;
    m_commandY = y - m_frameY;
    WriteMove(m_commandX, m_commandY);
    m_movedAt = Sys_TickCount();
    m_moveUnchecked = true;
}

void cTerminalQuestions::SetFrame(int x, int y) {
    if (std::abs(x) <= kMaximumFrame && std::abs(y) <= kMaximumFrame) {
        m_frameX = x;
        m_frameY = y;
    }
}
