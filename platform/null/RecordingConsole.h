#ifndef VAULTREACH_PLATFORM_NULL_RECORDINGCONSOLE_H
#define VAULTREACH_PLATFORM_NULL_RECORDINGCONSOLE_H

// A console with no terminal behind it: every colour change is written into standard output
// as {N} (the attribute number), so a transcript shows exactly where each colour starts; the
// caption, the window moves and the restores are kept in a shared record for the caller to
// inspect after the console is gone, and so are the prompts and the pictures' names, which the
// game tells every console. The window starts at (100, 50)-(740, 450).

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/Console.h"

// A prompt as the game began to wait for its answer, with where standard output then stood
// (-1 where the output cannot tell).
struct cShownPrompt {
    ePrompt kind;
    std::vector<cChoice> choices;
    std::streamoff at;
};

struct cShownPicture {
    std::string name;
    std::string bytes;
};

struct cShownMap {
    std::vector<std::string> rows;
    std::vector<std::string> words;
};

// What the recording console saw besides colours.
struct cConsoleRecord {
    std::string title;
    std::vector<cWindowRect> moves;
    int restores = 0;
    std::vector<cShownPrompt> prompts;
    std::vector<cShownPicture> pictures;
    std::vector<cShownMap> maps;
};

class cRecordingConsole : public cConsole {
  public:
    explicit cRecordingConsole(std::shared_ptr<cConsoleRecord> record, bool usable = true)
        : m_record(std::move(record)), m_usable(usable) {}
    bool IsUsable() override { return m_usable; }
    void SetTitle(const std::string& title) override { m_record->title = title; }
    void SetTextAttribute(tAttribute attribute) override { std::cout << '{' << attribute << '}'; }
    bool GetWindowRect(cWindowRect& rect) override {
        rect = m_rect;
        return true;
    }
    void MoveWindow(const cWindowRect& rect) override {
        m_rect = rect;
        m_record->moves.push_back(rect);
    }
    void SetWindowSize(int width, int height) override {
        m_rect.right = m_rect.left + width;
        m_rect.bottom = m_rect.top + height;
    }
    void Restore() override { ++m_record->restores; }
    void Prompt(ePrompt kind, const std::vector<cChoice>& choices) override {
        m_record->prompts.push_back({kind, choices, std::cout.tellp()});
    }
    void ShowPicture(const std::string& name, std::string_view bytes) override {
        m_record->pictures.push_back({name, std::string(bytes)});
        cConsole::ShowPicture(name, bytes);
    }
    void ShowMap(const std::vector<std::string>& rows,
                 const std::vector<std::string>& words) override {
        m_record->maps.push_back({rows, words});
        cConsole::ShowMap(rows, words);
    }

  private:
    std::shared_ptr<cConsoleRecord> m_record;
    bool m_usable;
    cWindowRect m_rect{100, 50, 740, 450};
};

#endif
