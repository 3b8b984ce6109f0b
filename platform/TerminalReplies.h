#ifndef VAULTREACH_PLATFORM_TERMINALREPLIES_H
#define VAULTREACH_PLATFORM_TERMINALREPLIES_H

// Sorts what a terminal sends while the console waits for answers to its own questions: the
// answers, and the keys the player typed meanwhile.
//
// Bytes are fed in the chunks they were read in. Three answers are recognised:
//   ESC ] 11 ; rgb:R/G/B (BEL or ESC \)   the background colour, 1 to 4 hex digits a component
//   ESC [ 3 ; x ; y t                       the window's position in pixels
//   ESC [ 4 ; height ; width t              the text area's size in pixels
//   ESC [ ? ... c                           the device attributes, which every terminal sends
//                                           and which therefore close every round of questions
// Everything else is typed input and comes out of typed() byte for byte in the order it came,
// however the chunks were cut: a sequence that starts like an answer and then turns out not to
// be one is typed input too. A sequence still incomplete when the wait ends is handed over by
// Finish(). Nothing is held back beyond kMaxReplyLength bytes, so garbage cannot grow it.

#include <cstddef>
#include <cstdint>
#include <string>

struct cRgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

class cTerminalReplies {
  public:
    static constexpr std::size_t kMaxReplyLength = 64;

    void Feed(const char* data, std::size_t length);
    // The wait is over: whatever was held back as the start of an answer is typed input.
    void Finish();

    // Typed input collected so far; TakeTyped() hands it over and forgets it.
    const std::string& typed() const { return m_typed; }
    std::string TakeTyped();

    bool deviceAttributesSeen = false;
    bool positionSeen = false;
    int x = 0;
    int y = 0;
    bool sizeSeen = false;
    int width = 0;
    int height = 0;
    bool backgroundSeen = false;
    cRgb background;

  private:
    void Take(char c);
    // Hands the held bytes but the last `replayed` on as typed, then reads those again.
    void Reject(std::size_t replayed);
    // Called when m_held is a whole escape sequence: records an answer or passes it on.
    void Complete();
    bool ParseControl();
    bool ParseCommand();

    enum class eState { Text, Escape, Control, Command, CommandEscape };
    eState m_state = eState::Text;
    std::string m_held;
    std::string m_typed;
};

#endif
