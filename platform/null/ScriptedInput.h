#ifndef VAULTREACH_PLATFORM_NULL_SCRIPTEDINPUT_H
#define VAULTREACH_PLATFORM_NULL_SCRIPTEDINPUT_H

// Standard input made of text and of actions, put behind std::cin by whoever plays the game.
//
// Chunks are read in the order they were added; an action runs when the reader first reaches
// past the text before it (the game has asked for more than that text). Once every chunk is
// read the feeder, if one is set, is asked for more; an empty answer ends the input, as does
// running out with no feeder. A feeder must itself stop answering after a bounded number of
// answers, or a game that keeps asking never ends.

#include <cstddef>
#include <functional>
#include <streambuf>
#include <string>
#include <vector>

class cScriptedInput : public std::streambuf {
  public:
    void Add(const std::string& text);
    void AddAction(std::function<void()> action);
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

#endif
