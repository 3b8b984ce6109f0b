#ifndef VAULTREACH_PLATFORM_OUTPUTBUFFER_H
#define VAULTREACH_PLATFORM_OUTPUTBUFFER_H

// The buffer behind std::cout in the real process, shared by every system: only how bytes
// reach standard output differs (WriteSome, one implementation per system).
//
// On a terminal or console every flush (each line end) is written at once; anywhere else the
// text is kept until the buffer fills or Drain is called (before input is read, before a pause,
// at exit), so a reader sees the same bytes at the same moments of the game with a fraction of
// the writes. A write that fails silences the buffer for good and requests the quit: the game
// then leaves by its normal path. While a line-end wrap is set, each line end is written as
// before + "\n" + after. The buffer follows whether the cursor stands at the start of a line:
// text moves it, a line end or a carriage return brings it back, escape sequences leave it.
//
// While line ends are held, the line ends that close what is written are kept back and written
// with the next text, so every piece of text ends where the cursor stands; a terminal screen
// reader, before the player's first key, speaks only new text that ends at the cursor.
//
// UseOutputBuffer makes a buffer the one that Sys_FlushOutput, Sys_SetLineEndWrap,
// Sys_OutputAtLineStart and NoteLineEndEchoed act on (UseStandardBuffers calls it).

#include <cstddef>
#include <streambuf>
#include <string>

class cOutputBuffer : public std::streambuf {
  public:
    cOutputBuffer();
    cOutputBuffer(const cOutputBuffer&) = delete;
    cOutputBuffer& operator=(const cOutputBuffer&) = delete;

    void SetWritesEveryFlush(bool everyFlush) { m_writesEveryFlush = everyFlush; }
    void SetLineEndWrap(const std::string& before, const std::string& after);
    // Ending the hold writes the held line ends.
    void SetHoldsLineEnds(bool hold);
    // Writes out what is buffered; -1 once a write has failed.
    int Drain();
    bool AtLineStart() const { return m_atLineStart; }
    void SetAtLineStart() { m_atLineStart = true; }

  protected:
    // Writes some of the bytes: how many (at least one), 0 to be asked again (an interrupted
    // call), or -1 when standard output can take no more.
    virtual long WriteSome(const char* bytes, std::size_t count) = 0;

    int_type overflow(int_type ch) override;
    int sync() override;

  private:
    void TrackCursor(const char* next, const char* end);

    enum class eEscape { None, Start, Control, Command };

    char m_buffer[8192];
    std::string m_beforeLineEnd;
    std::string m_afterLineEnd;
    bool m_failed = false;
    bool m_writesEveryFlush = true;
    bool m_holdsLineEnds = false;
    std::size_t m_heldLineEnds = 0;
    bool m_atLineStart = true;
    eEscape m_escape = eEscape::None;
};

void UseOutputBuffer(cOutputBuffer* buffer);
// The terminal echoed a line end the player typed: the cursor stands at the start of a line,
// whatever the game wrote last.
void NoteLineEndEchoed();

#endif
