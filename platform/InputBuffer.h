#ifndef VAULTREACH_PLATFORM_INPUTBUFFER_H
#define VAULTREACH_PLATFORM_INPUTBUFFER_H

// The buffer behind std::cin in the real process, shared by every system: only how bytes are
// read from standard input differs (ReadSome, one implementation per system).
//
// Bytes handed back (Sys_UnreadInput, read from the system on the game's behalf) come after
// what the buffer holds already and before anything read later. When nothing is left, the
// output is flushed, so that whoever reads it sees the question before the game waits for its
// answer, and the system is read until it brings at least one byte. While a quit is requested,
// and for good once the system has reported the end of its input, a read that would wait finds
// the end of input instead; what was read before still comes first.
//
// UseStandardBuffers puts a system's two buffers behind std::cin and std::cout (the first
// time it is called) and makes them the ones the Sys_ functions act on. At exit, the last words
// are written and the standard library's own buffers are put back, so that its final flush
// finds them again.

#include <streambuf>
#include <string>

#include "platform/OutputBuffer.h"

class cInputBuffer : public std::streambuf {
  public:
    cInputBuffer() = default;
    cInputBuffer(const cInputBuffer&) = delete;
    cInputBuffer& operator=(const cInputBuffer&) = delete;

    void Unread(const std::string& bytes);

  protected:
    // Waits for the system's next read and appends what it brought to input, which may be
    // nothing (an interrupted call, a read that brought only the terminal's own answers).
    // False at the end of the input, after appending whatever came before it.
    virtual bool ReadSome(std::string& input) = 0;

    int_type underflow() override;

  private:
    char m_buffer[4096];
    std::string m_pending;
    bool m_ended = false;
};

void UseStandardBuffers(cInputBuffer& input, cOutputBuffer& output);

#endif
