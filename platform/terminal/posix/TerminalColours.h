#ifndef VAULTREACH_PLATFORM_TERMINAL_POSIX_TERMINALCOLOURS_H
#define VAULTREACH_PLATFORM_TERMINAL_POSIX_TERMINALCOLOURS_H

// The text colours on a terminal: SGR sequences written into std::cout, in order with the text,
// in colours chosen for the terminal's background (ColourMap.h) at the depth TERM and COLORTERM
// promise. The background is the answer to the start-up question (OSC 11), else COLORFGBG's,
// else dark. While a colour has a background, each line end is written with the terminal's own
// background and the colour set again after it, so a scrolling terminal never paints a new row
// in it. NO_COLOR (set and not empty) leaves the colours out. Restore goes back to the
// terminal's own colours.

#include <string>

#include "platform/Console.h"
#include "platform/terminal/ColourMap.h"
#include "platform/terminal/TerminalReplies.h"

class cTerminalColours {
  public:
    cTerminalColours();

    // The start-up question about the background, empty without colours.
    std::string Question() const;
    // The start-up answers, null when there were none.
    void Learn(const cTerminalReplies* replies);

    void Set(tAttribute attribute);
    void Restore();

  private:
    const bool m_colours;
    const eColourDepth m_depth;
    cRgb m_background;
    tAttribute m_attribute = kColourNormal;
    bool m_wrapping = false;
};

#endif
