#ifndef VAULTREACH_PLATFORM_COLOURMAP_H
#define VAULTREACH_PLATFORM_COLOURMAP_H

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

#include <string>

#include "platform/Console.h"
#include "platform/TerminalReplies.h"

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

cColourChoice ChooseColour(tAttribute attribute, const cRgb& background, eColourDepth depth);
// The SGR sequence that sets a choice, starting from a reset so nothing of the last one stays.
std::string ColourSequence(const cColourChoice& choice, eColourDepth depth);

#endif
