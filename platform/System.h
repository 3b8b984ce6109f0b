#ifndef VAULTREACH_PLATFORM_SYSTEM_H
#define VAULTREACH_PLATFORM_SYSTEM_H

// Every service the game asks of the operating system, and nothing else. Each system supplies
// all of them from its own folder: platform/posix (Linux and other POSIX terminals),
// platform/win32 (the Windows console) and platform/web (a browser tab), one of which CMake
// builds; platform/null stands in for the clock, the console and the audio in tests
// (NullPlatform.h installs all three in one call). Nothing above platform/ calls the system in
// any other way.
//
// A session ends from outside in one way only: standard input ends. A quit signal (Ctrl-C,
// SIGTERM, a hang-up, the console closing, the tab going away) and a failed write to standard
// output both count as the input ending, so the game leaves by its normal path (it saves), and
// the console is given back as it was however the process ends.

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

class cAudioBackend;
class cClock;
class cConsole;

// ---- The process -------------------------------------------------------------------------
// Puts the standard streams and the quit signals in place, then does SDL's part of the
// process entry. False, with SDL's reason on standard error, when SDL cannot start.
bool Sys_StartProcess();
// True when the environment asks for the screen-reader mode (VAULTREACH_SCREEN_READER set to
// anything but empty or "0").
bool Sys_ScreenReaderRequested();

// ---- The console: colours, caption, the window (Console.h) ---------------------------------
// The console of the process's real standard output (a terminal, a pipe, the Windows console,
// the page).
std::unique_ptr<cConsole> Sys_CreateTerminalConsole();
// Replaces the console InitConsole will use, destroying the previous one; null puts the
// terminal console back.
void Sys_InstallConsole(std::unique_ptr<cConsole> console);
// Gives the console back as it was found, if one was set up; also happens by itself at exit.
void Sys_RestoreConsole();

// ---- The clock and pauses (Clock.h) ----------------------------------------------------------
// A millisecond tick that wraps at 32 bits, the calendar time in seconds, and sleeps that end at
// once when a quit signal arrives.
std::uint32_t Sys_TickCount();
std::int64_t Sys_CalendarSeconds();
void Sys_Sleep(std::uint32_t milliseconds);
void Sys_SleepUntilTick(std::uint32_t tick);
std::unique_ptr<cClock> Sys_CreateSystemClock();
// Replaces the clock; null puts the system clock back.
void Sys_InstallClock(std::unique_ptr<cClock> clock);

// ---- Standard input and output ---------------------------------------------------------------
// Puts the system's buffers behind std::cin and std::cout (InputBuffer.h, OutputBuffer.h).
void Sys_InstallStandardStreams();
// True once a quit signal arrived or the output failed.
bool Sys_QuitRequested();
void Sys_RequestQuit();
// Forgets an earlier quit request (tests run many sessions in one process).
void Sys_ClearQuitRequest();
// True when no further answer can come: std::cin has ended or failed hard, or a quit was
// requested. A prompt that sees this must not ask again.
bool Sys_InputClosed();
// Writes out everything printed so far.
void Sys_FlushOutput();
// True when the cursor stands at the start of a line (escape sequences do not count).
bool Sys_OutputAtLineStart();
// While set, each line end written to a terminal is preceded by `before` and followed by
// `after`, so that a background colour is never set while a line ends.
void Sys_SetLineEndWrap(const std::string& before, const std::string& after);
// While set, a line end that closes what is written waits for the next text, so each piece of
// text ends at the cursor; clearing it writes the held line ends.
void Sys_HoldLineEnds(bool hold);
// Hands bytes read from the terminal on the game's behalf back to the front of the input.
void Sys_UnreadInput(const std::string& bytes);

// ---- Files and the save ----------------------------------------------------------------------
// Data files are read whole, with a size limit, and never opened in a way that could block;
// a name the game writes (a log, the save) is never written through a link. Where they live:
// platform/posix/Files.cpp for POSIX and for the browser, whose files are emscripten's POSIX
// ones in memory; each of the two makes the save durable in its own FolderSync.cpp, the
// browser's by copying the folder to IndexedDB (vr_sync_folder in
// platform/web/library_vaultreach.js). Windows: platform/win32/Files.cpp, a write-through move.

// Size in bytes of a regular file, or -1 for anything else (missing, a directory, a device).
std::int64_t Sys_RegularFileSize(const std::string& path);

enum class eFileRead {
    Read,         // the whole file was read
    Unavailable,  // missing, not a regular file, not readable, or a read error
    TooLarge      // a regular file of more than the limit; nothing was read
};
// Reads the whole of path into bytes when it is a regular file of at most maxBytes bytes; room
// is made only then. bytes is empty unless the result is Read.
eFileRead Sys_ReadFile(const std::string& path, std::int64_t maxBytes, std::string& bytes);

// Opens path for writing from scratch, never through a link; anything there that is not a
// regular file leaves the stream closed and failed.
void Sys_OpenLogFile(std::ofstream& stream, const std::string& path);

enum class eFileReplace {
    Replaced,
    NotOpened,   // path may not be written (no write permission, a read-only file, a directory
                 // where the new file cannot be made, no file handles left)
    NotWritten,  // the new contents could not be written whole (a full disk, a size limit), or
                 // the storage refused them and keeps the old file
    NotDurable   // the new contents are in place, but the rename could not be made durable: a
                 // power cut may still bring the old file back
};
// Replaces path with contents so that a reader sees either the old file or the new one, never
// a half-written one: the bytes go to a temporary file beside it, are flushed to disk, the
// temporary file is renamed over path, and the rename is made durable (the folder synced on
// POSIX and in the browser's storage; a write-through move on Windows). An existing path that
// nobody may write is refused. The new file keeps the old one's permission bits (never wider
// than a new file's) and, written by the superuser, its owner. Unless Replaced or NotDurable,
// path is untouched and nothing is left beside it. Each '\n' is written as the system's line
// end.
eFileReplace Sys_ReplaceFile(const std::string& path, const std::string& contents);

// ---- Audio (Audio.h) -------------------------------------------------------------------------
// The game's sound list (game/AudioManager.h) opens the device, loads and plays through the
// installed backend (AudioBackend()). This replaces it; null puts the system's back (SDL_mixer,
// or the page's).
void Sys_InstallAudioBackend(std::unique_ptr<cAudioBackend> backend);

#endif
