#ifndef VAULTREACH_PLATFORM_POSIX_TERMINALINPUT_H
#define VAULTREACH_PLATFORM_POSIX_TERMINALINPUT_H

// When standard input is a terminal, everything read from it, by the game's reads and by the
// console's rounds of questions alike, goes through one sorter (TerminalReplies.h): only what
// the player typed reaches the game, and an answer is recognised whenever it comes. Null when
// standard input is not a terminal (a pipe or a file), where every byte is the player's.

#include "platform/TerminalReplies.h"

cTerminalReplies* Sys_TerminalReplies();

#endif
