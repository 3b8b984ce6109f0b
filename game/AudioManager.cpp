#include "game/AudioManager.h"

#include <limits>
#include <sstream>

#include "platform/System.h"
#include "text/TableFile.h"
#include "text/Text.h"

namespace {

void SkipLine(std::istream& in) {
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
}

}  // namespace

cAudioManager::cAudioManager() {
    Sys_OpenLogFile(m_log, "AudioLog.txt");
    std::string error;
    m_deviceOpen = AudioBackend().OpenDevice(error);
    if (!m_deviceOpen) {
        m_log << "Error: " << error << std::endl;
    }
}

cAudioManager::~cAudioManager() {
    // SDL_mixer counts opens, so a manager that failed to open must not close someone else's.
    if (m_deviceOpen) {
        AudioBackend().CloseDevice();
    }
}

void cAudioManager::Log(const std::string& line) {
    m_log << "cAudioManager: " << line << std::endl;
}

bool cAudioManager::WithinBudget(const std::string& path, std::int64_t& left, std::int64_t limit,
                                 const std::string& kind) {
    const std::int64_t size = Sys_RegularFileSize(path);
    if (size <= left) {
        // A missing file costs nothing; the backend finds out for itself.
        left -= size > 0 ? size : 0;
        return true;
    }
    Log("Skipped " + kind + " " + LogExcerpt(path) + ": the " + kind + " files would pass " +
        std::to_string(limit) + " bytes.");
    return false;
}

Mix_Chunk* cAudioManager::EffectFor(const std::string& path) {
    const auto known = m_decodedEffects.find(path);
    if (known != m_decodedEffects.end()) {
        return known->second.get();
    }
    Mix_Chunk* sample = nullptr;
    if (WithinBudget(path, m_effectBytesLeft, kMaxEffectBytes, "effect")) {
        sample = AudioBackend().LoadEffect(path);
    }
    m_decodedEffects[path].reset(sample);
    return sample;
}

Mix_Music* cAudioManager::MusicFor(const std::string& path) {
    const auto known = m_openedMusic.find(path);
    if (known != m_openedMusic.end()) {
        return known->second.get();
    }
    Mix_Music* loaded = nullptr;
    if (m_openedMusic.size() >= kMaxMusicFiles) {
        Log("Skipped music " + LogExcerpt(path) + ": more than " + std::to_string(kMaxMusicFiles) +
            " music files.");
    } else if (WithinBudget(path, m_musicBytesLeft, kMaxMusicBytes, "music")) {
        loaded = AudioBackend().LoadMusic(path);
    }
    m_openedMusic[path].reset(loaded);
    return loaded;
}

bool cAudioManager::LoadSounds(std::string name) {
    cTableFile list{name, kMaxSoundEntries, "entries",
                    [this](const std::string& line) { Log(line); }};
    std::string text;
    if (list.Read(kMaxSoundListBytes, text) != eFileRead::Read) {
        return false;
    }
    std::istringstream file(text);
    SkipLine(file);

    while (true) {
        file >> std::ws;
        const int next = file.peek();
        if (next == std::char_traits<char>::eof() || next == ';') {
            break;
        }
        auto effect = std::make_unique<cSoundEffect>();
        if (!(file >> effect->path >> effect->name) || !list.CountEntry()) {
            break;
        }
        effect->sample = EffectFor(effect->path);
        const std::string key = effect->name;
        effects[key] = std::move(effect);
    }
    SkipLine(file);

    if (!file.eof() && !list.Stopped()) {
        std::string path;
        std::string trackName;
        std::string loopsText;
        while (file >> path >> trackName >> loopsText && list.CountEntry()) {
            std::int32_t loops = 0;
            if (!ParseDecimalInteger(loopsText, loops)) {
                // Nothing after a damaged entry can be trusted to line up: the list ends here.
                break;
            }
            music[trackName] =
                std::make_unique<cMusicTrack>(cMusicTrack{MusicFor(path), path, trackName, loops});
        }
    }
    return true;
}

void cAudioManager::PlayMusic(const std::string& name) {
    const auto found = music.find(name);
    if (found != music.end()) {
        AudioBackend().PlayMusic(found->second->music, found->second->loops);
    }
}
