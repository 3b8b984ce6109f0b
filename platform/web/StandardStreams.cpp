// Standard streams in a browser tab: output goes straight to the page, input comes a line at a
// time from what the player typed (the page's input line), and the page's Quit button, Ctrl-C
// and the tab closing are the quit request. While the game waits for a line the browser runs
// on: the read suspends the game (Asyncify) until the page sends one.

#include "platform/System.h"

#include <string>

#include "platform/InputBuffer.h"
#include "platform/web/PageBridge.h"

namespace {

// The page echoes each sent line with its line end, as a terminal would.
class cLineInput : public cInputBuffer {
  protected:
    bool ReadSome(std::string& input) override {
        char line[4096];
        const int n = vr_read_line(line, static_cast<int>(sizeof line));
        if (n <= 0) {
            return false;
        }
        input.append(line, static_cast<std::size_t>(n));
        if (line[n - 1] == '\n') {
            NoteLineEndEchoed();
        }
        return true;
    }
};

class cPageOutput : public cOutputBuffer {
  protected:
    long WriteSome(const char* bytes, std::size_t count) override {
        vr_write(bytes, static_cast<int>(count));
        return static_cast<long>(count);
    }
};

}  // namespace

void Sys_InstallStandardStreams() {
    static cLineInput input;
    static cPageOutput output;
    // The page shows each flush at once, like a terminal: a prompt is on screen while the game
    // waits for its answer.
    output.SetWritesEveryFlush(true);
    UseStandardBuffers(input, output);
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
