#ifndef VAULTREACH_PLATFORM_NULL_SILENTAUDIO_H
#define VAULTREACH_PLATFORM_NULL_SILENTAUDIO_H

// An audio backend that opens no device and loads nothing, so a whole game runs without the
// sound libraries' threads; what it was asked to do is kept in a shared record. Every load
// yields a null handle, which the audio manager already treats as a sound it could not load.

#include <memory>
#include <string>
#include <vector>

#include "platform/Audio.h"

// What the silent audio backend was asked to do.
struct cAudioRecord {
    int opens = 0;
    int closes = 0;
    std::vector<std::string> loaded;  // paths, effects and music alike
    std::vector<int> plays;           // the loop count of each music start
};

class cSilentAudio : public cAudioBackend {
  public:
    explicit cSilentAudio(std::shared_ptr<cAudioRecord> record) : m_record(std::move(record)) {}
    bool OpenDevice(std::string&) override {
        ++m_record->opens;
        return true;
    }
    void CloseDevice() override { ++m_record->closes; }
    Mix_Chunk* LoadEffect(const std::string& path) override {
        m_record->loaded.push_back(path);
        return nullptr;
    }
    Mix_Music* LoadMusic(const std::string& path) override {
        m_record->loaded.push_back(path);
        return nullptr;
    }
    void PlayMusic(Mix_Music*, int loops) override { m_record->plays.push_back(loops); }

  private:
    std::shared_ptr<cAudioRecord> m_record;
};

#endif
