#include "platform/StandardStreams.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <streambuf>
#include <string>

#include "platform/OutputBuffer.h"
#include "platform/posix/TerminalInput.h"

namespace {

volatile std::sig_atomic_t g_quitRequested = 0;
cTerminalReplies* g_terminalReplies = nullptr;
void NoteLineEndEchoed();
int g_wakePipe[2] = {-1, -1};

void OnQuitSignal(int) {
    g_quitRequested = 1;
    if (g_wakePipe[1] >= 0) {
        const char byte = 1;
        // Wakes a blocked read; nothing to do if the pipe is full, one byte is enough.
        ssize_t ignored = write(g_wakePipe[1], &byte, 1);
        (void)ignored;
    }
}

// Reads file descriptor 0 and also watches the wake pipe, so a signal that arrives just before
// the read blocks still ends it.
class cInputBuffer : public std::streambuf {
  public:
    void Unread(const std::string& bytes) {
        // The bytes were read from the descriptor after everything already buffered here.
        std::string rest(gptr(), egptr());
        m_pending = rest + m_pending + bytes;
        setg(m_buffer, m_buffer, m_buffer);
    }

  protected:
    int_type underflow() override {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        if (!m_pending.empty()) {
            return TakePending();
        }
        // Whoever reads the output sees the question before the game waits for its answer.
        Sys_FlushOutput();
        for (;;) {
            if (g_quitRequested) {
                return traits_type::eof();
            }
            // The output is watched too: when its reader goes away while the game waits for an
            // answer, nobody will see the question, so the player has gone.
            pollfd fds[3] = {{0, POLLIN, 0}, {1, 0, 0}, {g_wakePipe[0], POLLIN, 0}};
            const int ready = poll(fds, 3, -1);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return traits_type::eof();
            }
            if (fds[1].revents & (POLLERR | POLLHUP)) {
                Sys_RequestQuit();
                return traits_type::eof();
            }
            if (fds[0].revents & POLLNVAL) {
                return traits_type::eof();
            }
            if (fds[0].revents == 0) {
                continue;
            }
            const ssize_t n = read(0, m_buffer, sizeof m_buffer);
            if (n > 0) {
                if (m_buffer[n - 1] == '\n') {
                    // A terminal echoed the line end the player typed.
                    NoteLineEndEchoed();
                }
                if (g_terminalReplies == nullptr) {
                    setg(m_buffer, m_buffer, m_buffer + n);
                    return traits_type::to_int_type(*gptr());
                }
                // Only what the player typed; a read that brought nothing else reads again.
                g_terminalReplies->Feed(m_buffer, static_cast<std::size_t>(n));
                m_pending = g_terminalReplies->TakeTyped();
                if (m_pending.empty()) {
                    continue;
                }
                return TakePending();
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            if (g_terminalReplies != nullptr) {
                g_terminalReplies->Finish();
                m_pending = g_terminalReplies->TakeTyped();
                if (!m_pending.empty()) {
                    return TakePending();
                }
            }
            return traits_type::eof();
        }
    }

  private:
    int_type TakePending() {
        const std::size_t n = m_pending.copy(m_buffer, sizeof m_buffer);
        m_pending.erase(0, n);
        setg(m_buffer, m_buffer, m_buffer + n);
        return traits_type::to_int_type(*gptr());
    }

    char m_buffer[4096];
    std::string m_pending;
};

// Writes file descriptor 1.
class cDescriptorOutput : public cOutputBuffer {
  protected:
    long WriteSome(const char* bytes, std::size_t count) override {
        const ssize_t n = write(1, bytes, count);
        if (n > 0) {
            return static_cast<long>(n);
        }
        return n < 0 && errno == EINTR ? 0 : -1;
    }
};

cInputBuffer* g_input = nullptr;
cOutputBuffer* g_output = nullptr;
std::streambuf* g_originalInput = nullptr;
std::streambuf* g_originalOutput = nullptr;

// A read from a terminal ended with a line end, which the terminal echoed: the cursor is at the
// start of a line, whatever the game wrote last.
void NoteLineEndEchoed() {
    if (g_output != nullptr && isatty(0) == 1) {
        g_output->SetAtLineStart();
    }
}

// Runs at exit before our buffers are destroyed: the last words reach the output, and the
// standard library's own final flush finds its own buffers again.
void PutBackStandardStreams() {
    Sys_FlushOutput();
    std::cin.rdbuf(g_originalInput);
    std::cout.rdbuf(g_originalOutput);
}

void InstallHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked read must come back
    sigaction(signal, &action, nullptr);
}

}  // namespace

void Sys_InstallStandardStreams() {
    static cInputBuffer input;
    static cDescriptorOutput output;
    static cTerminalReplies terminalReplies;
    g_terminalReplies = isatty(0) == 1 ? &terminalReplies : nullptr;
    g_input = &input;
    g_output = &output;
    Sys_UseOutputBuffer(&output);
    output.SetWritesEveryFlush(isatty(1) == 1);
    if (g_wakePipe[0] < 0 && pipe(g_wakePipe) == 0) {
        for (int fd : g_wakePipe) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    if (g_originalOutput == nullptr) {
        g_originalInput = std::cin.rdbuf(&input);
        g_originalOutput = std::cout.rdbuf(&output);
        std::atexit(PutBackStandardStreams);
    }
    InstallHandler(SIGINT, OnQuitSignal);
    InstallHandler(SIGTERM, OnQuitSignal);
    InstallHandler(SIGHUP, OnQuitSignal);
    InstallHandler(SIGPIPE, SIG_IGN);
}

cTerminalReplies* Sys_TerminalReplies() {
    return g_terminalReplies;
}

bool Sys_QuitRequested() {
    return g_quitRequested != 0;
}

void Sys_RequestQuit() {
    g_quitRequested = 1;
}

void Sys_ClearQuitRequest() {
    g_quitRequested = 0;
    // Empty the wake pipe too, or a later blocked read would wake at once and find no quit.
    char drain[64];
    while (g_wakePipe[0] >= 0 && read(g_wakePipe[0], drain, sizeof drain) > 0) {
    }
}

void Sys_UnreadInput(const std::string& bytes) {
    if (g_input != nullptr && !bytes.empty()) {
        g_input->Unread(bytes);
    }
}
