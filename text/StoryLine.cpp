#include "text/StoryLine.h"

#include <iostream>

#include "platform/Random.h"

void TellStory(const cStoryLine* lines, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        std::cout << lines[i].text;
        if (lines[i].lineEnd) {
            std::cout << std::endl;
        }
        if (lines[i].pause > 0) {
            Pause(lines[i].pause);
        }
    }
}
