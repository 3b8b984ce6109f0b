// The process entry: the platform does SDL's part of the start-up, then the game runs.
//
// The status leaves through std::exit rather than a return: in a browser tab the game's waits
// suspend main, and a return from a main that was once suspended would never reach the page
// (nor run the exit handlers that close the logs).

#include <cstdlib>

#include "game/Game.h"
#include "platform/Process.h"

int main(int argc, char* argv[]) {
    if (!Sys_StartProcess()) {
        std::exit(1);
    }
    std::exit(GameMain(argc, argv));
}
