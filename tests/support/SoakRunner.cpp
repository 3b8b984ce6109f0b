#include "support/SoakRunner.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "characters/Character.h"
#include "characters/Enemy.h"
#include "game/Game.h"
#include "platform/System.h"
#include "support/PromptPlayer.h"

namespace {

// Everything the game writes next to its data; removed before each game so that each one has
// to write its own save.
const char* const kGameOutputs[] = {"Player.txt", "Player.txt.tmp", "log.txt", "AudioLog.txt",
                                    "WeaponsLog.txt"};

}  // namespace

std::string cSoakOutcome::Faults() const {
    std::ostringstream faults;
    if (status != 0) {
        faults << "exit status " << status << " instead of 0\n";
    }
    if (!saveReadsBack) {
        faults << "Player.txt is missing or does not read back\n";
    }
    if (consoleRestores < 1) {
        faults << "the console was not restored\n";
    }
    if (promptsAfterInputEnds > kMaxPromptsAfterInputEnds) {
        faults << promptsAfterInputEnds << " questions asked after the input ended\n";
    }
    if (readsAfterInputEnds > kMaxReadsAfterInputEnds) {
        faults << "the ended input was read " << readsAfterInputEnds << " more times\n";
    }
    return faults.str();
}

cSoakGame GameFromFuzzInput(const std::string& bytes) {
    cSoakGame game;
    if (bytes.size() < 2) {
        game.input = bytes;
        return game;
    }
    game.encounterChance = static_cast<unsigned char>(bytes[0]) % 101;
    game.seed = static_cast<unsigned char>(bytes[1]);
    game.input = bytes.substr(2);
    return game;
}

cSoakRunner::cSoakRunner() {
    m_directory.CopyGameData();
}

namespace {

class cHangWatch {
  public:
    cHangWatch(int seconds, const cSoakGame& game) {
        if (seconds <= 0 || !VAULTREACH_HANG_WATCH) {
            return;
        }
        m_thread = std::thread([this, seconds, &game] {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (!m_ended.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_done; })) {
                std::fprintf(stderr,
                             "A game is still running after %d s (encounter chance %d, seed "
                             "%lld); its input: %s\n",
                             seconds, static_cast<int>(game.encounterChance),
                             static_cast<long long>(game.seed), EscapeBytes(game.input).c_str());
                std::abort();
            }
        });
    }
    ~cHangWatch() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_ended.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    cHangWatch(const cHangWatch&) = delete;
    cHangWatch& operator=(const cHangWatch&) = delete;

  private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
};

}  // namespace

cSoakOutcome cSoakRunner::Play(const cSoakGame& game) {
    cHangWatch watch(hangSeconds, game);
    SetEnvironment("SDL_AUDIODRIVER", "dummy", false);
    if (!game.realAudio) {
        Sys_InstallAudioBackend(std::make_unique<cSilentAudio>(std::make_shared<cAudioRecord>()));
    }
    for (const char* name : kGameOutputs) {
        m_directory.Remove(name);
    }
    cSoakOutcome outcome;
    std::shared_ptr<cConsoleRecord> console;
    {
        cSession session(game.input);
        console = session.FreshConsole(true);
        session.clock().calendarSeconds = game.seed;
        // The pauses spin on the clock; with each reading a tenth of a second later they end
        // after a few readings, and nothing else in a game depends on how long it took.
        session.clock().step = 100;
        gEncounterChance = game.encounterChance;
        std::size_t promptsAtInputEnd = 0;
        session.input().SetFeeder([&session, &outcome, &console, &promptsAtInputEnd]() {
            if (!outcome.inputEnded) {
                outcome.inputEnded = true;
                outcome.inputEndedAt = session.Output().size();
                promptsAtInputEnd = console->prompts.size();
                if (!console->prompts.empty()) {
                    outcome.promptAtInputEnd = console->prompts.back().kind;
                }
            } else if (++outcome.readsAfterInputEnds > kMaxReadsAfterInputEnds) {
                // Stops a prompt loop so that the fault is reported instead of hanging the run.
                Sys_RequestQuit();
            }
            return std::string();
        });
        char name[] = "vaultreach";
        char* argv[] = {name, nullptr};
        outcome.status = GameMain(1, argv);
        outcome.transcript = session.Output();
        if (outcome.inputEnded) {
            outcome.promptsAfterInputEnds = console->prompts.size() - promptsAtInputEnd;
        }
    }
    Sys_InstallAudioBackend(nullptr);
    outcome.consoleRestores = console->restores;
    outcome.saveReadsBack = SaveReadsBack(m_directory.path() + "/Player.txt");
    return outcome;
}

bool SaveReadsBack(const std::string& path) {
    // Load prints a line when it fails; keep that out of the test's own output.
    std::ostringstream quiet;
    std::streambuf* previous = std::cout.rdbuf(quiet.rdbuf());
    cCharacter save("Loaded");
    const bool loaded = save.Load(path);
    std::cout.rdbuf(previous);
    return loaded;
}

std::string EscapeBytes(const std::string& text, std::size_t limit) {
    std::string escaped;
    const std::size_t shown = text.size() < limit ? text.size() : limit;
    for (std::size_t i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\\') {
            escaped += "\\\\";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            escaped += hex;
        } else {
            escaped.push_back(static_cast<char>(c));
        }
    }
    if (shown < text.size()) {
        escaped += "... (" + std::to_string(text.size() - shown) + " more bytes)";
    }
    return escaped;
}
