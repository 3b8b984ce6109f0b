// The console of the real process on Windows.
//
// When standard output is a console, the attribute values go straight to
// SetConsoleTextAttribute, once the text before the change has left our own output buffer. The
// caption and the window are the console's own (ConsoleCalls.h).
//
// The first sizing also sets up the screen buffer for play:
//  - its colour table gets readable shades (ColourMap.h): a console's stock dark red on black is
//    1.9:1;
//  - the visible area becomes the top left of the buffer, as many characters as the window now
//    holds. Not the largest window the buffer allows: that is what fits on the screen (62 rows
//    of 16 pixels on a 1024-pixel screen), which would stretch the 800 by 480 window to the
//    screen's height.
// Restore gives back the colours, the caption, the colour table, the buffer's size, the
// visible area's size (showing the cursor's row) and the window's place and size that were
// there before, and ends an open line. The visible area is always set with SetWindowInfo, also
// right after the SetInfo that the colour table needs (ConsoleCalls.h says why).
//
// Anywhere else (a pipe, a file) the output is the game's plain text, as on every system.

#include <windows.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>

#include "platform/Console.h"
#include "platform/System.h"
#include "platform/terminal/ColourMap.h"
#include "platform/win32/ConsoleCalls.h"

namespace {

tColourTable TableOf(const CONSOLE_SCREEN_BUFFER_INFOEX& info) {
    tColourTable table;
    for (int i = 0; i < kColourTableSize; ++i) {
        const COLORREF entry = info.ColorTable[i];
        table[i] = {GetRValue(entry), GetGValue(entry), GetBValue(entry)};
    }
    return table;
}

SHORT Width(const SMALL_RECT& window) {
    return static_cast<SHORT>(window.Right - window.Left + 1);
}

SHORT Height(const SMALL_RECT& window) {
    return static_cast<SHORT>(window.Bottom - window.Top + 1);
}

class cPlainConsole : public cConsole {
  public:
    explicit cPlainConsole(std::unique_ptr<cConsoleCalls> calls) : m_calls(std::move(calls)) {}

    bool IsUsable() override { return m_calls->OutputIsUsable(); }

  private:
    std::unique_ptr<cConsoleCalls> m_calls;
};

class cWin32Console : public cConsole {
  public:
    cWin32Console(std::unique_ptr<cConsoleCalls> calls, const CONSOLE_SCREEN_BUFFER_INFOEX& found)
        : m_calls(std::move(calls)), m_found(found) {}

    bool IsUsable() override { return m_calls->OutputIsUsable(); }
    bool ActsOnControlBytes() override { return true; }

    void SetTitle(const std::string& title) override {
        if (!m_foundTitle) {
            m_foundTitle = m_calls->GetTitle();
        }
        m_calls->SetTitle(title);
    }

    void SetTextAttribute(tAttribute attribute) override {
        Sys_FlushOutput();
        m_calls->SetTextAttribute(Shown(attribute));
        m_attributeChanged = true;
    }

    bool GetWindowRect(cWindowRect& rect) override {
        RECT found{};
        if (!m_calls->GetWindowRect(found)) {
            return false;
        }
        rect = {found.left, found.top, found.right, found.bottom};
        if (!m_foundRect) {
            m_foundRect = found;
        }
        return true;
    }

    void MoveWindow(const cWindowRect& rect) override {
        if (m_foundRect) {
            m_windowMoved = true;
            m_calls->MoveWindow({rect.left, rect.top, rect.right, rect.bottom});
        }
        SetUpBufferOnce();
    }

    void SetWindowSize(int width, int height) override {
        cWindowRect rect;
        if (GetWindowRect(rect)) {
            rect.right = rect.left + width;
            rect.bottom = rect.top + height;
            MoveWindow(rect);
        } else {
            SetUpBufferOnce();
        }
    }

    void Restore() override {
        if (!Sys_OutputAtLineStart()) {
            std::cout << '\n';
        }
        Sys_FlushOutput();
        if (m_attributeChanged) {
            m_calls->SetTextAttribute(m_found.wAttributes);
            m_attributeChanged = false;
        }
        if (m_foundTitle) {
            m_calls->SetTitle(*m_foundTitle);
            m_foundTitle.reset();
        }
        if (m_bufferChanged) {
            RestoreBuffer();
            m_bufferChanged = false;
        }
        if (m_windowMoved) {
            m_calls->MoveWindow(*m_foundRect);
            m_windowMoved = false;
        }
    }

  private:
    tAttribute Shown(tAttribute attribute) const {
        return m_remappedTable ? ReadableAttribute(attribute, *m_remappedTable) : attribute;
    }

    // Done once, with the first sizing: the shakes that follow must not scroll what the player
    // sees.
    void SetUpBufferOnce() {
        if (m_bufferSetUp) {
            return;
        }
        m_bufferSetUp = true;
        CONSOLE_SCREEN_BUFFER_INFOEX info{};
        if (!m_calls->GetInfo(info)) {
            return;
        }
        m_bufferChanged = true;
        const tColourTable found = TableOf(info);
        const tColourTable readable = ReadableColourTable(found);
        CONSOLE_SCREEN_BUFFER_INFOEX wanted = info;
        for (int i = 0; i < kColourTableSize; ++i) {
            wanted.ColorTable[i] = RGB(readable[i].red, readable[i].green, readable[i].blue);
        }
        if (!std::equal(std::begin(wanted.ColorTable), std::end(wanted.ColorTable),
                        std::begin(info.ColorTable))) {
            m_tableChanged = m_calls->SetInfo(wanted);
            // A console may take the call and keep its table (Wine's does): the attributes
            // then change instead.
            CONSOLE_SCREEN_BUFFER_INFOEX now{};
            if (!m_calls->GetInfo(now) ||
                !std::equal(std::begin(wanted.ColorTable), std::end(wanted.ColorTable),
                            std::begin(now.ColorTable))) {
                m_remappedTable = found;
            }
        }
        const SHORT width = std::min(Width(info.srWindow), info.dwMaximumWindowSize.X);
        const SHORT height = std::min(Height(info.srWindow), info.dwMaximumWindowSize.Y);
        m_calls->SetWindowInfo(
            {0, 0, static_cast<SHORT>(width - 1), static_cast<SHORT>(height - 1)});
    }

    // The colour table and the buffer's size as found; the visible area at its size as found,
    // where it was if the cursor is in it, else moved up or down just far enough to show it.
    void RestoreBuffer() {
        CONSOLE_SCREEN_BUFFER_INFOEX now{};
        if (!m_calls->GetInfo(now)) {
            return;
        }
        if (m_tableChanged) {
            std::copy(std::begin(m_found.ColorTable), std::end(m_found.ColorTable),
                      std::begin(now.ColorTable));
            m_calls->SetInfo(now);
            m_tableChanged = false;
        }
        // The buffer can never be smaller than the visible area: first an area that fits in
        // both sizes, then the buffer, then the area as found.
        const SMALL_RECT& found = m_found.srWindow;
        m_calls->SetWindowInfo(
            {0, 0, static_cast<SHORT>(std::min(Width(now.srWindow), Width(found)) - 1),
             static_cast<SHORT>(std::min(Height(now.srWindow), Height(found)) - 1)});
        m_calls->SetBufferSize(m_found.dwSize);
        SMALL_RECT window = found;
        if (m_calls->GetInfo(now)) {
            // How far the cursor's row is outside the area: 0 when it is inside.
            const SHORT row = now.dwCursorPosition.Y;
            const auto shift = static_cast<SHORT>(row - std::clamp(row, window.Top, window.Bottom));
            window.Top = static_cast<SHORT>(window.Top + shift);
            window.Bottom = static_cast<SHORT>(window.Bottom + shift);
        }
        m_calls->SetWindowInfo(window);
    }

    std::unique_ptr<cConsoleCalls> m_calls;
    const CONSOLE_SCREEN_BUFFER_INFOEX m_found;
    std::optional<std::string> m_foundTitle;
    bool m_attributeChanged = false;
    bool m_bufferSetUp = false;
    bool m_bufferChanged = false;
    bool m_tableChanged = false;
    // Set when the table stayed unreadable: attributes are shown as readable entries of it.
    std::optional<tColourTable> m_remappedTable;
    std::optional<RECT> m_foundRect;
    bool m_windowMoved = false;
};

}  // namespace

std::unique_ptr<cConsole> CreateWin32Console(std::unique_ptr<cConsoleCalls> calls) {
    CONSOLE_SCREEN_BUFFER_INFOEX found{};
    if (calls->GetInfo(found)) {
        return std::make_unique<cWin32Console>(std::move(calls), found);
    }
    return std::make_unique<cPlainConsole>(std::move(calls));
}

std::unique_ptr<cConsole> Sys_CreateTerminalConsole() {
    return CreateWin32Console(CreateSystemConsoleCalls());
}
