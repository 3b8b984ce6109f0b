// Windows only: the game's console over a stand-in for the Windows console calls, which keeps
// a screen buffer, a colour table and a window as Wine's console and Windows' own do, each with
// its quirk: Wine takes SetConsoleScreenBufferInfoEx but keeps its colour table, Windows reads
// that call's window one row and column short; both widen the buffer when the window grows
// wider than it, and both may have no window at all (a console on a terminal).

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "platform/terminal/ColourMap.h"
#include "platform/win32/ConsoleCalls.h"
#include "support/TestPlatform.h"

namespace {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;
constexpr int kFrameWidth = 25;
constexpr int kFrameHeight = 27;

// The stock table of a console (Windows before 10, and Wine): dark red on black is 1.9:1.
constexpr COLORREF kStockTable[16] = {
    RGB(0, 0, 0),       RGB(0, 0, 128),   RGB(0, 128, 0),   RGB(0, 128, 128),
    RGB(128, 0, 0),     RGB(128, 0, 128), RGB(128, 128, 0), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(0, 0, 255),   RGB(0, 255, 0),   RGB(0, 255, 255),
    RGB(255, 0, 0),     RGB(255, 0, 255), RGB(255, 255, 0), RGB(255, 255, 255)};

struct cConsoleKind {
    const char* name;
    bool keepsTable;       // Wine
    bool setInfoOneShort;  // Windows
    bool hasWindow;
};

void PrintTo(const cConsoleKind& kind, std::ostream* os) {
    *os << kind.name;
}

class cFakeConsoleCalls : public cConsoleCalls {
  public:
    explicit cFakeConsoleCalls(const cConsoleKind& kind) : m_kind(kind) {
        state.dwSize = {80, 150};
        state.srWindow = {0, 0, 79, 24};
        state.wAttributes = 7;
        std::copy(std::begin(kStockTable), std::end(kStockTable), std::begin(state.ColorTable));
        rect = {100, 50, 100 + kFrameWidth + 80 * kCellWidth, 50 + kFrameHeight + 25 * kCellHeight};
    }

    bool OutputIsUsable() override { return true; }

    bool GetInfo(CONSOLE_SCREEN_BUFFER_INFOEX& info) override {
        info = state;
        // The largest window that fits on a 1280 by 1024 screen, within the buffer.
        info.dwMaximumWindowSize = {std::min<SHORT>(state.dwSize.X, 156),
                                    std::min<SHORT>(state.dwSize.Y, 62)};
        return true;
    }

    bool SetInfo(CONSOLE_SCREEN_BUFFER_INFOEX& info) override {
        ++setInfoCalls;
        if (!m_kind.keepsTable) {
            std::copy(std::begin(info.ColorTable), std::end(info.ColorTable),
                      std::begin(state.ColorTable));
        }
        state.wAttributes = info.wAttributes;
        state.dwSize = info.dwSize;
        SMALL_RECT window = info.srWindow;
        if (m_kind.setInfoOneShort) {
            --window.Right;
            --window.Bottom;
        }
        return SetWindowInfo(window);
    }

    bool SetBufferSize(COORD size) override {
        const SMALL_RECT& window = state.srWindow;
        if (window.Right >= size.X || window.Bottom >= size.Y) {
            return false;
        }
        state.dwSize = size;
        state.dwCursorPosition.Y = std::min<SHORT>(state.dwCursorPosition.Y, size.Y - 1);
        return true;
    }

    bool SetWindowInfo(const SMALL_RECT& window) override {
        if (window.Left < 0 || window.Top < 0 || window.Right < window.Left ||
            window.Bottom < window.Top || window.Right >= state.dwSize.X ||
            window.Bottom >= state.dwSize.Y) {
            return false;
        }
        state.srWindow = window;
        // The window's frame follows the visible area.
        rect.right = rect.left + kFrameWidth + (window.Right - window.Left + 1) * kCellWidth;
        rect.bottom = rect.top + kFrameHeight + (window.Bottom - window.Top + 1) * kCellHeight;
        return true;
    }

    bool SetTextAttribute(WORD attribute) override {
        attributes.push_back(attribute);
        state.wAttributes = attribute;
        return true;
    }

    std::string GetTitle() override { return title; }
    void SetTitle(const std::string& text) override { title = text; }

    bool GetWindowRect(RECT& found) override {
        found = rect;
        return m_kind.hasWindow;
    }

    // Whole cells only; a window wider than the buffer widens it.
    void MoveWindow(const RECT& wanted) override {
        const SHORT columns =
            static_cast<SHORT>((wanted.right - wanted.left - kFrameWidth) / kCellWidth);
        const SHORT rows =
            static_cast<SHORT>((wanted.bottom - wanted.top - kFrameHeight) / kCellHeight);
        state.dwSize.X = std::max(state.dwSize.X, columns);
        const SHORT top = std::min<SHORT>(state.srWindow.Top, state.dwSize.Y - rows);
        rect.left = wanted.left;
        rect.top = wanted.top;
        SetWindowInfo(
            {0, top, static_cast<SHORT>(columns - 1), static_cast<SHORT>(top + rows - 1)});
    }

    CONSOLE_SCREEN_BUFFER_INFOEX state{};
    RECT rect{};
    std::string title = "Command Prompt";
    std::vector<WORD> attributes;
    int setInfoCalls = 0;

  private:
    cConsoleKind m_kind;
};

cRgb Entry(const cFakeConsoleCalls& console, int index) {
    const COLORREF entry = console.state.ColorTable[index];
    return {GetRValue(entry), GetGValue(entry), GetBValue(entry)};
}

class Win32Console : public ::testing::TestWithParam<cConsoleKind> {};

// A whole game's use of the console: set-up, colours, a shake, output that scrolls, and the end.
TEST_P(Win32Console, PlaysReadableAndGivesEverythingBack) {
    const cConsoleKind& kind = GetParam();
    cSession session;
    auto owned = std::make_unique<cFakeConsoleCalls>(kind);
    cFakeConsoleCalls& console = *owned;
    const CONSOLE_SCREEN_BUFFER_INFOEX found = console.state;
    const RECT foundRect = console.rect;
    Sys_InstallConsole(CreateWin32Console(std::move(owned)));
    ASSERT_NE(InitConsole("Vaultreach"), nullptr);
    EXPECT_EQ(console.title, "Vaultreach");

    // The window as many whole cells as 800 by 480 pixels hold, at the top left of the buffer:
    // 96 by 28, not the 62 rows that fit on the screen.
    const SMALL_RECT& shown = console.state.srWindow;
    EXPECT_EQ(shown.Left, 0);
    EXPECT_EQ(shown.Top, 0);
    EXPECT_EQ(shown.Right - shown.Left + 1, kind.hasWindow ? 96 : 80);
    EXPECT_EQ(shown.Bottom - shown.Top + 1, kind.hasWindow ? 28 : 25);
    if (kind.hasWindow) {
        EXPECT_EQ(console.rect.right - console.rect.left, kFrameWidth + 96 * kCellWidth);
        EXPECT_EQ(console.rect.bottom - console.rect.top, kFrameHeight + 28 * kCellHeight);
    }

    // Every colour the game uses reads on the black it is shown on: where the table could be
    // changed its dark red and blue entries were, elsewhere the attributes are.
    tColourTable table;
    for (int i = 0; i < kColourTableSize; ++i) {
        table[i] = Entry(console, i);
    }
    for (const tAttribute attribute : kGameAttributes) {
        console.attributes.clear();
        SetColour(attribute);
        ASSERT_EQ(console.attributes.size(), 1u);
        const WORD shownAs = console.attributes[0];
        EXPECT_GE(Contrast(table[shownAs & 0xF], table[(shownAs >> 4) & 0xF]), kMinimumContrast)
            << attribute << " shown as " << shownAs;
        EXPECT_EQ(shownAs == attribute,
                  !kind.keepsTable || (attribute != kColourDarkRed && attribute != kColourBlue))
            << attribute;
    }
    if (!kind.keepsTable) {
        EXPECT_EQ(console.state.ColorTable[4], RGB(255, 0, 0));
        EXPECT_EQ(console.state.ColorTable[9], RGB(135, 135, 255));
    }
    SetColour(kColourNormal);
    ShakeScreen();

    // The story scrolled the buffer: the cursor sits far below the area shown at first.
    console.state.dwCursorPosition = {0, 140};
    Sys_RestoreConsole();
    const int setInfoCalls = console.setInfoCalls;
    Sys_RestoreConsole();
    EXPECT_EQ(console.setInfoCalls, setInfoCalls) << "a second restore changes nothing";

    EXPECT_TRUE(std::equal(std::begin(found.ColorTable), std::end(found.ColorTable),
                           std::begin(console.state.ColorTable)));
    EXPECT_EQ(console.state.dwSize.X, 80);
    EXPECT_EQ(console.state.dwSize.Y, 150);
    EXPECT_EQ(console.state.srWindow.Left, 0);
    EXPECT_EQ(console.state.srWindow.Right, 79);
    EXPECT_EQ(console.state.srWindow.Top, 140 - 24) << "the cursor's row is shown";
    EXPECT_EQ(console.state.srWindow.Bottom, 140);
    EXPECT_EQ(console.state.wAttributes, found.wAttributes);
    EXPECT_EQ(console.title, "Command Prompt");
    EXPECT_EQ(console.rect.left, foundRect.left);
    EXPECT_EQ(console.rect.top, foundRect.top);
    EXPECT_EQ(console.rect.right, foundRect.right);
    EXPECT_EQ(console.rect.bottom, foundRect.bottom);
    Sys_InstallConsole(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Win32Console,
                         ::testing::Values(cConsoleKind{"Windows", false, true, true},
                                           cConsoleKind{"Wine", true, false, true},
                                           cConsoleKind{"WineOnATerminal", true, false, false}),
                         [](const ::testing::TestParamInfo<cConsoleKind>& info) {
                             return info.param.name;
                         });

// A table on which every colour already reads is left alone, and so are the attributes.
TEST(Win32ConsoleTable, AReadableTableIsNeverWritten) {
    cSession session;
    auto owned = std::make_unique<cFakeConsoleCalls>(cConsoleKind{"Windows", false, true, true});
    cFakeConsoleCalls& console = *owned;
    console.state.ColorTable[4] = RGB(255, 85, 85);
    console.state.ColorTable[9] = RGB(128, 128, 255);
    Sys_InstallConsole(CreateWin32Console(std::move(owned)));
    ASSERT_NE(InitConsole("Vaultreach"), nullptr);
    SetColour(kColourDarkRed);
    SetColour(kColourBlue);
    Sys_RestoreConsole();
    EXPECT_EQ(console.setInfoCalls, 0);
    ASSERT_GE(console.attributes.size(), 2u);
    EXPECT_EQ(console.attributes[0], kColourDarkRed);
    EXPECT_EQ(console.attributes[1], kColourBlue);
    Sys_InstallConsole(nullptr);
}

}  // namespace
