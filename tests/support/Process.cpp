#include "support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

using tClock = std::chrono::steady_clock;

int MillisecondsLeft(tClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - tClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

[[noreturn]] void ExecGame(const cProcessOptions& options) {
    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) {
        _exit(126);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (options.virtualClock) {
        setenv("LD_PRELOAD", VAULTREACH_PRELOAD_CLOCK, 1);
        // A sanitizer's runtime wants to be loaded first; the clock knows nothing of it.
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    }
    // The same terminal everywhere, whatever the runner's: tests say what they want otherwise.
    setenv("TERM", "xterm-256color", 1);
    unsetenv("NO_COLOR");
    unsetenv("COLORFGBG");
    unsetenv("COLORTERM");
    for (const auto& variable : options.environment) {
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
    }
    std::vector<std::string> words = options.wrapper;
    words.push_back(GameBinary());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

}  // namespace

std::string GameBinary() {
    return VAULTREACH_BINARY;
}

cProcess::cProcess(const cProcessOptions& options) {
    int inputPipe[2] = {-1, -1};
    if (options.inputKind == eInputKind::Pipe && pipe(inputPipe) != 0) {
        throw std::runtime_error("pipe");
    }
    if (options.outputKind == eOutputKind::Terminal) {
        int master = -1;
        winsize size{};
        size.ws_col = static_cast<unsigned short>(options.terminalColumns);
        size.ws_row = static_cast<unsigned short>(options.terminalRows);
        m_pid = forkpty(&master, nullptr, nullptr, &size);
        if (m_pid < 0) {
            throw std::runtime_error("forkpty");
        }
        if (m_pid == 0) {
            ExecGame(options);
        }
        m_outputFd = master;
        m_input = dup(master);
        if (!options.input.empty()) {
            Write(options.input);
        }
        return;
    }

    int outputPipe[2] = {-1, -1};
    if (options.outputKind == eOutputKind::Pipe && pipe(outputPipe) != 0) {
        throw std::runtime_error("pipe");
    }
    m_pid = fork();
    if (m_pid < 0) {
        throw std::runtime_error("fork");
    }
    if (m_pid == 0) {
        if (options.inputKind == eInputKind::Pipe) {
            dup2(inputPipe[0], 0);
        } else if (options.inputKind == eInputKind::DevNull) {
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, 0);
        } else {
            close(0);
        }
        if (options.outputKind == eOutputKind::Pipe) {
            dup2(outputPipe[1], 1);
        } else {
            const int full = open("/dev/full", O_WRONLY);
            dup2(full, 1);
        }
        if (options.captureErrors) {
            dup2(1, 2);
        } else {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
        }
        for (int fd = 3; fd < 256; ++fd) {
            close(fd);
        }
        ExecGame(options);
    }
    if (options.inputKind == eInputKind::Pipe) {
        close(inputPipe[0]);
        m_input = inputPipe[1];
        Write(options.input);
        if (!options.keepInputOpen) {
            CloseInput();
        }
    }
    if (options.outputKind == eOutputKind::Pipe) {
        close(outputPipe[1]);
        m_outputFd = outputPipe[0];
    }
}

cProcess::~cProcess() {
    if (!m_reaped && m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    CloseInput();
    CloseOutput();
}

void cProcess::Write(const std::string& text) {
    const char* next = text.data();
    std::size_t left = text.size();
    while (m_input >= 0 && left > 0) {
        const ssize_t n = write(m_input, next, left);
        if (n <= 0) {
            break;
        }
        next += n;
        left -= static_cast<std::size_t>(n);
    }
}

void cProcess::CloseInput() {
    if (m_input >= 0) {
        close(m_input);
        m_input = -1;
    }
}

void cProcess::CloseOutput() {
    if (m_outputFd >= 0) {
        close(m_outputFd);
        m_outputFd = -1;
    }
}

void cProcess::Signal(int signal) {
    kill(m_pid, signal);
}

void cProcess::ReadAvailable(int timeoutMs) {
    if (m_outputFd < 0) {
        return;
    }
    pollfd fd{m_outputFd, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0) {
        return;
    }
    char chunk[4096];
    const ssize_t n = read(m_outputFd, chunk, sizeof chunk);
    if (n > 0) {
        m_output.append(chunk, static_cast<std::size_t>(n));
    } else {
        CloseOutput();  // the end of the output, or a terminal whose child has gone
    }
}

bool cProcess::WaitForOutput(const std::string& marker, int timeoutMs) {
    const tClock::time_point deadline = tClock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_output.find(marker) == std::string::npos) {
        if (m_outputFd < 0 || MillisecondsLeft(deadline) == 0) {
            return false;
        }
        ReadAvailable(MillisecondsLeft(deadline));
    }
    return true;
}

int cProcess::Wait(int timeoutMs) {
    const tClock::time_point deadline = tClock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            break;
        }
        if (MillisecondsLeft(deadline) == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            m_reaped = true;
            return -1;
        }
        // Keep draining the output so that the child never blocks on a full pipe.
        if (m_outputFd >= 0) {
            ReadAvailable(10);
        } else {
            usleep(5000);
        }
    }
    m_reaped = true;
    // Whatever the game wrote before it ended; bounded, in case something else holds the pipe.
    const tClock::time_point drained = tClock::now() + std::chrono::milliseconds(2000);
    while (m_outputFd >= 0 && MillisecondsLeft(drained) > 0) {
        ReadAvailable(MillisecondsLeft(drained));
    }
    if (WIFSIGNALED(status)) {
        return -2 - WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}
