#ifndef VAULTREACH_PLATFORM_STANDARDSTREAMS_H
#define VAULTREACH_PLATFORM_STANDARDSTREAMS_H

// Standard input and output of the real process, and the ways a session can end from outside.
//
// Sys_InstallStandardStreams puts buffers over file descriptors 0 and 1 behind std::cin and
// std::cout. A read returns end of input when the input ends, or when SIGINT, SIGTERM or SIGHUP
// has arrived (even while the read is blocked). A write that fails (a closed pipe, a full
// device) silences the output and counts as a quit request instead of killing the process.
// The game therefore only has to treat "end of input" as "the player has gone": it saves and
// leaves by its normal path, and the terminal is restored on the way out. When the text is
// written (at each flush on a terminal, in blocks elsewhere) is OutputBuffer.h's to say.

#include <string>

void Sys_InstallStandardStreams();

// True once a signal arrived or the output failed.
bool Sys_QuitRequested();
void Sys_RequestQuit();
// Forgets an earlier quit request (tests run many sessions in one process).
void Sys_ClearQuitRequest();

// True when no further answer can come: std::cin has ended or failed hard, or a quit was
// requested. A prompt that sees this must not ask again.
bool Sys_InputClosed();

// Writes out everything printed so far, whatever standard output is.
void Sys_FlushOutput();

// True when the terminal's cursor stands at the start of a line: the last text written ended
// its line, or the player's typed line end was echoed after it. Escape sequences do not count.
bool Sys_OutputAtLineStart();

// While set (not empty), each line end written to a terminal is preceded by `before` and
// followed by `after`. The console uses it so that a background colour is never set while a
// line ends: a scrolling terminal would paint the whole new row in it.
void Sys_SetLineEndWrap(const std::string& before, const std::string& after);

// While set, a line end that closes what is written waits for the next text (see OutputBuffer.h);
// clearing it writes the held line ends.
void Sys_HoldLineEnds(bool hold);

// Hands bytes that were read from the terminal on the game's behalf (while the console waited
// for a reply of its own) back to the front of the game's input, in order.
void Sys_UnreadInput(const std::string& bytes);

#endif
