#ifndef VAULTREACH_PLATFORM_AUDIO_H
#define VAULTREACH_PLATFORM_AUDIO_H

// Where the game's sound goes: SDL_mixer 1.2 by default, the page's audio in a browser, or a
// silent backend that a headless run or a test installs (Sys_InstallAudioBackend). The handles
// are SDL_mixer's; what a backend loaded is freed through SDL_mixer (cFreeEffect, cFreeMusic),
// which stops a music that is playing before it frees it. Which sounds there are, and how much
// of them may be loaded, is the game's (game/AudioManager.h).

#include <string>

#include "platform/System.h"

struct Mix_Chunk;
struct _Mix_Music;
typedef struct _Mix_Music Mix_Music;

class cAudioBackend {
  public:
    virtual ~cAudioBackend() = default;
    // False, with SDL's reason in error, when the device cannot be opened.
    virtual bool OpenDevice(std::string& error) = 0;
    virtual void CloseDevice() = 0;
    // Null when the file cannot be loaded.
    virtual Mix_Chunk* LoadEffect(const std::string& path) = 0;
    virtual Mix_Music* LoadMusic(const std::string& path) = 0;
    virtual void PlayMusic(Mix_Music* music, int loops) = 0;
};

// The backend installed now.
cAudioBackend& AudioBackend();

struct cFreeEffect {
    void operator()(Mix_Chunk* chunk) const;
};
struct cFreeMusic {
    void operator()(Mix_Music* music) const;
};

#endif
