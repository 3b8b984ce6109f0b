// SDL 1.2 has no entry wrapper on POSIX systems, so the process start-up does what the
// wrapper would before the game runs.

#include "platform/Process.h"

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/System.h"

bool Sys_StartProcess() {
    // The quit signals are handled before anything else, so that one arriving during start-up
    // ends play like 'q' (the game starts, saves and leaves) instead of killing the process.
    // A launcher that started us with them blocked would keep them from ever arriving.
    Sys_InstallStandardStreams();
    sigset_t quitSignals;
    sigemptyset(&quitSignals);
    sigaddset(&quitSignals, SIGINT);
    sigaddset(&quitSignals, SIGTERM);
    sigaddset(&quitSignals, SIGHUP);
    sigprocmask(SIG_UNBLOCK, &quitSignals, nullptr);
    // Past a file-size limit a write should fail like one on a full disk (the save then keeps
    // the old file and says so), not kill the game.
    signal(SIGXFSZ, SIG_IGN);
    if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) {
        std::fprintf(stderr, "%s\n", SDL_GetError());
        return false;
    }
    std::atexit(SDL_Quit);
    return true;
}

cQuietStandardError::cQuietStandardError() {
    std::fflush(stderr);
    m_saved = dup(2);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (m_saved >= 0 && null >= 0) {
        dup2(null, 2);
    }
    if (null >= 0) {
        close(null);
    }
}

cQuietStandardError::~cQuietStandardError() {
    std::fflush(stderr);
    if (m_saved >= 0) {
        dup2(m_saved, 2);
        close(m_saved);
    }
}
