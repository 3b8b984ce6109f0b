// The one prompt reader (and its whole-number sibling of the drop menu): the case of the answer,
// what happens to the rest of the line, and the end-of-input rule every prompt relies on.

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "platform/System.h"
#include "support/TestPlatform.h"
#include "text/Answer.h"

namespace {

struct cAnswerCase {
    const char* name;
    const char* input;
    eAnswerCase answerCase;
    eRestOfLine rest;
    std::optional<char> first;
    std::optional<char> second;  // the next answer read the same way
};

void PrintTo(const cAnswerCase& example, std::ostream* out) {
    *out << example.name;
}

class ReadAnswerTest : public testing::TestWithParam<cAnswerCase> {};

TEST_P(ReadAnswerTest, ReadsOneCharacterAndLeavesTheRightRest) {
    const cAnswerCase& example = GetParam();
    cSession session(std::string(example.input, std::char_traits<char>::length(example.input)));
    EXPECT_EQ(ReadAnswer(example.answerCase, example.rest), example.first) << example.input;
    EXPECT_EQ(ReadAnswer(example.answerCase, example.rest), example.second) << example.input;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadAnswerTest,
    testing::Values(cAnswerCase{"LowerKeepsTheRest", "  Yes\nn\n", eAnswerCase::Lower,
                                eRestOfLine::Kept, 'y', 'e'},
                    cAnswerCase{"LowerDiscardsTheRest", "Yes\nN\n", eAnswerCase::Lower,
                                eRestOfLine::Discarded, 'y', 'n'},
                    cAnswerCase{"AsTypedKeepsTheRest", "Sword\n", eAnswerCase::AsTyped,
                                eRestOfLine::Kept, 'S', 'w'},
                    cAnswerCase{"BlankLinesSkipped", "\n \t\nA", eAnswerCase::AsTyped,
                                eRestOfLine::Discarded, 'A', std::nullopt},
                    cAnswerCase{"EmptyInput", "", eAnswerCase::Lower, eRestOfLine::Kept,
                                std::nullopt, std::nullopt},
                    cAnswerCase{"OnlyBlanks", " \n\n", eAnswerCase::Lower, eRestOfLine::Discarded,
                                std::nullopt, std::nullopt},
                    cAnswerCase{"NonAsciiByte", "\xC9tage\n", eAnswerCase::Lower,
                                eRestOfLine::Discarded, '\xC9', std::nullopt}),
    [](const testing::TestParamInfo<cAnswerCase>& info) { return info.param.name; });

TEST(ReadAnswer, AQuitRequestIsNoAnswerEvenWithInputLeft) {
    cSession session("a\nb\n");
    Sys_RequestQuit();
    EXPECT_EQ(ReadAnswer(eAnswerCase::Lower, eRestOfLine::Kept), std::nullopt);
}

TEST(ReadAnswer, ATypedNulByteIsAnAnswer) {
    cSession session(std::string("\0\nq\n", 4));
    EXPECT_EQ(ReadAnswer(eAnswerCase::Lower, eRestOfLine::Discarded), '\0');
    EXPECT_EQ(ReadAnswer(eAnswerCase::Lower, eRestOfLine::Discarded), 'q');
}

struct cNumberCase {
    const char* name;
    const char* input;
    eNumberAnswer answer;
    long long number;  // when it is one
    eNumberAnswer next;
};

void PrintTo(const cNumberCase& example, std::ostream* out) {
    *out << example.name;
}

class ReadNumberAnswerTest : public testing::TestWithParam<cNumberCase> {};

TEST_P(ReadNumberAnswerTest, TellsANumberFromGarbageAndFromNoAnswer) {
    const cNumberCase& example = GetParam();
    cSession session(example.input);
    long long number = -1;
    const eNumberAnswer answer = ReadNumberAnswer(number);
    EXPECT_EQ(answer, example.answer) << example.input;
    if (answer == eNumberAnswer::Number) {
        EXPECT_EQ(number, example.number) << example.input;
    }
    EXPECT_EQ(ReadNumberAnswer(number), example.next) << example.input;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ReadNumberAnswerTest,
    testing::Values(cNumberCase{"TwoNumbersOnALine", " 12 7\n", eNumberAnswer::Number, 12,
                                eNumberAnswer::Number},
                    cNumberCase{"WordThenNumber", "one\n2\n", eNumberAnswer::NotANumber, 0,
                                eNumberAnswer::Number},
                    cNumberCase{"HugeIsTheLargest", "99999999999999999999\n", eNumberAnswer::Number,
                                std::numeric_limits<long long>::max(), eNumberAnswer::None},
                    cNumberCase{"HugeNegativeIsTheSmallest", "-99999999999999999999\n",
                                eNumberAnswer::Number, std::numeric_limits<long long>::min(),
                                eNumberAnswer::None},
                    cNumberCase{"LetterAtTheEnd", "x", eNumberAnswer::None, 0, eNumberAnswer::None},
                    cNumberCase{"EmptyInput", "", eNumberAnswer::None, 0, eNumberAnswer::None}),
    [](const testing::TestParamInfo<cNumberCase>& info) { return info.param.name; });

}  // namespace
