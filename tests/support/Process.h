#ifndef VAULTREACH_TESTS_SUPPORT_PROCESS_H
#define VAULTREACH_TESTS_SUPPORT_PROCESS_H

// Runs the real game binary as a child process, for what only a real process shows: signals,
// closed pipes, full devices, terminals, file permissions. The game runs on the tests' preloaded
// clock (support/preload), whose sleeps pass at once, so the story's pauses take no real time.

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

enum class eOutputKind { Pipe, Terminal, FullDevice };
enum class eInputKind { Pipe, Closed, DevNull };

struct cProcessOptions {
    std::string directory;  // the working directory
    std::string input;      // written to standard input at the start
    eInputKind inputKind = eInputKind::Pipe;
    bool keepInputOpen = false;  // otherwise standard input ends after `input`
    eOutputKind outputKind = eOutputKind::Pipe;
    bool virtualClock = true;          // false: the real clock, real pauses
    std::vector<std::string> wrapper;  // run the game under this command (setpriv, say)
    std::vector<std::pair<std::string, std::string>> environment;  // set last, overriding
    bool captureErrors = false;  // standard error joins the output instead of /dev/null
    int terminalColumns = 0;     // the terminal's size in characters, when it has one
    int terminalRows = 0;
};

class cProcess {
  public:
    explicit cProcess(const cProcessOptions& options);
    ~cProcess();
    cProcess(const cProcess&) = delete;
    cProcess& operator=(const cProcess&) = delete;

    // Reads output until it contains marker (true) or the time runs out (false).
    bool WaitForOutput(const std::string& marker, int timeoutMs);
    void Write(const std::string& text);
    void CloseInput();
    // Stops reading the output and closes our end of it: the game's next write fails.
    void CloseOutput();
    void Signal(int signal);
    // The exit status, or -1 when the process had to be killed after timeoutMs; -2 - N when a
    // signal N ended it.
    int Wait(int timeoutMs);

    const std::string& output() const { return m_output; }

  private:
    void ReadAvailable(int timeoutMs);

    pid_t m_pid = -1;
    int m_input = -1;
    int m_outputFd = -1;
    std::string m_output;
    bool m_reaped = false;
};

// Where the game binary and its data are.
std::string GameBinary();

#endif
