#include "platform/AudioManager.h"

cSoundEffect::~cSoundEffect() = default;
cMusicTrack::~cMusicTrack() = default;
cAudioManager::cAudioManager() = default;
cAudioManager::~cAudioManager() = default;
bool cAudioManager::LoadSounds(std::string) { return false; }
void cAudioManager::PlayMusic(const std::string&) {}
