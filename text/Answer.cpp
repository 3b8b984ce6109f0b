#include "text/Answer.h"

#include <cctype>
#include <iostream>
#include <limits>

#include "platform/System.h"

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

eNumberAnswer ReadNumberAnswer(long long& number) {
    number = 0;
    if (std::cin >> number) {
        return Sys_QuitRequested() ? eNumberAnswer::None : eNumberAnswer::Number;
    }
    if (Sys_InputClosed()) {
        return eNumberAnswer::None;
    }
    std::cin.clear();
    if (number == std::numeric_limits<long long>::max() ||
        number == std::numeric_limits<long long>::min()) {
        return eNumberAnswer::Number;
    }
    DiscardRestOfLine();
    return Sys_InputClosed() ? eNumberAnswer::None : eNumberAnswer::NotANumber;
}

void DiscardRestOfLine() {
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
}
