#ifndef VAULTREACH_TESTS_SUPPORT_SOAKRUNNER_H
#define VAULTREACH_TESTS_SUPPORT_SOAKRUNNER_H

// Plays many whole games in-process, one after the other, in one scratch directory that holds
// the data files (copied once), and judges each game by what a player must always be able to
// rely on, whatever they typed:
//  - the game ends by itself with status 0;
//  - it leaves a "Player.txt" that cCharacter::Load reads back;
//  - it hands the console back (Restore at least once);
//  - once the input has ended it asks at most kMaxPromptsAfterInputEnds more questions, and it
//    does not keep reading the ended input over and over (a prompt loop).
//
// Used by the random soak of the test suite and by the libFuzzer target.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "support/TestPlatform.h"

// Questions that may still be printed after the input ended: the one whose answer failed can
// be followed by at most this many before the game leaves.
constexpr std::size_t kMaxPromptsAfterInputEnds = 2;
// Reads of the ended input after the first; more means the game keeps asking nobody.
constexpr int kMaxReadsAfterInputEnds = 50;

struct cSoakGame {
    std::string input;      // all of standard input
    std::int64_t seed = 1;  // the calendar seconds that seed the game's generator
    std::int32_t encounterChance = 30;
    bool realAudio = false;  // SDL_mixer on SDL's dummy device instead of the silent backend
};

struct cSoakOutcome {
    int status = -1;
    bool saveReadsBack = false;
    int consoleRestores = 0;
    bool inputEnded = false;       // the game read past the end of the input
    std::size_t inputEndedAt = 0;  // the transcript's length at that moment
    std::size_t promptsAfterInputEnds = 0;
    std::optional<ePrompt> promptAtInputEnd;  // the prompt the game waited on as the input ended
    int readsAfterInputEnds = 0;
    std::string transcript;  // colour marks included

    // Empty when the game behaved; otherwise what went wrong, one line per fault.
    std::string Faults() const;
};

// The game a fuzzer's input stands for: the first byte sets the encounter chance (byte mod
// 101: 'd' is 100, 'e' is 0), the second the calendar seconds that seed the game, the rest is
// typed. Fewer than two bytes are typed as they are, with the usual chance and seed.
cSoakGame GameFromFuzzInput(const std::string& bytes);

class cSoakRunner {
  public:
    cSoakRunner();
    cSoakRunner(const cSoakRunner&) = delete;
    cSoakRunner& operator=(const cSoakRunner&) = delete;

    cSoakOutcome Play(const cSoakGame& game);
    const cScratchDirectory& directory() const { return m_directory; }

    // A game still running after this many seconds of real time is hung: its input goes to
    // standard error and the process aborts, rather than waiting for an outer time-out that
    // says nothing about the input. 0 leaves that to the caller (libFuzzer's -timeout).
    int hangSeconds = 60;

  private:
    cScratchDirectory m_directory;
};

// Whether cCharacter::Load reads the save file at path.
bool SaveReadsBack(const std::string& path);

// The text with every byte outside printable ASCII written as \xNN (and \n, \r, \t, \\ as
// such), for failure messages; longer texts are cut after limit bytes with a note.
std::string EscapeBytes(const std::string& text, std::size_t limit = 4000);

#endif
