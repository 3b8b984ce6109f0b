#include "platform/InputBuffer.h"

#include <cstdlib>
#include <iostream>

#include "platform/System.h"

namespace {

cInputBuffer* g_input = nullptr;
std::streambuf* g_originalInput = nullptr;
std::streambuf* g_originalOutput = nullptr;

void PutBackStandardStreams() {
    Sys_FlushOutput();
    std::cin.rdbuf(g_originalInput);
    std::cout.rdbuf(g_originalOutput);
}

}  // namespace

void cInputBuffer::Unread(const std::string& bytes) {
    // The bytes were read from the system after everything already buffered here.
    m_pending = std::string(gptr(), egptr()) + m_pending + bytes;
    setg(m_buffer, m_buffer, m_buffer);
}

cInputBuffer::int_type cInputBuffer::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (m_pending.empty()) {
        Sys_FlushOutput();
    }
    while (m_pending.empty()) {
        if (m_ended || Sys_QuitRequested()) {
            return traits_type::eof();
        }
        m_ended = !ReadSome(m_pending);
    }
    const std::size_t n = m_pending.copy(m_buffer, sizeof m_buffer);
    m_pending.erase(0, n);
    setg(m_buffer, m_buffer, m_buffer + n);
    return traits_type::to_int_type(*gptr());
}

void UseStandardBuffers(cInputBuffer& input, cOutputBuffer& output) {
    g_input = &input;
    UseOutputBuffer(&output);
    if (g_originalOutput == nullptr) {
        g_originalInput = std::cin.rdbuf(&input);
        g_originalOutput = std::cout.rdbuf(&output);
        std::atexit(PutBackStandardStreams);
    }
}

void Sys_UnreadInput(const std::string& bytes) {
    if (g_input != nullptr && !bytes.empty()) {
        g_input->Unread(bytes);
    }
}

bool Sys_InputClosed() {
    return Sys_QuitRequested() || std::cin.eof() || std::cin.bad();
}
