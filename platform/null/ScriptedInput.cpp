#include "platform/null/ScriptedInput.h"

cScriptedInput::int_type cScriptedInput::underflow() {
    for (;;) {
        if (m_next == m_chunks.size()) {
            if (!m_feeder || m_answersLeft == 0) {
                return traits_type::eof();
            }
            --m_answersLeft;
            std::string more = m_feeder();
            if (more.empty()) {
                return traits_type::eof();
            }
            m_chunks.push_back({std::move(more), nullptr});
        }
        // Moved out: an action may add chunks, which can move the vector's storage, and a chunk
        // is never read twice.
        cChunk chunk = std::move(m_chunks[m_next++]);
        if (chunk.action) {
            chunk.action();
            continue;
        }
        if (chunk.text.empty()) {
            continue;
        }
        m_current = std::move(chunk.text);
        setg(&m_current[0], &m_current[0], &m_current[0] + m_current.size());
        return traits_type::to_int_type(*gptr());
    }
}
