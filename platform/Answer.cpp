#include "platform/Answer.h"

#include <cctype>
#include <iostream>
#include <limits>

#include "platform/StandardStreams.h"

std::optional<char> ReadAnswer(eAnswerCase answerCase, eRestOfLine rest) {
    char answer = 0;
    if (!(std::cin >> answer) || Sys_QuitRequested()) {
        return std::nullopt;
    }
    if (rest == eRestOfLine::Discarded) {
        DiscardRestOfLine();
    }
    if (answerCase == eAnswerCase::Lower) {
        answer = static_cast<char>(std::tolower(static_cast<unsigned char>(answer)));
    }
    return answer;
}

void DiscardRestOfLine() {
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
}
