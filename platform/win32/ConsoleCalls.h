#ifndef VAULTREACH_PLATFORM_WIN32_CONSOLECALLS_H
#define VAULTREACH_PLATFORM_WIN32_CONSOLECALLS_H

// The few Windows calls the game's console is made of, on the process's standard output and
// its console window, behind one small interface: the system's own, or a stand-in that a test
// drives and inspects.
//
// Each call does what the Windows function of the same name does and reports its success; a
// call on a console without a window (GetWindowRect) says false and changes nothing. The
// screen-buffer record is the extended one (CONSOLE_SCREEN_BUFFER_INFOEX, its size field
// filled in by the call). SetWindowInfo takes an absolute rectangle whose right and bottom
// are inclusive, as GetInfo reports them; SetInfo's are not to be relied on for the window,
// since Windows' own console reads them one short and Wine's does not.

#include <windows.h>

#include <memory>
#include <string>

#include "platform/Console.h"

class cConsoleCalls {
  public:
    virtual ~cConsoleCalls() = default;

    // True when standard output is a handle the game can write.
    virtual bool OutputIsUsable() = 0;
    virtual bool GetInfo(CONSOLE_SCREEN_BUFFER_INFOEX& info) = 0;
    virtual bool SetInfo(CONSOLE_SCREEN_BUFFER_INFOEX& info) = 0;
    virtual bool SetBufferSize(COORD size) = 0;
    virtual bool SetWindowInfo(const SMALL_RECT& window) = 0;
    virtual bool SetTextAttribute(WORD attribute) = 0;
    virtual std::string GetTitle() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual bool GetWindowRect(RECT& rect) = 0;
    virtual void MoveWindow(const RECT& rect) = 0;
};

// The calls on this process's real standard output and console window.
std::unique_ptr<cConsoleCalls> CreateSystemConsoleCalls();

// The game's console over `calls`: when standard output is a console screen buffer, its colours,
// caption, window and buffer, all given back as they were found by Restore; plain text anywhere
// else (a pipe, a file).
std::unique_ptr<cConsole> CreateWin32Console(std::unique_ptr<cConsoleCalls> calls);

#endif
