#ifndef VAULTREACH_PLATFORM_SCREENREADERCONSOLE_H
#define VAULTREACH_PLATFORM_SCREENREADERCONSOLE_H

// The console for a player who listens through a screen reader in a terminal: everything is the
// console it wraps, except what a drawing would make the reader spell out. A picture is written
// as its name on a line of its own, the map as its rows in words, and line ends are held back
// until the text after them (see Sys_HoldLineEnds) so that each passage ends at the cursor,
// where a terminal screen reader looks for new text before the player's first key.
//
// Off unless asked for (vaultreach --screen-reader, or VAULTREACH_SCREEN_READER=1): the drawings
// are part of the game for everyone who sees them.

#include <memory>

#include "platform/Console.h"

std::unique_ptr<cConsole> MakeScreenReaderConsole(std::unique_ptr<cConsole> inner);

#endif
