#ifndef VAULTREACH_PLATFORM_TERMINAL_POSIX_TERMINALQUESTIONS_H
#define VAULTREACH_PLATFORM_TERMINAL_POSIX_TERMINALQUESTIONS_H

// The console's questions to the terminal, and the window manager's frame learnt from them.
//
// A round of questions ends with a Device Attributes request (CSI c), which every terminal
// answers, so the questions it ignores are known to be unanswered once that answer comes. The
// wait is 250 ms, up to 5 s while a reply's bytes keep coming. Later answers are taken out
// of the input whenever they come (SharedTerminalReplies below), and a later round tells its own
// from them by counting the device attributes. What the player types meanwhile goes back to the
// game's input, in order. Nothing is asked unless standard input is this terminal and the game
// is in its foreground, nor once a quit is requested.
//
// A window manager may put a window moved to (x, y) at (x, y) plus its frame. LearnFrame moves
// the window onto its own place, reads the position back until it changes (for a tenth of a
// second at most) and moves it back by the difference. From then on Move allows for the frame,
// so every step of a shake lands where it was meant to, and a position read within a second of
// a move corrects the frame. A frame above 200 pixels cannot be right and is ignored.

#include <cstdint>
#include <string>

#include "platform/terminal/TerminalReplies.h"

// A position or a size in pixels that can be right: 0 to 32767.
bool IsCoordinate(int value);

// When standard input is a terminal, everything read from it, by the game's reads and by the
// rounds of questions alike, goes through this one sorter (TerminalReplies.h). Null when
// standard input is not a terminal (a pipe or a file), where every byte is the player's.
cTerminalReplies* SharedTerminalReplies();

class cTerminalQuestions {
  public:
    // The answers so far, this round's among them; null when the round was not answered in
    // time, could not be asked, or a quit was requested.
    const cTerminalReplies* Ask(const std::string& questions);

    // True with the window's position when this very question got one that can be right.
    bool AskPosition(int& x, int& y);
    // The same, correcting the frame by an answer soon after a Move.
    bool AskPositionAfterMove(int& x, int& y);

    // Once, from a window whose position reads (x, y).
    void LearnFrame(int x, int y);
    // Moves the window so that its position will read back as (x, y).
    void Move(int x, int y);

  private:
    void SetFrame(int x, int y);

    // Rounds of questions asked: the one whose device attributes close the latest round.
    int m_rounds = 0;
    // The last move asked for, and how far from it the window manager put the window.
    int m_commandX = 0;
    int m_commandY = 0;
    int m_frameX = 0;
    int m_frameY = 0;
    std::uint32_t m_movedAt = 0;
    bool m_moveUnchecked = false;
    bool m_frameLearned = false;
};

#endif
