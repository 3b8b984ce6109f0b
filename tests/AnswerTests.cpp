// The one prompt reader: the case of the answer, what happens to the rest of the line, and the
// end-of-input rule every prompt relies on.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/Answer.h"
#include "platform/StandardStreams.h"
#include "support/TestPlatform.h"

namespace {

struct cAnswerCase {
    const char* input;
    eAnswerCase answerCase;
    eRestOfLine rest;
    std::optional<char> first;
    std::optional<char> second;  // the next answer read the same way
};

class ReadAnswerTest : public testing::TestWithParam<cAnswerCase> {};

TEST_P(ReadAnswerTest, ReadsOneCharacterAndLeavesTheRightRest) {
    const cAnswerCase& example = GetParam();
    cSession session(std::string(example.input, std::char_traits<char>::length(example.input)));
    EXPECT_EQ(ReadAnswer(example.answerCase, example.rest), example.first) << example.input;
    EXPECT_EQ(ReadAnswer(example.answerCase, example.rest), example.second) << example.input;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadAnswerTest,
    testing::Values(
        cAnswerCase{"  Yes\nn\n", eAnswerCase::Lower, eRestOfLine::Kept, 'y', 'e'},
        cAnswerCase{"Yes\nN\n", eAnswerCase::Lower, eRestOfLine::Discarded, 'y', 'n'},
        cAnswerCase{"Sword\n", eAnswerCase::AsTyped, eRestOfLine::Kept, 'S', 'w'},
        cAnswerCase{"\n \t\nA", eAnswerCase::AsTyped, eRestOfLine::Discarded, 'A', std::nullopt},
        cAnswerCase{"", eAnswerCase::Lower, eRestOfLine::Kept, std::nullopt, std::nullopt},
        cAnswerCase{" \n\n", eAnswerCase::Lower, eRestOfLine::Discarded, std::nullopt,
                    std::nullopt},
        cAnswerCase{"\xC9tage\n", eAnswerCase::Lower, eRestOfLine::Discarded, '\xC9',
                    std::nullopt}));

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

}  // namespace
