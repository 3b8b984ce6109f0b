#ifndef VAULTREACH_PLATFORM_TERMINAL_COLOURMAP_H
#define VAULTREACH_PLATFORM_TERMINAL_COLOURMAP_H

// Which terminal colour shows each of the game's attribute values on a given background.
//
// Rules, in order:
//  - 7, the normal colour, is the terminal's own foreground on its own background.
//  - 128, the title banner, brings both of its colours: black on light grey.
//  - Every other value has a colour it means (red, green, yellow...), one shade for dark
//    backgrounds and one for light ones. Of the colours the terminal can show, the one nearest
//    to that shade whose contrast against the background is at least 4.5:1 (the WCAG measure)
//    is chosen; black or white always qualifies, so there is always an answer, and a colour
//    can never be the background's own.
//  - A terminal with 256 colours uses the fixed part of its palette (16 to 255), whose values
//    every terminal shares; 16- and 8-colour terminals use the first 16 or 8, taken at xterm's
//    default values.
//  - 15, bright white, is also bold.
// A background is dark when white text reads better on it than black text.
//
// A console with a colour table of its own (the Windows console: 16 entries, bit 0 of an index
// blue, bit 1 green, bit 2 red, bit 3 bright) shows each attribute as the entries its low and
// high nibbles name. While the game runs, every entry that the game's attributes show at less
// than 4.5:1 against their background gets a readable shade; every other entry stays as it is:
//  - a foreground entry becomes the colour chosen above for that attribute on a 256-colour
//    terminal with that background; 7, which leaves its colour to the terminal, becomes the
//    palette colour nearest to its own that reads;
//  - the banner (128: entry 0 on entry 8) changes its grey, entry 8, to the nearest readable to
//    it: entry 0 is the background of every other attribute and stays.
// A console whose table cannot be changed (Wine's) shows each unreadable attribute as another
// of its own 16 entries instead: the one nearest to the colour the attribute means that reads
// on its background (for the banner, the background entry nearest to its grey on which entry 0
// reads). An attribute that no entry makes readable stays as it is.

#include <array>
#include <string>

#include "platform/Console.h"
#include "platform/terminal/TerminalReplies.h"

enum class eColourDepth { Colours8, Colours16, Colours256 };

constexpr double kMinimumContrast = 4.5;
// Palette index meaning "the terminal's own colour".
constexpr int kDefaultColour = -1;

struct cColourChoice {
    int foreground = kDefaultColour;
    int background = kDefaultColour;
    bool bold = false;
};

// xterm's default value of a palette index, 0 to 255.
cRgb PaletteColour(int index);
// WCAG 2 relative luminance (0 to 1) and contrast ratio (1 to 21).
double Luminance(const cRgb& colour);
double Contrast(const cRgb& first, const cRgb& second);
bool IsDark(const cRgb& background);

// The palette index, of those the depth offers (16 to 255 at 256 colours), nearest to `wanted`
// that reads at 4.5:1 or more on `background`; kDefaultColour when none does.
int NearestReadableColour(const cRgb& wanted, const cRgb& background, eColourDepth depth);

cColourChoice ChooseColour(tAttribute attribute, const cRgb& background, eColourDepth depth);
// The SGR sequence that sets a choice, starting from a reset so nothing of the last one stays.
std::string ColourSequence(const cColourChoice& choice, eColourDepth depth);

constexpr int kColourTableSize = 16;
using tColourTable = std::array<cRgb, kColourTableSize>;
// The game's attribute values, each shown by a console's colour table.
constexpr tAttribute kGameAttributes[] = {kColourDarkRed, kColourNormal, kColourBlue,
                                          kColourGreen,   kColourRed,    kColourMagenta,
                                          kColourYellow,  kColourWhite,  kColourBanner};

// The table to play with: `table` with its unreadable entries replaced (the rules above).
tColourTable ReadableColourTable(const tColourTable& table);
// The attribute to write in place of `attribute` on a console showing `table` (rules above).
tAttribute ReadableAttribute(tAttribute attribute, const tColourTable& table);

#endif
