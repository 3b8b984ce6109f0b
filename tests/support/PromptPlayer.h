#ifndef VAULTREACH_TESTS_SUPPORT_PROMPTPLAYER_H
#define VAULTREACH_TESTS_SUPPORT_PROMPTPLAYER_H

// A scripted player: whenever the game wants input and none is left, it asks its policy for the
// answer to the prompt the game last told the console it waits on (never guessed from the
// text). It
// finds its way about the dungeon by asking for the map and walking along open cells, so tests
// can reach the gnome, the story pages, fights and loot without knowing the random draws.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "support/TestPlatform.h"

struct cCell {
    int row;
    int column;
};

inline bool operator==(const cCell& a, const cCell& b) {
    return a.row == b.row && a.column == b.column;
}

constexpr cCell kEntrance{0, 1};
constexpr cCell kBelowEntrance{1, 1};
constexpr cCell kGnomeCell{9, 1};
constexpr cCell kFirstPageCell{7, 0};
constexpr cCell kSecondPageCell{1, 5};

class cPromptPlayer {
  public:
    // The answer to `prompt`, line end included; an empty answer ends the input.
    using tPolicy = std::function<std::string(ePrompt prompt, cPromptPlayer& player)>;

    cPromptPlayer(tPolicy policy, std::size_t maxAnswers);

    // Feeds the session's input from now on; call it from cGameOptions::prepare.
    void Attach(cSession& session);

    // For policies: the transcript so far without colour marks, and whether it holds `text`.
    const std::string& plain() const { return m_plain; }
    bool Saw(const std::string& text) const { return m_plain.find(text) != std::string::npos; }
    // How often `prompt` has asked for fresh input, the present time included.
    int Asked(ePrompt prompt) const;

    // The direction answer (one letter) that brings the player closer to `target`, 'm' when it
    // has to look at the map first, or 0 when the player stands there. Walks around the exit
    // unless the exit is the target.
    char StepTowards(cCell target);
    // Walks back and forth between two cells, a step each turn (looking at the map between).
    char Shuttle(cCell first, cCell second);

    // After the game.
    bool inputEnded() const { return m_inputEnded; }
    std::size_t answers() const { return m_answers; }
    // Prompts the game waited on after the input had ended, given what its console saw.
    std::size_t QuestionsAfterInputEnded(const cConsoleRecord& console) const;
    // Which prompts were asked how often, for failure messages.
    std::string Summary() const;

  private:
    std::string Feed();

    tPolicy m_policy;
    std::size_t m_maxAnswers;
    cSession* m_session = nullptr;
    std::string m_plain;
    std::size_t m_rawSeen = 0;
    std::map<ePrompt, int> m_asked;
    std::size_t m_answers = 0;
    bool m_inputEnded = false;
    std::size_t m_promptsAtEnd = 0;  // the prompts the console had seen when the input ended
    std::size_t m_lastStepAt = 0;    // where the transcript stood when the last step was taken
    bool m_shuttleOut = true;
};

// The answer a cooperative player gives: the sword, attack, take what is offered, say no to
// the gnome, use the first item, drop nothing, do not play again.
std::string PoliteAnswer(ePrompt prompt);

// Whatever happened, the game must have ended with status 0, kept a save that reads back, given
// the console back and asked at most kMaxPromptsAfterInputEnds questions after the input ended.
// Returns the faults, one a line; empty when there are none.
std::string GameFaults(const cGameResult& game, const cPromptPlayer* player);

#endif
