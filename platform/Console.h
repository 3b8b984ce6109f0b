#ifndef VAULTREACH_PLATFORM_CONSOLE_H
#define VAULTREACH_PLATFORM_CONSOLE_H

// The console: the game's window onto the player's terminal.
//
// Game code prints with std::cout and reads with std::cin; this header adds what a plain
// stream cannot do: the caption, the text colours, the window's size and the screen shake.
// Colours are the classic console attribute numbers (low nibble foreground, high nibble
// background). A coloured passage is closed by setting kColourNormal again.
//
// The real console turns attributes into colour sequences chosen for the terminal's background
// when standard output is a terminal (none with NO_COLOR, and none at all for TERM=dumb) and
// writes plain text otherwise. Tests install a console that records every attribute
// change into the transcript instead (Sys_InstallConsole).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/System.h"

using tAttribute = std::uint16_t;

constexpr tAttribute kColourDarkRed = 4;
constexpr tAttribute kColourNormal = 7;
constexpr tAttribute kColourBlue = 9;
constexpr tAttribute kColourGreen = 10;
constexpr tAttribute kColourRed = 12;
constexpr tAttribute kColourMagenta = 13;
constexpr tAttribute kColourYellow = 14;
constexpr tAttribute kColourWhite = 15;
constexpr tAttribute kColourBanner = 128;

// A window's outer rectangle in screen pixels.
struct cWindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What a prompt asks for. A console that offers the choices itself (buttons on a page) or a test
// that answers prompts knows them by this, never by the prompt's text.
enum class ePrompt {
    Name,
    Weapon,
    Direction,
    Fight,
    Inventory,
    UseItem,
    DropItem,
    Loot,
    Gnome,
    GnomeQuestion,
    Replay,
    Exit,
};

// The prompt's kind as one lower-case word ("direction", "use-item").
const char* PromptName(ePrompt kind);

// One choice of a prompt: its label as the game prints it ("(N)orth", "(0)Bread x1"; "Yes" and
// "No" for a question that prints none) and the line that answers it ("n", "0"; empty for the
// final Enter).
struct cChoice {
    std::string label;
    std::string answer;
};

// Writes each choice's label on a line of its own, then "?:".
void WriteChoices(const std::vector<cChoice>& choices);

// "Yes" (y) and "No" (n), for the questions that print no choices of their own.
const std::vector<cChoice>& YesNoChoices();

// One implementation per kind of output (terminal, plain text, test recorder, Windows console).
// Each call's default is plain text's: nothing to set, no window to place, nothing to give back.
class cConsole {
  public:
    virtual ~cConsole() = default;

    // False when there is no usable standard output to play on.
    virtual bool IsUsable() = 0;
    virtual void SetTitle(const std::string&) {}
    // Text written from now on shows in the colour this value stands for, readable on the
    // console's background (at least 4.5:1 contrast where the colours can be chosen). No
    // background colour may spill past the text into the rest of a row.
    virtual void SetTextAttribute(tAttribute) {}
    // The window's rectangle as it is now. False when the position cannot be known; the
    // rectangle is then untouched. A console that cannot know it says so at once, without
    // waiting, every time after the first.
    virtual bool GetWindowRect(cWindowRect&) { return false; }
    // Places the window so that GetWindowRect reads back exactly this rectangle (a window
    // manager's frame allowed for), repainting.
    virtual void MoveWindow(const cWindowRect&) {}
    // Sizes the window in place, for when its position cannot be known. A size that would
    // leave fewer than 80 columns or 25 rows of text is enlarged to that.
    virtual void SetWindowSize(int, int) {}
    // Gives the console back as it was found: colours, caption, window size and position, and
    // the cursor at the start of a fresh line. Safe to call twice.
    virtual void Restore() {}
    // True when the output acts on control bytes (a terminal, where an escape sequence can
    // change the title, the clipboard or the screen); false for plain text (a pipe, a file).
    virtual bool ActsOnControlBytes() { return false; }

    // What the game shows, for a console that renders meaning rather than bytes. The defaults
    // write what a terminal shows: nothing for a prompt (its text is already written), a
    // picture's bytes as they are, the map's rows each with a line end.
    //
    // The game now waits for the answer to this prompt, whose text it has written.
    virtual void Prompt(ePrompt, const std::vector<cChoice>&) {}
    // A picture of the thing named ("Vampire", "Gnome of Antithesis", "Vaultreach" for the
    // title).
    virtual void ShowPicture(const std::string& name, std::string_view bytes);
    // The map: its rows as drawn (' ' unseen, 'O' seen, 'X' the player), and the same rows in
    // words, a sentence each.
    virtual void ShowMap(const std::vector<std::string>& rows,
                         const std::vector<std::string>& words);
};

// The console handle that every colour change goes through; null until InitConsole succeeds.
extern cConsole* gConsoleOutput;
// The handle used to place and shake the window (the same console on this platform).
extern cConsole* gConsoleWindow;

// Sets the caption, sizes the window to 800 by 480 pixels at its current corner and returns
// the output handle, or null when there is no usable standard output. For a player with a
// screen reader the console is the screen reader's (ScreenReaderConsole.h).
cConsole* InitConsole(const std::string& title, bool screenReader = false);

void SetConsoleTextAttribute(cConsole* console, tAttribute attribute);
// The colour of what is written next, on the game's console.
void SetColour(tAttribute attribute);

// The game's console is told what is shown (see cConsole); without one, the bytes are written.
void ShowPrompt(ePrompt kind, const std::vector<cChoice>& choices);
void ShowPicture(const std::string& name, std::string_view bytes);
void ShowMapRows(const std::vector<std::string>& rows, const std::vector<std::string>& words);

// Moves the window by +15, -15, +15, -15 pixels on both axes, 40 ms apart, from where it is
// when the shake starts, and leaves it exactly there.
void ShakeScreen();

#endif
