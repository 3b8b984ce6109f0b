// The process entry: the platform does SDL's part of the start-up, then the game runs.

#include "game/Game.h"
#include "platform/Process.h"

int main(int argc, char* argv[]) {
    if (!Sys_StartProcess()) {
        return 1;
    }
    return GameMain(argc, argv);
}
