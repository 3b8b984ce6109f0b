#ifndef VAULTREACH_PLATFORM_WEB_PAGEAUDIO_H
#define VAULTREACH_PLATFORM_WEB_PAGEAUDIO_H

// Sound in a browser tab, through emscripten's SDL_mixer over the page's AudioContext.
//
// Browsers let a page make sound only after the player's first key or click, and an AudioContext
// costs the page a few hundred milliseconds to make: it is made then (Module.vr.userGesture), not
// when the game opens the device. Opening fails, with the browser's own reason, only where the
// browser has no AudioContext at all. When the context does not run after the gesture, AudioLog.txt
// says so with its state. The sound files are not in the data loaded before the title: each one the
// sound list names is fetched once the title is on screen and decoded once the context exists;
// music started before then begins when its file is ready.

#include <memory>

#include "platform/Audio.h"

std::unique_ptr<cAudioBackend> CreatePageAudio();

#endif
