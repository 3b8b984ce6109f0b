// On Windows SDL's entry wrapper (SDLmain) runs first: it has initialised SDL and registered
// SDL_Quit before the game's main routine, which it calls. What is left to do here is the
// platform's own part.

#include "platform/Process.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/System.h"

bool Sys_StartProcess() {
    Sys_InstallStandardStreams();
    return true;
}

cQuietStandardError::cQuietStandardError() {
    std::fflush(stderr);
    m_saved = _dup(2);
    const int null = _open("NUL", _O_WRONLY);
    if (m_saved >= 0 && null >= 0) {
        _dup2(null, 2);
    }
    if (null >= 0) {
        _close(null);
    }
}

cQuietStandardError::~cQuietStandardError() {
    std::fflush(stderr);
    if (m_saved >= 0) {
        _dup2(m_saved, 2);
        _close(m_saved);
    }
}
