// The process entry. SDL 1.2 has no entry wrapper on Linux, so this does what the wrapper would:
// SDL is initialised with no subsystems before the game starts, and shut down at exit.

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "game/Game.h"
#include "platform/StandardStreams.h"

int main(int argc, char* argv[]) {
    if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) {
        std::fprintf(stderr, "%s\n", SDL_GetError());
        return 1;
    }
    std::atexit(SDL_Quit);
    Sys_InstallStandardStreams();
    return GameMain(argc, argv);
}
