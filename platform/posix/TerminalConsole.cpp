// The console of the real process.
//
// On a terminal, attributes become ANSI SGR sequences written into std::cout, so they stay in
// order with the text. The palette keeps every colour readable on dark and on light
// backgrounds: the normal colour is the terminal's own, "bright white" is bold in the
// terminal's own colour, and the banner sets both its colours. The caption uses the OSC title
// sequence (the old title is pushed and popped again), and the window is sized and moved with
// xterm's window-manipulation sequences, which terminals that do not allow them ignore.
//
// Anywhere else (a pipe, a file) the output is the game's plain text, with no escapes at all.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/StandardStreams.h"

namespace {

constexpr std::uint32_t kReplyWaitMs = 50;

const char* SequenceFor(tAttribute attribute) {
    switch (attribute) {
        case kColourDarkRed:
            return "\x1b[0;31m";
        case kColourBlue:
            return "\x1b[0;94m";
        case kColourGreen:
            return "\x1b[0;32m";
        case kColourRed:
            return "\x1b[0;91m";
        case kColourMagenta:
            return "\x1b[0;35m";
        case kColourYellow:
            return "\x1b[0;33m";
        case kColourWhite:
            return "\x1b[0;1m";
        case kColourBanner:
            return "\x1b[0;30;47m";
        default:
            return "\x1b[0m";
    }
}

bool OutputIsUsable() {
    return fcntl(1, F_GETFL) != -1;
}

// Plain text: a pipe, a file, a screen reader.
class cPlainConsole : public cConsole {
  public:
    bool IsUsable() override { return OutputIsUsable(); }
    void SetTitle(const std::string&) override {}
    void SetTextAttribute(tAttribute) override {}
    bool GetWindowRect(cWindowRect&) override { return false; }
    void MoveWindow(const cWindowRect&) override {}
    void SetWindowSize(int, int) override {}
    void Restore() override {}
};

class cAnsiConsole : public cConsole {
  public:
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
        if (attribute != m_attribute) {
            std::cout << SequenceFor(attribute);
            m_attribute = attribute;
        }
    }

    bool GetWindowRect(cWindowRect& rect) override {
        int x = 0;
        int y = 0;
        if (!QueryPosition(x, y)) {
            return false;
        }
        rect.left = x;
        rect.top = y;
        rect.right = x + m_width;
        rect.bottom = y + m_height;
        return true;
    }

    void MoveWindow(const cWindowRect& rect) override {
        std::cout << "\x1b[3;" << rect.left << ';' << rect.top << 't';
        SetWindowSize(rect.right - rect.left, rect.bottom - rect.top);
    }

    void SetWindowSize(int width, int height) override {
        if (width != m_width || height != m_height) {
            std::cout << "\x1b[4;" << height << ';' << width << 't';
            m_width = width;
            m_height = height;
        }
        std::cout.flush();
    }

    void Restore() override {
        if (m_attribute != kColourNormal) {
            std::cout << "\x1b[0m";
            m_attribute = kColourNormal;
        }
        if (m_titlePushed) {
            std::cout << "\x1b[23;0t";
            m_titlePushed = false;
        }
        std::cout.flush();
    }

  private:
    // Asks the terminal where its window is. Only done when standard input is the terminal and
    // holds no typed line; anything the player types while we wait for the reply is handed
    // back to the game's input in order, so no key is lost.
    bool QueryPosition(int& x, int& y) {
        int pending = 0;
        if (!isatty(0) || ioctl(0, FIONREAD, &pending) != 0 || pending > 0) {
            return false;
        }
        termios saved{};
        if (tcgetattr(0, &saved) != 0) {
            return false;
        }
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        quiet.c_cc[VMIN] = 0;
        quiet.c_cc[VTIME] = 0;
        tcsetattr(0, TCSANOW, &quiet);
        std::cout << "\x1b[13t" << std::flush;

        std::string received;
        const std::uint32_t start = Sys_TickCount();
        std::size_t reply = std::string::npos;
        for (;;) {
            reply = received.find("\x1b[3;");
            if (reply != std::string::npos && received.find('t', reply) != std::string::npos) {
                break;
            }
            const std::uint32_t waited = Sys_TickCount() - start;
            if (waited >= kReplyWaitMs || Sys_QuitRequested()) {
                break;
            }
            pollfd fd{0, POLLIN, 0};
            if (poll(&fd, 1, static_cast<int>(kReplyWaitMs - waited)) <= 0) {
                continue;
            }
            char chunk[256];
            const ssize_t n = read(0, chunk, sizeof chunk);
            if (n > 0) {
                received.append(chunk, static_cast<std::size_t>(n));
            }
        }
        tcsetattr(0, TCSANOW, &saved);

        bool found = false;
        if (reply != std::string::npos) {
            const std::size_t end = received.find('t', reply);
            if (end != std::string::npos &&
                std::sscanf(received.c_str() + reply, "\x1b[3;%d;%dt", &x, &y) == 2) {
                received.erase(reply, end - reply + 1);
                found = true;
            }
        }
        Sys_UnreadInput(received);
        return found;
    }

    tAttribute m_attribute = kColourNormal;
    bool m_titlePushed = false;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace

std::unique_ptr<cConsole> Sys_CreateTerminalConsole() {
    if (isatty(1)) {
        return std::make_unique<cAnsiConsole>();
    }
    return std::make_unique<cPlainConsole>();
}
