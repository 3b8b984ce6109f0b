// Standard input and output of the real process on Windows.
//
// The buffers talk to the standard handles directly (ReadFile, WriteFile), so the bytes the game
// writes arrive unchanged: a console shows "\n" as a new line by itself, and a pipe or a file gets
// exactly what the Linux build would write. On the way in, the "\r\n" that a console or a Windows
// program sends at the end of a line becomes "\n", so the player's name never ends in a carriage
// return; Ctrl-Z typed at a console ends the input, as it does for every console program.
//
// Ctrl-C, Ctrl-Break and closing the console window arrive through SetConsoleCtrlHandler on a
// thread of their own. The handler requests the quit and cancels the read that blocks the
// game's thread, so the game finishes as it does at the end of its input: it saves and leaves.
// After a close Windows ends the process as soon as the handler returns, so the handler waits
// for the game to reach its exit first (a few seconds at most).

#include "platform/System.h"

#include <windows.h>

#include "platform/InputBuffer.h"
#include "platform/win32/QuitEvent.h"

#include <atomic>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kCancelRetryMs = 20;
constexpr int kCancelAttempts = 50;
constexpr DWORD kCloseGraceMs = 4000;
constexpr char kEndOfFileKey = 0x1a;

std::atomic<bool> g_quitRequested{false};
std::atomic<bool> g_reading{false};
HANDLE g_gameThread = nullptr;
HANDLE g_finished = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
    Sys_RequestQuit();
    // The game's thread may be inside ReadFile or just about to enter it: cancel until it
    // has left the read, which it checks for the quit request before reading again.
    for (int attempt = 0; attempt < kCancelAttempts && g_reading; ++attempt) {
        if (g_gameThread != nullptr) {
            CancelSynchronousIo(g_gameThread);
        }
        Sleep(kCancelRetryMs);
    }
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        if (g_finished != nullptr) {
            WaitForSingleObject(g_finished, kCloseGraceMs);
        }
    }
    return TRUE;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

class cHandleInput : public cInputBuffer {
  protected:
    bool ReadSome(std::string& input) override {
        HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool console = IsConsole(handle);
        char chunk[4096];
        DWORD n = 0;
        g_reading = true;
        const BOOL ok =
            g_quitRequested ? FALSE : ReadFile(handle, chunk, sizeof chunk, &n, nullptr);
        g_reading = false;
        if (g_quitRequested) {
            return true;
        }
        if (!ok) {
            // A console read that Ctrl-C interrupted comes back as aborted; the handler has
            // requested the quit by then, or is about to.
            if (GetLastError() == ERROR_OPERATION_ABORTED) {
                Sleep(kCancelRetryMs);
                if (g_quitRequested || console) {
                    return true;
                }
            }
            return false;
        }
        if (n == 0) {
            // End of a pipe or file; a console read returns nothing only when interrupted.
            return console;
        }
        const bool more = Append(chunk, n, console, input);
        if (console && chunk[n - 1] == '\n') {
            NoteLineEndEchoed();
        }
        return more;
    }

  private:
    // False when the bytes hold the end of the input.
    bool Append(const char* bytes, DWORD count, bool console, std::string& input) {
        for (DWORD i = 0; i < count; ++i) {
            const char byte = bytes[i];
            if (m_carriageReturn) {
                m_carriageReturn = false;
                if (byte != '\n') {
                    input += '\r';
                }
            }
            if (console && byte == kEndOfFileKey) {
                return false;
            }
            if (byte == '\r') {
                m_carriageReturn = true;
            } else {
                input += byte;
            }
        }
        return true;
    }

    bool m_carriageReturn = false;
};

class cHandleOutput : public cOutputBuffer {
  protected:
    long WriteSome(const char* bytes, std::size_t count) override {
        HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        DWORD n = 0;
        const BOOL ok = output != nullptr && output != INVALID_HANDLE_VALUE &&
                        WriteFile(output, bytes, static_cast<DWORD>(count), &n, nullptr);
        return ok && n > 0 ? static_cast<long>(n) : -1;
    }
};

void SignalFinished() {
    if (g_finished != nullptr) {
        SetEvent(g_finished);
    }
}

}  // namespace

void Sys_InstallStandardStreams() {
    static cHandleInput input;
    static cHandleOutput output;
    output.SetWritesEveryFlush(IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)));
    if (g_finished == nullptr) {
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_gameThread,
                        0, FALSE, DUPLICATE_SAME_ACCESS);
        g_finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        // Registered before the standard streams are put back at exit, so it runs after them:
        // a closed console's handler lets Windows end the process only once the last words are
        // written.
        std::atexit(SignalFinished);
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    }
    UseStandardBuffers(input, output);
}

bool Sys_QuitRequested() {
    return g_quitRequested;
}

HANDLE QuitEvent() {
    static const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}

void Sys_RequestQuit() {
    g_quitRequested = true;
    SetEvent(QuitEvent());
}

void Sys_ClearQuitRequest() {
    g_quitRequested = false;
    ResetEvent(QuitEvent());
}
