// The console in a browser tab: the page renders the transcript, so the game sends it the
// attribute numbers themselves (the page styles text with them), the caption (the page's
// title) and the window's offset from home for the shake (a transform of the transcript). No
// escape sequence is ever written: the output is the game's plain text, as on a pipe.
//
// The window is the transcript's box, 800 by 480 "pixels" at (0, 0) when the game starts; only
// its offset from there reaches the page. The page cannot be moved by the player, so the
// rectangle read back is always the one last placed.

#include "platform/Console.h"
#include "platform/System.h"
#include "platform/web/PageBridge.h"

namespace {

class cPageConsole : public cConsole {
  public:
    bool IsUsable() override { return true; }

    void SetTitle(const std::string& title) override { vr_set_title(title.c_str()); }

    void SetTextAttribute(tAttribute attribute) override {
        // What was printed before the change keeps the colour it was printed in.
        Sys_FlushOutput();
        vr_set_colour(attribute);
        m_coloured = attribute != kColourNormal;
    }

    bool GetWindowRect(cWindowRect& rect) override {
        rect = m_rect;
        return true;
    }

    void MoveWindow(const cWindowRect& rect) override {
        Sys_FlushOutput();
        m_rect = rect;
        vr_move_window(rect.left, rect.top);
    }

    void SetWindowSize(int width, int height) override {
        m_rect.right = m_rect.left + width;
        m_rect.bottom = m_rect.top + height;
    }

    // The page stays as the game leaves it, but in the normal colour and at home.
    void Restore() override {
        Sys_FlushOutput();
        if (m_coloured) {
            vr_set_colour(kColourNormal);
            m_coloured = false;
        }
        if (m_rect.left != 0 || m_rect.top != 0) {
            m_rect = cWindowRect{};
            vr_move_window(0, 0);
        }
    }

  private:
    cWindowRect m_rect;
    bool m_coloured = false;
};

}  // namespace

std::unique_ptr<cConsole> Sys_CreateTerminalConsole() {
    return std::make_unique<cPageConsole>();
}
