#ifndef VAULTREACH_PLATFORM_NULL_SCRIPTEDINPUT_H
#define VAULTREACH_PLATFORM_NULL_SCRIPTEDINPUT_H

// Standard input made of text and of actions, put behind std::cin by whoever plays the game.
//
// Chunks are read in the order they were added; an action runs when the reader first reaches
// past the text before it (the game has asked for more than that text). Once every chunk is
// read the feeder, if one is set, is asked for more; an empty answer ends the input, as does
// running out with no feeder. The feeder is asked at most maxAnswers times; then the input
// ends whatever it would say, so a game that keeps asking cannot keep its caller forever.

#include <cstddef>
#include <functional>
#include <streambuf>
#include <string>
#include <vector>

class cScriptedInput : public std::streambuf {
  public:
    void Add(const std::string& text) { m_chunks.push_back({text, nullptr}); }
    void AddAction(std::function<void()> action) {
        m_chunks.push_back({std::string(), std::move(action)});
    }
    static constexpr std::size_t kDefaultMaxAnswers = 20000;
    void SetFeeder(std::function<std::string()> feeder,
                   std::size_t maxAnswers = kDefaultMaxAnswers) {
        m_feeder = std::move(feeder);
        m_answersLeft = maxAnswers;
    }

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
    std::size_t m_answersLeft = 0;
};

#endif
