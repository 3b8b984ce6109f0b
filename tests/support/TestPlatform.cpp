#include "support/TestPlatform.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "characters/Enemy.h"
#include "game/Game.h"
#include "platform/Random.h"
#include "platform/StandardStreams.h"
#include "world/Dungeon.h"

cSession::cSession(const std::string& input, bool consoleUsable)
    : m_record(std::make_shared<cConsoleRecord>()) {
    m_input.Add(input);
    m_savedOut = std::cout.rdbuf(&m_output);
    m_savedIn = std::cin.rdbuf(&m_input);
    std::cin.clear();
    std::cout.clear();
    auto clock = std::make_unique<cVirtualClock>();
    m_clock = clock.get();
    Sys_InstallClock(std::move(clock));
    Sys_InstallConsole(std::make_unique<cRecordingConsole>(m_record, consoleUsable));
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

cScratchDirectory::cScratchDirectory() {
    char previous[4096];
    if (getcwd(previous, sizeof previous) == nullptr) {
        throw std::runtime_error("cannot read the working directory");
    }
    m_previous = previous;
    char pattern[] = "/tmp/vaultreach-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot make a scratch directory");
    }
    m_path = pattern;
    if (chdir(m_path.c_str()) != 0) {
        throw std::runtime_error("cannot enter the scratch directory");
    }
}

cScratchDirectory::~cScratchDirectory() {
    if (chdir(m_previous.c_str()) != 0) {
        return;
    }
    // Tests make directories read-only; make them writable again so the clean-up works.
    const std::string command =
        "chmod -R u+rwx '" + m_path + "' 2>/dev/null; rm -rf '" + m_path + "'";
    if (std::system(command.c_str()) != 0) {
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

bool cScratchDirectory::Exists(const std::string& name) const {
    struct stat info {};
    return stat((m_path + "/" + name).c_str(), &info) == 0;
}

void cScratchDirectory::Remove(const std::string& name) const {
    std::remove((m_path + "/" + name).c_str());
}

void cScratchDirectory::CopyGameData() const {
    DIR* data = opendir(VAULTREACH_DATA_DIR);
    if (data == nullptr) {
        throw std::runtime_error("cannot open the data folder");
    }
    while (dirent* entry = readdir(data)) {
        const std::string name = entry->d_name;
        const std::string source = std::string(VAULTREACH_DATA_DIR) + "/" + name;
        struct stat info {};
        if (stat(source.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        std::ifstream in(source, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        Write(name, bytes.str());
    }
    closedir(data);
}

cGameResult RunGame(const cGameOptions& options) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
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
        // The game sets up the console itself; start from a console that has not been.
        Sys_InstallConsole(std::make_unique<cRecordingConsole>(
            result.console = std::make_shared<cConsoleRecord>(), options.consoleUsable));
        session.clock().calendarSeconds = options.seed;
        result.audio = std::make_shared<cAudioRecord>();
        if (!options.realAudio) {
            Sys_InstallAudioBackend(std::make_unique<cSilentAudio>(result.audio));
        }
        if (options.prepare) {
            options.prepare(session);
        }
        char name[] = "vaultreach";
        char* argv[] = {name, nullptr};
        result.status = GameMain(1, argv);
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
