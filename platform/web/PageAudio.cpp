#include "platform/web/PageAudio.h"

#include <SDL_mixer.h>

#include <cstdint>

#include "platform/web/PageBridge.h"

namespace {

// SDL_mixer's handles here are numbers that stand for the browser's audio objects.
template <typename tHandle>
tHandle* Deferred(const std::string& path) {
    return reinterpret_cast<tHandle*>(static_cast<std::uintptr_t>(vr_audio_deferred(path.c_str())));
}

class cPageAudio : public cAudioBackend {
  public:
    // The mixer's own open would make the AudioContext now; the module makes it at the first
    // gesture instead, and emscripten's mixer needs no other set-up for music.
    bool OpenDevice(std::string& error) override {
        char reason[256] = {};
        if (vr_audio_usable(reason, static_cast<int>(sizeof reason)) == 0) {
            error = reason;
            return false;
        }
        return true;
    }

    // The game is over: its music stops with it, as when a native game closes its device.
    void CloseDevice() override { Mix_HaltMusic(); }

    Mix_Chunk* LoadEffect(const std::string& path) override { return Deferred<Mix_Chunk>(path); }
    Mix_Music* LoadMusic(const std::string& path) override { return Deferred<Mix_Music>(path); }

    void PlayMusic(Mix_Music* music, int loops) override {
        // The browser's SDL_mixer would fail on a null handle instead of refusing it.
        if (music != nullptr) {
            Mix_PlayMusic(music, loops);
        }
    }
};

}  // namespace

std::unique_ptr<cAudioBackend> CreatePageAudio() {
    return std::make_unique<cPageAudio>();
}
