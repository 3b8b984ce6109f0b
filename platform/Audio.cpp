#include "platform/Audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <memory>

#include "platform/Process.h"
#include "platform/System.h"

namespace {

constexpr int kFrequency = 22050;
constexpr Uint16 kFormat = AUDIO_S16LSB;
constexpr int kChannels = 2;
constexpr int kChunkSize = 4096;

class cMixerBackend : public cAudioBackend {
  public:
    bool OpenDevice(std::string& error) override {
        cQuietStandardError quiet;
        if (Mix_OpenAudio(kFrequency, kFormat, kChannels, kChunkSize) != 0) {
            error = SDL_GetError();
            return false;
        }
        return true;
    }

    void CloseDevice() override {
        cQuietStandardError quiet;
        Mix_CloseAudio();
    }

    // Only regular files are handed to SDL_mixer: opening a FIFO for reading waits for a
    // writer that never comes, and would hang the game before its title.
    Mix_Chunk* LoadEffect(const std::string& path) override {
        if (Sys_RegularFileSize(path) < 0) {
            return nullptr;
        }
        // With freesrc set SDL_mixer closes the file itself, on failure as well.
        return Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
    }

    Mix_Music* LoadMusic(const std::string& path) override {
        if (Sys_RegularFileSize(path) < 0) {
            return nullptr;
        }
        return Mix_LoadMUS(path.c_str());
    }

    void PlayMusic(Mix_Music* music, int loops) override {
        // A track that failed to load holds null; SDL_mixer refuses it without harm.
        Mix_PlayMusic(music, loops);
    }
};

std::unique_ptr<cAudioBackend>& Backend() {
    static std::unique_ptr<cAudioBackend> backend = std::make_unique<cMixerBackend>();
    return backend;
}

}  // namespace

void Sys_InstallAudioBackend(std::unique_ptr<cAudioBackend> backend) {
    Backend() = backend ? std::move(backend) : std::make_unique<cMixerBackend>();
}

cAudioBackend& AudioBackend() {
    return *Backend();
}

void cFreeEffect::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
}

void cFreeMusic::operator()(Mix_Music* music) const {
    Mix_FreeMusic(music);
}
