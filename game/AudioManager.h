#ifndef VAULTREACH_GAME_AUDIOMANAGER_H
#define VAULTREACH_GAME_AUDIOMANAGER_H

// The game's music and sound effects: the sound list, what of it is loaded, and the log of it,
// played through the installed audio backend (platform/Audio.h, SDL_mixer 1.2 by default).
//
// The constructor truncates "AudioLog.txt", opens the device (22050 Hz, signed 16-bit little
// endian, stereo, 4096-sample chunks) and logs one "Error: " line with SDL's text if that
// fails; the game then runs silent. Nothing else is ever written to the log.
//
// LoadSounds reads the sound list, whitespace-separated fields after a header line: effect
// entries (path, name), then a line beginning with ';', then music entries (path, name, loop
// count). Without a ';' line everything after the header is an effect. A later entry with the
// same name replaces the earlier one. A sound that cannot be loaded keeps its record with a
// null handle, silently. A music entry whose loop count is not a decimal integer within 32 bits
// is skipped with the rest of its line. False, with the tables untouched, when the list is not
// a readable regular file.
//
// Bounds, generous for a list of a few sounds: a list larger than kMaxSoundListBytes is not read,
// only its first kMaxSoundEntries entries count, and the sound files loaded may add up to
// kMaxEffectBytes of effects (each is decoded whole into memory, several times its size) and
// kMaxMusicBytes of music in at most kMaxMusicFiles files (each keeps its file and a decoder open);
// a file past that is not loaded. Each of these refusals is one "cAudioManager: " line in the log.
// A file named by several entries is loaded once and shared by them.
//
// PlayMusic starts a music entry by name with its loop count (SDL_mixer's meaning: -1 is
// forever) and does nothing for an unknown name. The destructor closes the device, then frees
// the effects and the music. The log stays open for the manager's life.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "platform/Audio.h"

constexpr std::int64_t kMaxSoundListBytes = 1024 * 1024;
constexpr std::size_t kMaxSoundEntries = 256;
constexpr std::int64_t kMaxEffectBytes = 1024 * 1024;
constexpr std::int64_t kMaxMusicBytes = 8 * 1024 * 1024;
constexpr std::size_t kMaxMusicFiles = 16;

// An entry of the effect list. Its sample belongs to the manager (shared, see above).
struct cSoundEffect {
    Mix_Chunk* sample = nullptr;
    std::string path;
    std::string name;
};

// An entry of the music list; its music belongs to the manager, like an effect's sample.
struct cMusicTrack {
    Mix_Music* music = nullptr;
    std::string path;
    std::string name;
    std::int32_t loops = 0;
};

class cAudioManager {
  public:
    cAudioManager();
    ~cAudioManager();
    cAudioManager(const cAudioManager&) = delete;
    cAudioManager& operator=(const cAudioManager&) = delete;

    bool LoadSounds(std::string name);
    void PlayMusic(const std::string& name);

    std::map<std::string, std::unique_ptr<cSoundEffect>> effects;
    std::map<std::string, std::unique_ptr<cMusicTrack>> music;

  private:
    void Log(const std::string& line);
    // Whether the file at path still fits in what is left of its kind's bytes; logs a refusal.
    bool WithinBudget(const std::string& path, std::int64_t& left, std::int64_t limit,
                      const std::string& kind);
    // The loaded sound of a file, loading it the first time it is named.
    Mix_Chunk* EffectFor(const std::string& path);
    Mix_Music* MusicFor(const std::string& path);

    std::ofstream m_log;
    bool m_deviceOpen = false;
    // Every sound loaded, by path; a null one failed to load and is not tried again. Members go
    // in the reverse order of these lines: the effects are freed first, then the music.
    std::map<std::string, std::unique_ptr<Mix_Music, cFreeMusic>> m_openedMusic;
    std::map<std::string, std::unique_ptr<Mix_Chunk, cFreeEffect>> m_decodedEffects;
    std::int64_t m_effectBytesLeft = kMaxEffectBytes;
    std::int64_t m_musicBytesLeft = kMaxMusicBytes;
};

#endif
