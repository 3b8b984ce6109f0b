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

// What the recording console saw besides colours.
struct cConsoleRecord {
    std::string title;
    std::vector<cWindowRect> moves;
    int restores = 0;
    std::vector<ePrompt> prompts;       // each prompt as the game began to wait for its answer
    std::vector<std::string> pictures;  // each picture's name as it was shown
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
    void Prompt(ePrompt kind, const std::vector<cChoice>&) override {
        m_record->prompts.push_back(kind);
    }
    void ShowPicture(const std::string& name, std::string_view bytes) override {
        m_record->pictures.push_back(name);
        cConsole::ShowPicture(name, bytes);
    }

  private:
    std::shared_ptr<cConsoleRecord> m_record;
    bool m_usable;
    cWindowRect m_rect{100, 50, 740, 450};
};

#endif
