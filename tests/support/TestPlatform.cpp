#include "support/TestPlatform.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <list>
#include <random>
#include <stdexcept>

#include "characters/Enemy.h"
#include "game/Game.h"
#include "platform/Random.h"
#include "platform/System.h"
#include "world/Dungeon.h"

cSession::cSession(const std::string& input, bool consoleUsable) {
    m_input.Add(input);
    m_savedOut = std::cout.rdbuf(&m_output);
    m_savedIn = std::cin.rdbuf(&m_input);
    std::cin.clear();
    std::cout.clear();
    // SDL_mixer's audio unless the test installs the silent one.
    const cNullPlatform platform = InstallNullPlatform(consoleUsable, false);
    m_clock = platform.clock;
    m_record = platform.console;
    Sys_ClearQuitRequest();
    gRandom.seed(5489u);
    gPauseJitter = kStartingPauseJitter;
    gEncounterChance = kStartingEncounterChance;
    ResetDungeon();
    if (consoleUsable) {
        InitConsole("Vaultreach test");
        m_record->moves.clear();
    }
}

std::shared_ptr<cConsoleRecord> cSession::FreshConsole(bool usable) {
    m_record = std::make_shared<cConsoleRecord>();
    Sys_InstallConsole(std::make_unique<cRecordingConsole>(m_record, usable));
    return m_record;
}

cSession::~cSession() {
    std::cout.rdbuf(m_savedOut);
    std::cin.rdbuf(m_savedIn);
    std::cin.clear();
    std::cout.clear();
    Sys_InstallConsole(nullptr);
    Sys_InstallClock(nullptr);
    Sys_ClearQuitRequest();
}

std::string cSession::Take() {
    return m_output.Release();
}

namespace {

// Gives every file and folder below path its owner's permissions back, so that tests may make
// them read-only and the clean-up still works.
void MakeWritable(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    if (std::filesystem::is_directory(path, ignored)) {
        for (const auto& entry : std::filesystem::directory_iterator(path, ignored)) {
            MakeWritable(entry.path());
        }
    }
}

}  // namespace

void SetEnvironment(const std::string& name, const std::string& value, bool overwrite) {
    if (!overwrite && std::getenv(name.c_str()) != nullptr) {
        return;
    }
    // putenv keeps the very string it is given, so every assignment stays alive.
    static std::list<std::string> assignments;
    assignments.push_back(name + "=" + value);
    putenv(&assignments.back()[0]);
}

cScratchDirectory::cScratchDirectory() {
    std::error_code error;
    m_previous = std::filesystem::current_path(error).string();
    if (error) {
        throw std::runtime_error("cannot read the working directory");
    }
    // A name no other test (or test process) has taken: create_directory fails on a clash.
    static std::mt19937_64 names(std::random_device{}());
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const std::filesystem::path candidate =
            base / ("vaultreach-test-" + std::to_string(names()));
        if (std::filesystem::create_directory(candidate, error)) {
            m_path = candidate.generic_string();
        }
    }
    if (m_path.empty()) {
        throw std::runtime_error("cannot make a scratch directory");
    }
    std::filesystem::current_path(m_path, error);
    if (error) {
        throw std::runtime_error("cannot enter the scratch directory");
    }
}

cScratchDirectory::~cScratchDirectory() {
    std::error_code error;
    std::filesystem::current_path(m_previous, error);
    if (error) {
        return;
    }
    MakeWritable(m_path);
    std::filesystem::remove_all(m_path, error);
    if (error) {
        std::cerr << "could not remove " << m_path << "\n";
    }
}

void cScratchDirectory::Write(const std::string& name, const std::string& contents) const {
    std::ofstream file(m_path + "/" + name, std::ios::binary | std::ios::trunc);
    file << contents;
}

std::string cScratchDirectory::Read(const std::string& name) const {
    std::ifstream file(m_path + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string cScratchDirectory::ReadText(const std::string& name) const {
    const std::string bytes = Read(name);
    if (!VAULTREACH_CRLF_TEXT) {
        return bytes;
    }
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            continue;
        }
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
            return bytes;
        }
        text += bytes[i];
    }
    return text;
}

bool cScratchDirectory::Exists(const std::string& name) const {
    std::error_code ignored;
    return std::filesystem::exists(m_path + "/" + name, ignored);
}

void cScratchDirectory::Remove(const std::string& name) const {
    std::remove((m_path + "/" + name).c_str());
}

void cScratchDirectory::CopyGameData() const {
    std::error_code error;
    std::filesystem::directory_iterator data(VAULTREACH_DATA_DIR, error);
    if (error) {
        throw std::runtime_error("cannot open the data folder");
    }
    for (const auto& entry : data) {
        if (!entry.is_regular_file(error)) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        Write(entry.path().filename().string(), bytes.str());
    }
}

cGameResult RunGame(const cGameOptions& options) {
    SetEnvironment("SDL_AUDIODRIVER", "dummy", false);
    cGameResult result;
    result.directory = std::make_unique<cScratchDirectory>();
    if (options.copyData) {
        result.directory->CopyGameData();
    }
    for (const auto& file : options.files) {
        result.directory->Write(file.first, file.second);
    }
    for (const auto& name : options.removed) {
        result.directory->Remove(name);
    }
    {
        cSession session(options.input, options.consoleUsable);
        result.console = session.FreshConsole(options.consoleUsable);
        session.clock().calendarSeconds = options.seed;
        result.audio = std::make_shared<cAudioRecord>();
        if (!options.realAudio) {
            Sys_InstallAudioBackend(std::make_unique<cSilentAudio>(result.audio));
        }
        if (options.prepare) {
            options.prepare(session);
        }
        std::vector<std::string> words{"vaultreach"};
        words.insert(words.end(), options.arguments.begin(), options.arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        result.status = GameMain(static_cast<int>(words.size()), argv.data());
        result.clockAtEnd = session.clock().Peek();
        result.transcript = session.Take();
        Sys_InstallAudioBackend(nullptr);
    }
    return result;
}

std::string StripColours(const std::string& transcript) {
    std::string plain;
    for (std::size_t i = 0; i < transcript.size(); ++i) {
        if (transcript[i] == '{') {
            const std::size_t close = transcript.find('}', i);
            if (close != std::string::npos &&
                transcript.find_first_not_of("0123456789", i + 1) == close) {
                i = close;
                continue;
            }
        }
        plain.push_back(transcript[i]);
    }
    return plain;
}

std::string WalkToExitInput() {
    return "Ann\ns\n"
           "s\ns\ns\ns\ne\ne\ne\ne\ns\ns\ne\ne\nn\nn\nn\nn\ne\ne\ns\ns\ns\ns\ns\ns\nw\nw\ns\n";
}
