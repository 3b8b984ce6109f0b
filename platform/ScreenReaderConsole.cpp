#include "platform/ScreenReaderConsole.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/System.h"

namespace {

class cScreenReaderConsole : public cConsole {
  public:
    explicit cScreenReaderConsole(std::unique_ptr<cConsole> inner) : m_inner(std::move(inner)) {}

    bool IsUsable() override { return m_inner->IsUsable(); }
    void SetTitle(const std::string& title) override { m_inner->SetTitle(title); }
    void SetTextAttribute(tAttribute attribute) override { m_inner->SetTextAttribute(attribute); }
    bool GetWindowRect(cWindowRect& rect) override { return m_inner->GetWindowRect(rect); }
    void MoveWindow(const cWindowRect& rect) override { m_inner->MoveWindow(rect); }
    void SetWindowSize(int width, int height) override { m_inner->SetWindowSize(width, height); }
    void Restore() override {
        Sys_HoldLineEnds(false);
        m_inner->Restore();
    }
    bool ActsOnControlBytes() override { return m_inner->ActsOnControlBytes(); }
    void Prompt(ePrompt kind, const std::vector<cChoice>& choices) override {
        m_inner->Prompt(kind, choices);
    }

    void ShowPicture(const std::string& name, std::string_view) override {
        std::cout << name << '\n';
    }

    void ShowMap(const std::vector<std::string>&, const std::vector<std::string>& words) override {
        for (const std::string& sentence : words) {
            std::cout << sentence << '\n';
        }
    }

  private:
    std::unique_ptr<cConsole> m_inner;
};

}  // namespace

std::unique_ptr<cConsole> MakeScreenReaderConsole(std::unique_ptr<cConsole> inner) {
    return std::make_unique<cScreenReaderConsole>(std::move(inner));
}

bool Sys_ScreenReaderRequested() {
    const char* value = std::getenv("VAULTREACH_SCREEN_READER");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}
