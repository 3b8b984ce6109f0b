#ifndef VAULTREACH_TESTS_SUPPORT_TESTPLATFORM_H
#define VAULTREACH_TESTS_SUPPORT_TESTPLATFORM_H

// Test doubles for the platform layer, and a way to run the whole game in-process.
//
// cSession installs, for its lifetime: standard output captured into a transcript, scripted
// standard input, a virtual clock (each reading advances it 1 ms, so busy waits end at once)
// and a console that writes every colour change into the transcript as {N}. It also puts the
// game's globals back as they are at program start.
//
// RunGame runs the main routine in a fresh directory holding the game's data files, with the
// silent audio backend unless asked for SDL's.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/AudioManager.h"
#include "platform/Clock.h"
#include "platform/Console.h"

class cVirtualClock : public cClock {
  public:
    std::uint32_t TickCount() override {
        const std::uint32_t now = m_now;
        m_now += step;
        return now;
    }
    std::int64_t CalendarSeconds() override { return calendarSeconds; }
    void Sleep(std::uint32_t milliseconds) override {
        m_now += milliseconds;
        slept += milliseconds;
    }
    void Advance(std::uint32_t milliseconds) { m_now += milliseconds; }
    std::uint32_t Peek() const { return m_now; }
    void Set(std::uint32_t now) { m_now = now; }

    std::uint32_t step = 1;
    std::int64_t calendarSeconds = 1;
    std::uint32_t slept = 0;

  private:
    std::uint32_t m_now = 1000;
};

// What the recording console saw besides colours.
struct cConsoleRecord {
    std::string title;
    std::vector<cWindowRect> moves;
    int restores = 0;
};

class cRecordingConsole : public cConsole {
  public:
    explicit cRecordingConsole(std::shared_ptr<cConsoleRecord> record, bool usable = true)
        : m_record(std::move(record)), m_usable(usable) {}
    bool IsUsable() override { return m_usable; }
    void SetTitle(const std::string& title) override { m_record->title = title; }
    void SetTextAttribute(tAttribute attribute) override;
    bool GetWindowRect(cWindowRect& rect) override {
        rect = m_rect;
        return true;
    }
    void MoveWindow(const cWindowRect& rect) override {
        m_rect = rect;
        m_record->moves.push_back(rect);
    }
    void SetWindowSize(int width, int height) override {
        m_rect.right = m_rect.left + width;
        m_rect.bottom = m_rect.top + height;
    }
    void Restore() override { ++m_record->restores; }

  private:
    std::shared_ptr<cConsoleRecord> m_record;
    bool m_usable;
    cWindowRect m_rect{100, 50, 740, 450};
};

// What the silent audio backend was asked to do.
struct cAudioRecord {
    int opens = 0;
    int closes = 0;
    std::vector<std::string> loaded;  // paths, effects and music alike
    std::vector<int> plays;           // the loop count of each music start
};

// Opens no device and loads nothing, so a whole game runs without SDL's audio thread.
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

// Standard input made of text and of actions run when the game first reads past them.
class cScriptedInput : public std::streambuf {
  public:
    void Add(const std::string& text);
    void AddAction(std::function<void()> action);
    // Asked for more text once everything added has been read; an empty answer ends the input.
    void SetFeeder(std::function<std::string()> feeder) { m_feeder = std::move(feeder); }

  protected:
    int_type underflow() override;

  private:
    struct cChunk {
        std::string text;
        std::function<void()> action;
    };
    std::vector<cChunk> m_chunks;
    std::size_t m_next = 0;
    std::string m_current;
    std::function<std::string()> m_feeder;
};

class cSession {
  public:
    explicit cSession(const std::string& input = "", bool consoleUsable = true);
    ~cSession();
    cSession(const cSession&) = delete;
    cSession& operator=(const cSession&) = delete;

    // Everything written so far, colour marks included; Take also forgets it.
    std::string Output() const { return m_output.str(); }
    std::string Take();

    cScriptedInput& input() { return m_input; }
    cVirtualClock& clock() { return *m_clock; }
    cConsoleRecord& console() { return *m_record; }

  private:
    std::ostringstream m_output;
    cScriptedInput m_input;
    cVirtualClock* m_clock;
    std::shared_ptr<cConsoleRecord> m_record;
    std::streambuf* m_savedOut;
    std::streambuf* m_savedIn;
};

// A fresh directory, entered on construction and removed (after leaving it) on destruction.
class cScratchDirectory {
  public:
    cScratchDirectory();
    ~cScratchDirectory();
    cScratchDirectory(const cScratchDirectory&) = delete;
    cScratchDirectory& operator=(const cScratchDirectory&) = delete;

    const std::string& path() const { return m_path; }
    void Write(const std::string& name, const std::string& contents) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    void Remove(const std::string& name) const;
    // Copies every file of the game's data folder here.
    void CopyGameData() const;

  private:
    std::string m_path;
    std::string m_previous;
};

struct cGameOptions {
    std::string input;
    std::int64_t seed = 1;
    bool consoleUsable = true;
    bool copyData = true;
    bool realAudio = false;  // SDL_mixer on SDL's dummy device instead of the silent backend
    std::map<std::string, std::string> files;  // written over the data files
    std::vector<std::string> removed;          // data files taken away
    // Runs inside the session just before the game starts (to add scripted actions, say).
    std::function<void(cSession&)> prepare;
};

struct cGameResult {
    int status = -1;
    std::string transcript;
    std::unique_ptr<cScratchDirectory> directory;
    std::shared_ptr<cConsoleRecord> console;
    std::shared_ptr<cAudioRecord> audio;
    std::uint32_t clockAtEnd = 0;

    std::string File(const std::string& name) const { return directory->Read(name); }
};

cGameResult RunGame(const cGameOptions& options);

// The transcript without colour marks.
std::string StripColours(const std::string& transcript);

// The standard input that walks from the start to the way out by the shortest path: the
// name Ann, the sword, then the moves.
std::string WalkToExitInput();

#endif
