#ifndef VAULTREACH_TEXT_STORYLINE_H
#define VAULTREACH_TEXT_STORYLINE_H

// Told stories: lines printed one by one, each followed by its own pause, so the player reads
// them at the pace of speech. A line is its text, whether a flushing line end follows it, and
// the nominal pause after it in milliseconds (Pause, with its one draw); a pause of 0 means
// none at all and no draw, for lines that belong to the same breath as the next one.

#include <cstddef>

struct cStoryLine {
    const char* text;
    bool lineEnd;
    int pause;
};

void TellStory(const cStoryLine* lines, std::size_t count);

template <std::size_t N>
void TellStory(const cStoryLine (&lines)[N]) {
    TellStory(lines, N);
}

#endif
