#ifndef VAULTREACH_PLATFORM_AUDIOMANAGER_H
#define VAULTREACH_PLATFORM_AUDIOMANAGER_H

// Music and sound effects through SDL_mixer 1.2.
//
// The constructor truncates "AudioLog.txt", opens the device (22050 Hz, signed 16-bit little
// endian, stereo, 4096-sample chunks) and logs one "Error: " line with SDL's text if that
// fails; the game then runs silent. LoadSounds reads the sound list: a header line, effect
// entries (path, name), a line beginning with ';', then music entries (path, name, loop count).
// PlayMusic starts a music entry by name and does nothing for an unknown one. The destructor
// closes the device, then frees the effects and the music.

#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>

struct Mix_Chunk;
struct _Mix_Music;
typedef struct _Mix_Music Mix_Music;

class cSoundEffect {
public:
    ~cSoundEffect();
    Mix_Chunk* sample = nullptr;
    std::string path;
    std::string name;
};

class cMusicTrack {
public:
    ~cMusicTrack();
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
    std::ofstream m_log;
    bool m_deviceOpen = false;
};

#endif
