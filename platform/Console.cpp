#include "platform/Console.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "platform/Clock.h"
#include "platform/ScreenReaderConsole.h"
#include "platform/System.h"

cConsole* gConsoleOutput = nullptr;
cConsole* gConsoleWindow = nullptr;

namespace {

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 480;
constexpr int kShakeOffset = 15;
constexpr int kShakeSteps = 4;
constexpr std::uint32_t kShakeStepMs = 40;

std::unique_ptr<cConsole>& Installed() {
    static std::unique_ptr<cConsole> console;
    // Registered after the console's storage exists, so it runs before that storage is
    // destroyed: however the process leaves, the terminal gets its colours back.
    [[maybe_unused]] static const bool restoredAtExit = std::atexit([] {
                                                            if (console) {
                                                                console->Restore();
                                                            }
                                                        }) == 0;
    return console;
}

void WriteRows(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) {
        text += row;
        text += '\n';
    }
    std::cout << text;
}

}  // namespace

const char* PromptName(ePrompt kind) {
    switch (kind) {
        case ePrompt::Name:
            return "name";
        case ePrompt::Weapon:
            return "weapon";
        case ePrompt::Direction:
            return "direction";
        case ePrompt::Fight:
            return "fight";
        case ePrompt::Inventory:
            return "inventory";
        case ePrompt::UseItem:
            return "use-item";
        case ePrompt::DropItem:
            return "drop-item";
        case ePrompt::Loot:
            return "loot";
        case ePrompt::Gnome:
            return "gnome";
        case ePrompt::GnomeQuestion:
            return "gnome-question";
        case ePrompt::Replay:
            return "replay";
        case ePrompt::Exit:
            return "exit";
    }
    return "";
}

void WriteChoices(const std::vector<cChoice>& choices) {
    for (const cChoice& choice : choices) {
        std::cout << choice.label << '\n';
    }
    std::cout << "?:";
}

const std::vector<cChoice>& YesNoChoices() {
    static const std::vector<cChoice> choices{{"Yes", "y"}, {"No", "n"}};
    return choices;
}

void cConsole::ShowPicture(const std::string&, std::string_view bytes) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void cConsole::ShowMap(const std::vector<std::string>& rows, const std::vector<std::string>&) {
    WriteRows(rows);
}

void ShowPrompt(ePrompt kind, const std::vector<cChoice>& choices) {
    if (gConsoleOutput != nullptr) {
        gConsoleOutput->Prompt(kind, choices);
    }
}

void ShowPicture(const std::string& name, std::string_view bytes) {
    if (gConsoleOutput != nullptr) {
        gConsoleOutput->ShowPicture(name, bytes);
    } else {
        std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
}

void ShowMapRows(const std::vector<std::string>& rows, const std::vector<std::string>& words) {
    if (gConsoleOutput != nullptr) {
        gConsoleOutput->ShowMap(rows, words);
    } else {
        WriteRows(rows);
    }
}

void Sys_InstallConsole(std::unique_ptr<cConsole> console) {
    gConsoleOutput = nullptr;
    gConsoleWindow = nullptr;
    Installed() = std::move(console);
}

void Sys_RestoreConsole() {
    if (Installed()) {
        Installed()->Restore();
    }
}

cConsole* InitConsole(const std::string& title, bool screenReader) {
    if (!Installed()) {
        Installed() = Sys_CreateTerminalConsole();
    }
    if (screenReader) {
        Installed() = MakeScreenReaderConsole(std::move(Installed()));
    }
    cConsole* console = Installed().get();
    if (!console->IsUsable()) {
        return nullptr;
    }
    if (screenReader) {
        Sys_HoldLineEnds(true);
    }
    console->SetTitle(title);
    gConsoleOutput = console;
    gConsoleWindow = console;

    cWindowRect rect;
    if (console->GetWindowRect(rect)) {
        rect.right = rect.left + kWindowWidth;
        rect.bottom = rect.top + kWindowHeight;
        console->MoveWindow(rect);
    } else {
        console->SetWindowSize(kWindowWidth, kWindowHeight);
    }
    return gConsoleOutput;
}

void SetConsoleTextAttribute(cConsole* console, tAttribute attribute) {
    if (console != nullptr) {
        console->SetTextAttribute(attribute);
    }
}

void SetColour(tAttribute attribute) {
    SetConsoleTextAttribute(gConsoleOutput, attribute);
}

void ShakeScreen() {
    if (gConsoleWindow == nullptr) {
        return;
    }
    Sys_FlushOutput();
    // The window is read once, where it is now (the player may have moved it since the last
    // shake); the four steps go out from there and back, 40 ms apart.
    cWindowRect home;
    const bool placed = gConsoleWindow->GetWindowRect(home);
    bool away = false;
    for (int step = 0; step < kShakeSteps && !Sys_QuitRequested(); ++step) {
        if (placed) {
            away = step % 2 == 0;
            const int offset = away ? kShakeOffset : 0;
            gConsoleWindow->MoveWindow(
                {home.left + offset, home.top + offset, home.right + offset, home.bottom + offset});
        }
        Sys_Sleep(kShakeStepMs);
    }
    // Home again, even after a cut-short shake or a window manager that put the window
    // elsewhere than asked.
    cWindowRect now;
    if (placed && (away || (gConsoleWindow->GetWindowRect(now) &&
                            (now.left != home.left || now.top != home.top)))) {
        gConsoleWindow->MoveWindow(home);
    }
}
