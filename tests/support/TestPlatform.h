#ifndef VAULTREACH_TESTS_SUPPORT_TESTPLATFORM_H
#define VAULTREACH_TESTS_SUPPORT_TESTPLATFORM_H

// A way to run the whole game in-process on the null platform (platform/null).
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

#include "platform/null/NullPlatform.h"
#include "platform/null/ScriptedInput.h"

// Standard output kept in one growing string that can be read without copying it.
class cTranscriptBuffer : public std::streambuf {
  public:
    const std::string& text() const { return m_text; }
    // Hands the text over and starts again empty.
    std::string Release() {
        std::string text = std::move(m_text);
        m_text.clear();
        return text;
    }

  protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            m_text.push_back(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }
    // Where the text stands (tellp), for a record of where something happened in it.
    pos_type seekoff(off_type offset, std::ios_base::seekdir way,
                     std::ios_base::openmode which) override {
        if (offset != 0 || way != std::ios_base::cur || !(which & std::ios_base::out)) {
            return pos_type(off_type(-1));
        }
        return pos_type(static_cast<off_type>(m_text.size()));
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        m_text.append(text, static_cast<std::size_t>(count));
        return count;
    }

  private:
    std::string m_text;
};

class cSession {
  public:
    explicit cSession(const std::string& input = "", bool consoleUsable = true);
    ~cSession();
    cSession(const cSession&) = delete;
    cSession& operator=(const cSession&) = delete;

    // Everything written so far, colour marks included; Take also forgets it. Transcript is the
    // same text without a copy, valid until the next write.
    std::string Output() const { return m_output.text(); }
    const std::string& Transcript() const { return m_output.text(); }
    std::string Take();

    cScriptedInput& input() { return m_input; }
    cVirtualClock& clock() { return *m_clock; }
    cConsoleRecord& console() { return *m_record; }
    // A recording console that has not been set up yet, with a record of its own, in place of
    // the session's (a game sets up its console itself).
    std::shared_ptr<cConsoleRecord> FreshConsole(bool usable);

  private:
    cTranscriptBuffer m_output;
    cScriptedInput m_input;
    cVirtualClock* m_clock;
    std::shared_ptr<cConsoleRecord> m_record;
    std::streambuf* m_savedOut;
    std::streambuf* m_savedIn;
};

// A fresh directory, entered on construction and removed (after leaving it) on destruction.
// Sets an environment variable of this process the same way on every system; with overwrite
// false a value that is already there stays.
void SetEnvironment(const std::string& name, const std::string& value, bool overwrite);

class cScratchDirectory {
  public:
    cScratchDirectory();
    ~cScratchDirectory();
    cScratchDirectory(const cScratchDirectory&) = delete;
    cScratchDirectory& operator=(const cScratchDirectory&) = delete;

    const std::string& path() const { return m_path; }
    void Write(const std::string& name, const std::string& contents) const;
    std::string Read(const std::string& name) const;
    // A text file the game wrote (a log, the save), with the system's line ends (CR LF on
    // Windows) given back as '\n'. A file that mixes line ends is returned as it is.
    std::string ReadText(const std::string& name) const;
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
    std::vector<std::string> arguments;        // the command line after the program's name
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

    std::string File(const std::string& name) const { return directory->ReadText(name); }
};

cGameResult RunGame(const cGameOptions& options);

// The transcript without colour marks.
std::string StripColours(const std::string& transcript);

// The standard input that walks from the start to the way out by the shortest path: the
// name Ann, the sword, then the moves.
std::string WalkToExitInput();

#endif
