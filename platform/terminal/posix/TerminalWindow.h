#ifndef VAULTREACH_PLATFORM_TERMINAL_POSIX_TERMINALWINDOW_H
#define VAULTREACH_PLATFORM_TERMINAL_POSIX_TERMINALWINDOW_H

// The terminal's window: its size, its place and the moves of a shake, through xterm's
// window-manipulation sequences (terminals that do not allow them ignore them).
//
// It is measured from the terminal device and from the start-up answers: the position
// (CSI 13 t) and the text area's size in pixels (CSI 14 t). Answers that cannot be right count
// as none: a character cell outside 4 to 200 pixels, a position or size beyond 32767 pixels.
// With a believable cell the window is sized in pixels, never below 80 by 25 characters nor
// above 16384 pixels; without one only in characters, to make it at least 80 by 25. Without a
// position nothing moves. Moves allow for the window manager's frame (TerminalQuestions.h).
// Restore asks for the size in characters and the place the window was found at.

#include "platform/Console.h"
#include "platform/terminal/TerminalReplies.h"
#include "platform/terminal/posix/TerminalQuestions.h"

class cTerminalWindow {
  public:
    explicit cTerminalWindow(cTerminalQuestions& questions) : m_questions(questions) {}

    // From the terminal device, before the start-up questions.
    void MeasureTextArea();
    // The start-up answers, null when there were none.
    void Learn(const cTerminalReplies* replies);

    // As cConsole's functions of the same names.
    bool GetWindowRect(cWindowRect& rect);
    void MoveWindow(const cWindowRect& rect);
    void SetWindowSize(int width, int height);
    void Restore();

  private:
    // Moves the window so that its position will read back as the rectangle's corner.
    void MoveCorner(const cWindowRect& rect);
    // Both numbers must make a believable cell, or the cell stays unknown.
    void SetCell(int width, int height);

    cTerminalQuestions& m_questions;
    // The window in characters and pixels as found, and where it is now (what a position
    // report would say).
    int m_columns = 0;
    int m_rows = 0;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_resized = false;
    bool m_positionReported = false;
    bool m_startAnswerUnused = false;
    cWindowRect m_start;
    cWindowRect m_window;
};

#endif
