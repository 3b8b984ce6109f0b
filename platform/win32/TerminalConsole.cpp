// The console of the real process on Windows.
//
// When standard output is a console, the attribute values go straight to
// SetConsoleTextAttribute; the text before a change is flushed first, since it waits in our own
// output buffer. The caption is set with SetConsoleTitleA and the window placed with
// GetWindowRect and MoveWindow on the console's window. The first sizing also shows the top
// left of the screen buffer at its largest visible size. Restore gives back the colours, the
// caption and the window's place and size that were there before, and ends an open line.
//
// Anywhere else (a pipe, a file) the output is the game's plain text, as on every system.

#include <windows.h>

#include <iostream>
#include <string>

#include "platform/Console.h"
#include "platform/StandardStreams.h"

namespace {

HANDLE StandardOutput() {
    return GetStdHandle(STD_OUTPUT_HANDLE);
}

bool OutputIsUsable() {
    HANDLE output = StandardOutput();
    return output != nullptr && output != INVALID_HANDLE_VALUE &&
           GetFileType(output) != FILE_TYPE_UNKNOWN;
}

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

class cWin32Console : public cConsole {
  public:
    explicit cWin32Console(const CONSOLE_SCREEN_BUFFER_INFO& found)
        : m_foundAttribute(found.wAttributes) {}

    bool IsUsable() override { return OutputIsUsable(); }
    bool ActsOnControlBytes() override { return true; }

    void SetTitle(const std::string& title) override {
        if (!m_titleSaved) {
            char old[MAX_PATH] = {};
            GetConsoleTitleA(old, sizeof old);
            m_foundTitle = old;
            m_titleSaved = true;
        }
        SetConsoleTitleA(title.c_str());
    }

    void SetTextAttribute(tAttribute attribute) override {
        Sys_FlushOutput();
        SetConsoleTextAttribute(StandardOutput(), attribute);
        m_attributeChanged = true;
    }

    bool GetWindowRect(cWindowRect& rect) override {
        HWND window = GetConsoleWindow();
        RECT found{};
        if (window == nullptr || !::GetWindowRect(window, &found)) {
            return false;
        }
        rect.left = found.left;
        rect.top = found.top;
        rect.right = found.right;
        rect.bottom = found.bottom;
        if (!m_rectSaved) {
            m_foundRect = found;
            m_rectSaved = true;
        }
        return true;
    }

    void MoveWindow(const cWindowRect& rect) override {
        HWND window = GetConsoleWindow();
        if (window != nullptr) {
            m_windowMoved = true;
            ::MoveWindow(window, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, TRUE);
        }
        ShowWholeBufferOnce();
    }

    void SetWindowSize(int width, int height) override {
        cWindowRect rect;
        if (GetWindowRect(rect)) {
            rect.right = rect.left + width;
            rect.bottom = rect.top + height;
            MoveWindow(rect);
        } else {
            ShowWholeBufferOnce();
        }
    }

    void Restore() override {
        if (!Sys_OutputAtLineStart()) {
            std::cout << '\n';
        }
        Sys_FlushOutput();
        if (m_attributeChanged) {
            SetConsoleTextAttribute(StandardOutput(), m_foundAttribute);
            m_attributeChanged = false;
        }
        if (m_titleSaved) {
            SetConsoleTitleA(m_foundTitle.c_str());
            m_titleSaved = false;
        }
        HWND window = GetConsoleWindow();
        if (m_windowMoved && m_rectSaved && window != nullptr) {
            ::MoveWindow(window, m_foundRect.left, m_foundRect.top,
                         m_foundRect.right - m_foundRect.left, m_foundRect.bottom - m_foundRect.top,
                         TRUE);
            m_windowMoved = false;
        }
    }

  private:
    // The visible area becomes the top left of the buffer at the largest size the window
    // allows; nothing else in the buffer's settings changes. Done once, with the first sizing:
    // the shakes that follow must not scroll what the player sees.
    void ShowWholeBufferOnce() {
        if (m_bufferShown) {
            return;
        }
        m_bufferShown = true;
        CONSOLE_SCREEN_BUFFER_INFOEX info{};
        info.cbSize = sizeof info;
        if (!GetConsoleScreenBufferInfoEx(StandardOutput(), &info)) {
            return;
        }
        info.srWindow.Left = 0;
        info.srWindow.Top = 0;
        info.srWindow.Right = static_cast<SHORT>(info.dwMaximumWindowSize.X - 1);
        info.srWindow.Bottom = static_cast<SHORT>(info.dwMaximumWindowSize.Y - 1);
        SetConsoleScreenBufferInfoEx(StandardOutput(), &info);
    }

    WORD m_foundAttribute;
    std::string m_foundTitle;
    bool m_titleSaved = false;
    bool m_attributeChanged = false;
    bool m_bufferShown = false;
    RECT m_foundRect{};
    bool m_rectSaved = false;
    bool m_windowMoved = false;
};

}  // namespace

std::unique_ptr<cConsole> Sys_CreateTerminalConsole() {
    CONSOLE_SCREEN_BUFFER_INFO found{};
    if (GetConsoleScreenBufferInfo(StandardOutput(), &found)) {
        return std::make_unique<cWin32Console>(found);
    }
    return std::make_unique<cPlainConsole>();
}
