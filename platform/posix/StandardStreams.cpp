#include "platform/StandardStreams.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <streambuf>

namespace {

volatile std::sig_atomic_t g_quitRequested = 0;
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
            const std::size_t n = m_pending.copy(m_buffer, sizeof m_buffer);
            m_pending.erase(0, n);
            setg(m_buffer, m_buffer, m_buffer + n);
            return traits_type::to_int_type(*gptr());
        }
        for (;;) {
            if (g_quitRequested) {
                return traits_type::eof();
            }
            pollfd fds[2] = {{0, POLLIN, 0}, {g_wakePipe[0], POLLIN, 0}};
            const int ready = poll(fds, g_wakePipe[0] >= 0 ? 2 : 1, -1);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
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
                setg(m_buffer, m_buffer, m_buffer + n);
                return traits_type::to_int_type(*gptr());
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            return traits_type::eof();
        }
    }

  private:
    char m_buffer[4096];
    std::string m_pending;
};

// Writes file descriptor 1. A failed write silences it for good and asks the game to finish.
class cOutputBuffer : public std::streambuf {
  public:
    cOutputBuffer() { setp(m_buffer, m_buffer + sizeof m_buffer); }

  protected:
    int_type overflow(int_type ch) override {
        if (Drain() != 0) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    int sync() override { return Drain(); }

  private:
    int Drain() {
        const char* next = pbase();
        const char* end = pptr();
        while (!m_failed && next < end) {
            const ssize_t n = write(1, next, static_cast<std::size_t>(end - next));
            if (n > 0) {
                next += n;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                m_failed = true;
                g_quitRequested = 1;
            }
        }
        setp(m_buffer, m_buffer + sizeof m_buffer);
        return m_failed ? -1 : 0;
    }

    char m_buffer[8192];
    bool m_failed = false;
};

cInputBuffer* g_input = nullptr;
std::streambuf* g_originalInput = nullptr;
std::streambuf* g_originalOutput = nullptr;

// Runs at exit before our buffers are destroyed: the last words reach the output, and the
// standard library's own final flush finds its own buffers again.
void PutBackStandardStreams() {
    std::cout.flush();
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
    static cOutputBuffer output;
    g_input = &input;
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

bool Sys_QuitRequested() {
    return g_quitRequested != 0;
}

void Sys_RequestQuit() {
    g_quitRequested = 1;
}

void Sys_ClearQuitRequest() {
    g_quitRequested = 0;
}

bool Sys_InputClosed() {
    return Sys_QuitRequested() || std::cin.eof() || std::cin.bad();
}

void Sys_UnreadInput(const std::string& bytes) {
    if (g_input != nullptr && !bytes.empty()) {
        g_input->Unread(bytes);
    }
}
