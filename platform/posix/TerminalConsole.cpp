// The console of the real process: on a terminal, the colours, the window and the caption
// (one part each in platform/terminal/posix: TerminalColours.h, TerminalWindow.h and
// TerminalTitle.h), which learn what they need from one round of questions at start-up
// (TerminalQuestions.h); anywhere else (a pipe, a file, a TERM that is unset, empty or "dumb")
// the game's plain text with no escapes.
//
// The terminal is given back at exit as it was found: its colours, the cursor at the start of
// a fresh line, the window's size in characters and its position, then the caption.

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/Console.h"
#include "platform/System.h"
#include "platform/terminal/posix/TerminalColours.h"
#include "platform/terminal/posix/TerminalQuestions.h"
#include "platform/terminal/posix/TerminalTitle.h"
#include "platform/terminal/posix/TerminalWindow.h"

namespace {

// Plain text: a pipe, a file, a dumb terminal, a screen reader.
class cPlainConsole : public cConsole {
  public:
    bool IsUsable() override { return fcntl(1, F_GETFL) != -1; }
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

// The plain console's output, with the colours, the window and the caption of a terminal.
class cAnsiConsole : public cPlainConsole {
  public:
    cAnsiConsole() : m_window(m_questions) {
        m_window.MeasureTextArea();
        const cTerminalReplies* replies =
            m_questions.Ask(m_colours.Question() + "\x1b[13t\x1b[14t");
        m_colours.Learn(replies);
        m_window.Learn(replies);
    }

    bool ActsOnControlBytes() override { return true; }
    void SetTitle(const std::string& title) override { m_title.Set(title); }
    void SetTextAttribute(tAttribute attribute) override { m_colours.Set(attribute); }
    bool GetWindowRect(cWindowRect& rect) override { return m_window.GetWindowRect(rect); }
    void MoveWindow(const cWindowRect& rect) override { m_window.MoveWindow(rect); }
    void SetWindowSize(int width, int height) override { m_window.SetWindowSize(width, height); }

    void Restore() override {
        m_colours.Restore();
        if (!Sys_OutputAtLineStart()) {
            std::cout << "\r\n";
        }
        m_window.Restore();
        Sys_FlushOutput();
        m_title.Restore();
        Sys_FlushOutput();
    }

  private:
    cTerminalQuestions m_questions;
    cTerminalColours m_colours;
    cTerminalTitle m_title;
    cTerminalWindow m_window;
};

}  // namespace

std::unique_ptr<cConsole> Sys_CreateTerminalConsole() {
    const char* term = std::getenv("TERM");
    if (isatty(1) == 1 && term != nullptr && *term != '\0' && std::string(term) != "dumb") {
        return std::make_unique<cAnsiConsole>();
    }
    return std::make_unique<cPlainConsole>();
}
