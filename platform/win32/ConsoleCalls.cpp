#include "platform/win32/ConsoleCalls.h"

namespace {

HANDLE StandardOutput() {
    return GetStdHandle(STD_OUTPUT_HANDLE);
}

class cSystemConsoleCalls : public cConsoleCalls {
  public:
    bool OutputIsUsable() override {
        HANDLE output = StandardOutput();
        return output != nullptr && output != INVALID_HANDLE_VALUE &&
               GetFileType(output) != FILE_TYPE_UNKNOWN;
    }

    bool GetInfo(CONSOLE_SCREEN_BUFFER_INFOEX& info) override {
        info.cbSize = sizeof info;
        return GetConsoleScreenBufferInfoEx(StandardOutput(), &info) != 0;
    }

    bool SetInfo(CONSOLE_SCREEN_BUFFER_INFOEX& info) override {
        info.cbSize = sizeof info;
        return SetConsoleScreenBufferInfoEx(StandardOutput(), &info) != 0;
    }

    bool SetBufferSize(COORD size) override {
        return SetConsoleScreenBufferSize(StandardOutput(), size) != 0;
    }

    bool SetWindowInfo(const SMALL_RECT& window) override {
        return SetConsoleWindowInfo(StandardOutput(), TRUE, &window) != 0;
    }

    bool SetTextAttribute(WORD attribute) override {
        return SetConsoleTextAttribute(StandardOutput(), attribute) != 0;
    }

    std::string GetTitle() override {
        char title[MAX_PATH] = {};
        GetConsoleTitleA(title, sizeof title);
        return title;
    }

    void SetTitle(const std::string& title) override { SetConsoleTitleA(title.c_str()); }

    bool GetWindowRect(RECT& rect) override {
        HWND window = GetConsoleWindow();
        return window != nullptr && ::GetWindowRect(window, &rect) != 0;
    }

    void MoveWindow(const RECT& rect) override {
        HWND window = GetConsoleWindow();
        if (window != nullptr) {
            ::MoveWindow(window, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, TRUE);
        }
    }
};

}  // namespace

std::unique_ptr<cConsoleCalls> CreateSystemConsoleCalls() {
    return std::make_unique<cSystemConsoleCalls>();
}
