#ifndef VAULTREACH_PLATFORM_TERMINAL_TERMINALREPLIES_H
#define VAULTREACH_PLATFORM_TERMINAL_TERMINALREPLIES_H

// Sorts what a terminal sends into what the player typed and what the terminal said: its
// answers to the console's questions, and the keys that are not text (arrows, function keys).
// One sorter sees everything a terminal sends for the whole session, so an answer that comes
// late, however late, is still recognised.
//
// Bytes are fed in the chunks they were read in; the result does not depend on the cuts.
// Escape sequences are taken out wherever they arrive:
//   CSI   ESC [  or 0x9B   parameter and intermediate bytes (0x20 to 0x3F), one final byte
//   OSC   ESC ]  or 0x9D   any bytes but C0 controls, ended by BEL, ESC \ or 0x9C
//   DCS   ESC P  or 0x90   as OSC
//   SS3   ESC O  or 0x8F   one more byte (0x20 to 0x7E)
// The 8-bit introducers count both as raw bytes and in their UTF-8 form (0xC2 0x9B and so on), but
// a raw byte that continues a UTF-8 letter (the 0x9B of U+011B) is the letter's. Four answers are
// recorded; every other sequence, and any answer that cannot be read, is dropped, never typed:
//   ESC ] 11 ; rgb:R/G/B ST     the background colour, 1 to 4 hex digits a component
//   ESC [ 3 ; x ; y t           the window's position in pixels
//   ESC [ 4 ; height ; width t  the text area's size in pixels
//   ESC [ ? n ; ... c           the device attributes, which every terminal sends and which
//                               therefore close every round of questions
// A sequence is broken off, and dropped, by a byte it cannot hold: a C0 control (a line end,
// say), or for CSI and SS3 any byte outside their ranges. That byte is read afresh, so a line
// end typed behind a reply that never ends still ends the line. Only kMaxReplyLength bytes of a
// sequence are kept; a longer one is drained to its end and dropped.
//
// An escape the player typed alone (the Esc key, or Alt with a letter) is followed by a byte
// that cannot start a sequence (anything but [ ] P O): that escape is typed input, and the
// byte after it is read afresh. An escape still waiting for its next byte when the input ends
// is typed input too; an unfinished sequence then is dropped.

#include <cstddef>
#include <string>

struct cRgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

class cTerminalReplies {
  public:
    static constexpr std::size_t kMaxReplyLength = 256;

    void Feed(const char* data, std::size_t length);
    // The input has ended: see above.
    void Finish();

    // Typed input collected so far; TakeTyped() hands it over and forgets it.
    const std::string& typed() const { return m_typed; }
    // True while a sequence has begun and not ended (a lone escape does not count).
    bool InSequence() const {
        return m_state != eState::Text && m_state != eState::Lead && m_state != eState::Escape;
    }
    std::string TakeTyped();

    // How many device-attributes answers have come, and how many had come when the last
    // position answer did (so a round of questions knows whether that answer is its own).
    int deviceAttributes = 0;
    bool positionSeen = false;
    int positionAfterAttributes = 0;
    int x = 0;
    int y = 0;
    bool sizeSeen = false;
    int width = 0;
    int height = 0;
    bool backgroundSeen = false;
    cRgb background;

  private:
    enum class eState { Text, Lead, Escape, Control, String, StringEscape, Single };
    enum class eKind { Control, Command, Device, Single };

    void Take(unsigned char c);
    // Starts the sequence an introducer opens: the character after ESC ('[', ']', 'P' or 'O')
    // or its 8-bit form (CSI, OSC, DCS or SS3).
    void Start(unsigned char introducer);
    void Hold(unsigned char c);
    // The sequence is whole: records an answer, drops the rest.
    void Complete();
    // The sequence cannot go on: it is dropped and `c` is read afresh.
    void BreakOff(unsigned char c);
    bool ParseControl(char final);
    bool ParseCommand();

    eState m_state = eState::Text;
    eKind m_kind = eKind::Control;
    std::string m_body;  // between the introducer and the final byte or terminator
    bool m_overflowed = false;
    int m_continuations = 0;  // bytes still due to finish the UTF-8 letter being typed
    std::string m_typed;
};

#endif
