#ifndef VAULTREACH_PLATFORM_PROCESS_H
#define VAULTREACH_PLATFORM_PROCESS_H

// The process around the game: what must happen before the game's main routine runs
// (Sys_StartProcess, declared in System.h with every other service), and the one process-wide
// switch the sound libraries need.
//
// Sys_StartProcess first puts the platform's standard streams and quit signals in place (from
// then on a quit signal ends play as 'q' does, and a write past a file-size limit fails like
// one on a full disk instead of ending the process), then does SDL's part of the process entry (SDL
// initialised with no subsystems, SDL_Quit registered to run at exit) where SDL's own entry
// wrapper has not already done it. False, with SDL's
// reason on standard error, when SDL cannot be initialised; the game must not start then.

#include "platform/System.h"

// While one of these lives, standard error goes nowhere: the sound libraries report every
// missing card, server and plug-in there while a device is looked for, and the game keeps its
// own account of a failure in its log instead.
class cQuietStandardError {
  public:
    cQuietStandardError();
    ~cQuietStandardError();
    cQuietStandardError(const cQuietStandardError&) = delete;
    cQuietStandardError& operator=(const cQuietStandardError&) = delete;

  private:
    [[maybe_unused]] int m_saved = -1;  // not needed in a browser
};

#endif
