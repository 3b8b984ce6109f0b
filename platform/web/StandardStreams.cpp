// Standard streams in a browser tab: output goes straight to the page, input comes a line at a
// time from what the player typed (the page's input line), and the page's Quit button, Ctrl-C
// and the tab closing are the quit request. While the game waits for a line the browser runs
// on: the read suspends the game (Asyncify) until the page sends one.

#include "platform/StandardStreams.h"

#include <iostream>
#include <streambuf>
#include <string>

#include "platform/OutputBuffer.h"
#include "platform/web/PageBridge.h"

namespace {

class cLineInput : public std::streambuf {
  public:
    void Unread(const std::string& bytes) {
        std::string rest(gptr(), egptr());
        m_pending = rest + m_pending + bytes;
        setg(m_buffer, m_buffer, m_buffer);
    }

    // Set by the output buffer once it exists: the page echoes each sent line with its line
    // end, as a terminal would.
    cOutputBuffer* echo = nullptr;

  protected:
    int_type underflow() override {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        if (!m_pending.empty()) {
            const std::size_t n = m_pending.copy(m_buffer, sizeof m_buffer);
            m_pending.erase(0, n);
            setg(m_buffer, m_buffer, m_buffer + n);
            return traits_type::to_int_type(*gptr());
        }
        Sys_FlushOutput();
        if (Sys_QuitRequested()) {
            return traits_type::eof();
        }
        const int n = vr_read_line(m_buffer, static_cast<int>(sizeof m_buffer));
        if (n <= 0) {
            return traits_type::eof();
        }
        setg(m_buffer, m_buffer, m_buffer + n);
        if (m_buffer[n - 1] == '\n' && echo != nullptr) {
            echo->SetAtLineStart();
        }
        return traits_type::to_int_type(*gptr());
    }

  private:
    char m_buffer[4096];
    std::string m_pending;
};

class cPageOutput : public cOutputBuffer {
  protected:
    long WriteSome(const char* bytes, std::size_t count) override {
        vr_write(bytes, static_cast<int>(count));
        return static_cast<long>(count);
    }
};

cLineInput* g_input = nullptr;
std::streambuf* g_originalInput = nullptr;
std::streambuf* g_originalOutput = nullptr;

void PutBackStandardStreams() {
    Sys_FlushOutput();
    std::cin.rdbuf(g_originalInput);
    std::cout.rdbuf(g_originalOutput);
}

}  // namespace

void Sys_InstallStandardStreams() {
    static cLineInput input;
    static cPageOutput output;
    g_input = &input;
    input.echo = &output;
    Sys_UseOutputBuffer(&output);
    // The page shows each flush at once, like a terminal: a prompt is on screen while the game
    // waits for its answer.
    output.SetWritesEveryFlush(true);
    if (g_originalOutput == nullptr) {
        g_originalInput = std::cin.rdbuf(&input);
        g_originalOutput = std::cout.rdbuf(&output);
        std::atexit(PutBackStandardStreams);
    }
}

bool Sys_QuitRequested() {
    return vr_quit_requested() != 0;
}

void Sys_RequestQuit() {
    vr_request_quit();
}

void Sys_ClearQuitRequest() {
    vr_clear_quit();
}

void Sys_UnreadInput(const std::string& bytes) {
    if (g_input != nullptr && !bytes.empty()) {
        g_input->Unread(bytes);
    }
}
