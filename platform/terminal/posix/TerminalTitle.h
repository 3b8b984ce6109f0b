#ifndef VAULTREACH_PLATFORM_TERMINAL_POSIX_TERMINALTITLE_H
#define VAULTREACH_PLATFORM_TERMINAL_POSIX_TERMINALTITLE_H

// The terminal window's caption, set with the OSC title sequence. The caption found is pushed
// on the terminal's title stack (CSI 22;0 t) before the first change and popped again by
// Restore (CSI 23;0 t), so the window gets back the caption it had.

#include <string>

class cTerminalTitle {
  public:
    void Set(const std::string& title);
    void Restore();

  private:
    bool m_pushed = false;
};

#endif
