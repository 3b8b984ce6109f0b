// The process in a browser tab. emscripten's SDL 1.2 is JavaScript: its SDL_Init only listens
// to the page's keys (the page's own input line must get them) and to its "unload" (a
// deprecated event that keeps the page out of the browser's back-forward cache), and its
// SDL_Quit only prints a line on the console. The mixer functions the game uses need neither,
// so neither is called here; the sound goes through the page's audio backend.

#include "platform/Process.h"

#include "platform/Audio.h"
#include "platform/System.h"
#include "platform/web/PageAudio.h"

bool Sys_StartProcess() {
    Sys_InstallStandardStreams();
    Sys_InstallAudioBackend(CreatePageAudio());
    return true;
}

// The browser's sound code reports nothing on standard error worth hiding: no descriptor is saved.
cQuietStandardError::cQuietStandardError() = default;
cQuietStandardError::~cQuietStandardError() = default;
