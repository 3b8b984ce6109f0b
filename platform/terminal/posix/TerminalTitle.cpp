#include "platform/terminal/posix/TerminalTitle.h"

#include <iostream>

void cTerminalTitle::Set(const std::string& title) {
    if (!m_pushed) {
        std::cout << "\x1b[22;0t";
        m_pushed = true;
    }
    std::cout << "\x1b]0;" << title << "\x07";
}

void cTerminalTitle::Restore() {
    if (m_pushed) {
        std::cout << "\x1b[23;0t";
        m_pushed = false;
    }
}
