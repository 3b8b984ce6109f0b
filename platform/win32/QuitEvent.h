#ifndef VAULTREACH_PLATFORM_WIN32_QUITEVENT_H
#define VAULTREACH_PLATFORM_WIN32_QUITEVENT_H

// A manual-reset event that is set while a quit is requested (Ctrl-C, Ctrl-Break, the console
// window closing, a failed write), so that a wait can end early by waiting on it.

#include <windows.h>

HANDLE QuitEvent();

#endif
