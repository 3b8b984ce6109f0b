#include "platform/System.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>

#include "platform/InputBuffer.h"
#include "platform/terminal/posix/TerminalQuestions.h"

namespace {

volatile std::sig_atomic_t g_quitRequested = 0;
cTerminalReplies* g_terminalReplies = nullptr;
int g_wakePipe[2] = {-1, -1};

void OnQuitSignal(int) {
    g_quitRequested = 1;
    if (g_wakePipe[1] >= 0) {
        const char byte = 1;
        // Wakes a blocked read; nothing to do if the pipe is full, one byte is enough.
        [[maybe_unused]] const ssize_t ignored = write(g_wakePipe[1], &byte, 1);
    }
}

// Reads file descriptor 0 and also watches the wake pipe, so a signal that arrives just before
// the read blocks still ends it.
class cDescriptorInput : public cInputBuffer {
  protected:
    bool ReadSome(std::string& input) override {
        // The output is watched too: when its reader goes away while the game waits for an
        // answer, nobody will see the question, so the player has gone.
        pollfd fds[3] = {{0, POLLIN, 0}, {1, 0, 0}, {g_wakePipe[0], POLLIN, 0}};
        if (poll(fds, 3, -1) < 0) {
            return errno == EINTR;
        }
        if (fds[1].revents & (POLLERR | POLLHUP)) {
            Sys_RequestQuit();
            return true;
        }
        if (fds[0].revents & POLLNVAL) {
            return false;
        }
        if (fds[0].revents == 0) {
            return true;
        }
        char bytes[4096];
        const ssize_t n = read(0, bytes, sizeof bytes);
        if (n > 0) {
            if (bytes[n - 1] == '\n' && isatty(0) == 1) {
                NoteLineEndEchoed();
            }
            if (g_terminalReplies == nullptr) {
                input.append(bytes, static_cast<std::size_t>(n));
            } else {
                g_terminalReplies->Feed(bytes, static_cast<std::size_t>(n));
                input += g_terminalReplies->TakeTyped();
            }
            return true;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            return true;
        }
        if (g_terminalReplies != nullptr) {
            g_terminalReplies->Finish();
            input += g_terminalReplies->TakeTyped();
        }
        return false;
    }
};

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

void InstallHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked read must come back
    sigaction(signal, &action, nullptr);
}

}  // namespace

void Sys_InstallStandardStreams() {
    static cDescriptorInput input;
    static cDescriptorOutput output;
    static cTerminalReplies terminalReplies;
    g_terminalReplies = isatty(0) == 1 ? &terminalReplies : nullptr;
    output.SetWritesEveryFlush(isatty(1) == 1);
    if (g_wakePipe[0] < 0 && pipe(g_wakePipe) == 0) {
        for (int fd : g_wakePipe) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    UseStandardBuffers(input, output);
    InstallHandler(SIGINT, OnQuitSignal);
    InstallHandler(SIGTERM, OnQuitSignal);
    InstallHandler(SIGHUP, OnQuitSignal);
    InstallHandler(SIGPIPE, SIG_IGN);
}

cTerminalReplies* SharedTerminalReplies() {
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
