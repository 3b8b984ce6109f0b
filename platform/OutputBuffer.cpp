#include "platform/OutputBuffer.h"

#include <iostream>

#include "platform/System.h"

namespace {

cOutputBuffer* g_output = nullptr;

// True when std::cout still writes through the installed buffer (tests swap it out).
bool Installed() {
    return g_output != nullptr && std::cout.rdbuf() == g_output;
}

}  // namespace

cOutputBuffer::cOutputBuffer() {
    setp(m_buffer, m_buffer + sizeof m_buffer);
}

void cOutputBuffer::SetLineEndWrap(const std::string& before, const std::string& after) {
    m_beforeLineEnd = before;
    m_afterLineEnd = after;
}

void cOutputBuffer::SetHoldsLineEnds(bool hold) {
    m_holdsLineEnds = hold;
    Drain();
}

int cOutputBuffer::Drain() {
    const char* next = pbase();
    const char* end = pptr();
    std::string held;
    if (m_heldLineEnds > 0 || m_holdsLineEnds) {
        held.assign(m_heldLineEnds, '\n');
        held.append(next, end);
        m_heldLineEnds = 0;
        while (m_holdsLineEnds && !held.empty() && held.back() == '\n') {
            held.pop_back();
            ++m_heldLineEnds;
        }
        next = held.data();
        end = next + held.size();
    }
    TrackCursor(next, end);
    std::string wrapped;
    if (!m_beforeLineEnd.empty() || !m_afterLineEnd.empty()) {
        for (; next < end; ++next) {
            if (*next == '\n') {
                wrapped += m_beforeLineEnd + '\n' + m_afterLineEnd;
            } else {
                wrapped += *next;
            }
        }
        next = wrapped.data();
        end = next + wrapped.size();
    }
    while (!m_failed && next < end) {
        const long n = WriteSome(next, static_cast<std::size_t>(end - next));
        if (n > 0) {
            next += n;
        } else if (n < 0) {
            m_failed = true;
            Sys_RequestQuit();
        }
    }
    setp(m_buffer, m_buffer + sizeof m_buffer);
    return m_failed ? -1 : 0;
}

cOutputBuffer::int_type cOutputBuffer::overflow(int_type ch) {
    if (Drain() != 0) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int cOutputBuffer::sync() {
    if (m_writesEveryFlush) {
        return Drain();
    }
    return m_failed ? -1 : 0;
}

void cOutputBuffer::TrackCursor(const char* next, const char* end) {
    for (; next < end; ++next) {
        const unsigned char c = static_cast<unsigned char>(*next);
        switch (m_escape) {
            case eEscape::None:
                if (c == 0x1b) {
                    m_escape = eEscape::Start;
                } else if (c == '\n' || c == '\r') {
                    m_atLineStart = true;
                } else if (c >= 0x20) {
                    m_atLineStart = false;
                }
                break;
            case eEscape::Start:
                m_escape =
                    c == '[' ? eEscape::Control : (c == ']' ? eEscape::Command : eEscape::None);
                break;
            case eEscape::Control:
                if (c >= 0x40 && c <= 0x7e) {
                    m_escape = eEscape::None;
                }
                break;
            case eEscape::Command:
                if (c == 0x07 || c == '\\') {
                    m_escape = eEscape::None;
                }
                break;
        }
    }
}

void UseOutputBuffer(cOutputBuffer* buffer) {
    g_output = buffer;
}

void NoteLineEndEchoed() {
    if (g_output != nullptr) {
        g_output->SetAtLineStart();
    }
}

void Sys_FlushOutput() {
    if (Installed()) {
        g_output->Drain();
    } else {
        std::cout.flush();
    }
}

void Sys_SetLineEndWrap(const std::string& before, const std::string& after) {
    Sys_FlushOutput();
    if (g_output != nullptr) {
        g_output->SetLineEndWrap(before, after);
    }
}

void Sys_HoldLineEnds(bool hold) {
    if (Installed()) {
        g_output->SetHoldsLineEnds(hold);
    }
}

bool Sys_OutputAtLineStart() {
    if (!Installed()) {
        return true;
    }
    Sys_FlushOutput();
    return g_output->AtLineStart();
}
