// The terminal console's portable parts: sorting a terminal's answers from typed keys, the
// colours chosen for a background, and a console colour table made readable.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/terminal/ColourMap.h"
#include "platform/terminal/TerminalReplies.h"

namespace {

struct cReplyCase {
    const char* name;
    std::string bytes;
    std::string typed;
    int deviceAttributes;
    int x;    // -1: no position
    int red;  // -1: no background
};

void PrintTo(const cReplyCase& c, std::ostream* out) {
    *out << c.name;
}

class TerminalReplies : public ::testing::TestWithParam<cReplyCase> {};

// Every way of cutting the bytes into two chunks gives the same result.
TEST_P(TerminalReplies, SortAnswersFromKeysHoweverTheReadsAreCut) {
    const cReplyCase& c = GetParam();
    for (std::size_t cut = 0; cut <= c.bytes.size(); ++cut) {
        cTerminalReplies replies;
        replies.Feed(c.bytes.data(), cut);
        replies.Feed(c.bytes.data() + cut, c.bytes.size() - cut);
        replies.Finish();
        EXPECT_EQ(replies.typed(), c.typed) << cut;
        EXPECT_EQ(replies.deviceAttributes, c.deviceAttributes) << cut;
        EXPECT_EQ(replies.positionSeen ? replies.x : -1, c.x) << cut;
        EXPECT_EQ(replies.backgroundSeen ? replies.background.red : -1, c.red) << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TerminalReplies,
    ::testing::Values(
        cReplyCase{"AllThree", "\x1b]11;rgb:ffff/8000/0000\x1b\\\x1b[3;100;107t\x1b[?64;1;2c", "",
                   1, 100, 255},
        cReplyCase{"KeysAroundAndBetween", "a\x1b[3;5;6tb\x1b[?1;2cc\n", "abc\n", 1, 5, -1},
        cReplyCase{"TwoDigitColourWithBell", "\x1b]11;rgb:80/80/80\x07\x1b[?6c", "", 1, -1, 128},
        cReplyCase{"EightBitIntroducersAndTerminator",
                   "\x9d"
                   "11;rgb:ff/0/0\x9c\x9b"
                   "3;5;6t\x9b?1c",
                   "", 1, 5, 255},
        cReplyCase{"EightBitFormsInUtf8",
                   "\xc2\x9d"
                   "11;rgb:80/0/0\xc2\x9c\xc2\x9b?1cA\xc2\xa0",
                   "A\xc2\xa0", 1, -1, 128},
        cReplyCase{"KeysThatAreNoTextAreDropped", "\x1b[A\x1b[1;5D\x1bOP\x8fQ\x1bP1$r\x1b\\", "", 0,
                   -1, -1},
        cReplyCase{"ALoneEscapeIsTypedWithTheByteAfterIt", "\x1b\x1b[?1;2c\x1bx\x1b\n",
                   "\x1b\x1bx\x1b\n", 1, -1, -1},
        cReplyCase{"AnEscapeAtTheEndIsTyped", "q\x1b", "q\x1b", 0, -1, -1},
        cReplyCase{"UnusableRepliesAreDroppedNotTyped",
                   "\x1b[3;1t\x1b[c\x1b[?62;c\x1b]11;rgb:zz/0/0\x07\x1b]11;rgba:1/2/3/4\x07"
                   "\x1b]11;#ffffff\x07\x1b]11;rgb:1/2\x1b\\\x1b[3;-5;7t\x1b[3;9999999;1t",
                   "", 0, -1, -1},
        cReplyCase{"UnfinishedAtTheEndIsDropped", "q\x1b]11;rgb:ff", "q", 0, -1, -1},
        cReplyCase{"ALineEndBreaksAReplyOff", "\x1b]11;\nA\x1b[3;\r\x1b[?1c", "\nA\r", 1, -1, -1},
        // The 0x9B of U+011B and the 0x90 of U+0150 belong to their letters.
        cReplyCase{"LettersKeepTheirBytes", "\xc4\x9b\xc5\x90\xe6\xbc\xa2\xc3\xa9",
                   "\xc4\x9b\xc5\x90\xe6\xbc\xa2\xc3\xa9", 0, -1, -1},
        cReplyCase{"ARawIntroducerAfterAStrayByte", "\x80\x9b?1c\xc3\x9b?1c", "\x80\xc3\x9b?1c", 1,
                   -1, -1}),
    [](const ::testing::TestParamInfo<cReplyCase>& info) { return info.param.name; });

// A reply that runs away is drained, not kept; the line end typed behind it still counts.
TEST(TerminalRepliesLimits, ARunawayReplyIsDrainedAndTheLineAfterItIsTyped) {
    for (const std::string& start : {std::string("\x1b]11;"), std::string("\x1b[1")}) {
        cTerminalReplies replies;
        const std::string garbage = start + std::string(1024 * 1024, start[1] == ']' ? 'x' : '2');
        replies.Feed(garbage.data(), garbage.size());
        EXPECT_EQ(replies.typed(), "");
        replies.Feed("\nBob\n", 5);
        EXPECT_EQ(replies.typed(), "\nBob\n");
    }
}

TEST(ColourMap, EveryColourReadsOnEveryBackgroundAtEveryDepth) {
    const std::vector<cRgb> backgrounds = {
        {0, 0, 0},       {255, 255, 255}, {128, 128, 128}, {118, 118, 118}, {0, 43, 54},
        {253, 246, 227}, {40, 42, 54},    {255, 255, 221}, {0, 0, 238},     {205, 0, 0}};
    for (const cRgb& background : backgrounds) {
        for (eColourDepth depth :
             {eColourDepth::Colours256, eColourDepth::Colours16, eColourDepth::Colours8}) {
            for (tAttribute attribute : {kColourDarkRed, kColourBlue, kColourGreen, kColourRed,
                                         kColourMagenta, kColourYellow, kColourWhite}) {
                const cColourChoice choice = ChooseColour(attribute, background, depth);
                ASSERT_NE(choice.foreground, kDefaultColour);
                EXPECT_EQ(choice.background, kDefaultColour);
                EXPECT_GE(Contrast(PaletteColour(choice.foreground), background), kMinimumContrast)
                    << attribute << " on " << background.red << "," << background.green << ","
                    << background.blue << " depth " << static_cast<int>(depth);
            }
        }
    }
}

TEST(ColourMap, SequencesForEachDepth) {
    const cRgb white{255, 255, 255};
    const cRgb black{0, 0, 0};
    EXPECT_EQ(ColourSequence(ChooseColour(kColourNormal, white, eColourDepth::Colours256),
                             eColourDepth::Colours256),
              "\x1b[0m");
    EXPECT_EQ(ColourSequence(ChooseColour(kColourGreen, white, eColourDepth::Colours256),
                             eColourDepth::Colours256),
              "\x1b[0;38;5;28m");
    EXPECT_EQ(ColourSequence(ChooseColour(kColourWhite, black, eColourDepth::Colours16),
                             eColourDepth::Colours16),
              "\x1b[0;1;97m");
    EXPECT_EQ(ColourSequence(ChooseColour(kColourBanner, black, eColourDepth::Colours8),
                             eColourDepth::Colours8),
              "\x1b[0;30;47m");
    // The measures the choices rest on.
    EXPECT_NEAR(Contrast(black, white), 21.0, 1e-9);
    EXPECT_NEAR(Contrast(PaletteColour(1), black), 3.6, 0.05);
    EXPECT_TRUE(IsDark({0, 43, 54}));
    EXPECT_FALSE(IsDark({253, 246, 227}));
}

struct cTableCase {
    const char* name;
    tColourTable table;
    std::vector<int> changed;  // the entries the readable table replaces
    std::vector<std::pair<tAttribute, tAttribute>> shownAs;  // where the table stays
};

void PrintTo(const cTableCase& c, std::ostream* os) {
    *os << c.name;
}

class ColourTable : public ::testing::TestWithParam<cTableCase> {};

// Every colour the game uses reads, whichever way the console gets there; nothing else moves.
TEST_P(ColourTable, EveryAttributeReadsAndOnlyUnreadableEntriesChange) {
    const cTableCase& c = GetParam();
    const tColourTable readable = ReadableColourTable(c.table);
    for (int i = 0; i < kColourTableSize; ++i) {
        const bool same = readable[i].red == c.table[i].red &&
                          readable[i].green == c.table[i].green &&
                          readable[i].blue == c.table[i].blue;
        const bool listed = std::count(c.changed.begin(), c.changed.end(), i) > 0;
        EXPECT_EQ(same, !listed) << "entry " << i;
    }
    for (const tAttribute attribute : kGameAttributes) {
        const int foreground = attribute & 0xF;
        const int background = (attribute >> 4) & 0xF;
        EXPECT_GE(Contrast(readable[foreground], readable[background]), kMinimumContrast)
            << attribute;
        const tAttribute shown = ReadableAttribute(attribute, c.table);
        EXPECT_GE(Contrast(c.table[shown & 0xF], c.table[(shown >> 4) & 0xF]), kMinimumContrast)
            << attribute << " shown as " << shown;
        tAttribute expected = attribute;
        for (const auto& pair : c.shownAs) {
            if (pair.first == attribute) {
                expected = pair.second;
            }
        }
        EXPECT_EQ(shown, expected) << attribute;
    }
}

// Wine's, and Windows' before 10.
constexpr tColourTable kStockTable = {{{0, 0, 0},
                                       {0, 0, 128},
                                       {0, 128, 0},
                                       {0, 128, 128},
                                       {128, 0, 0},
                                       {128, 0, 128},
                                       {128, 128, 0},
                                       {192, 192, 192},
                                       {128, 128, 128},
                                       {0, 0, 255},
                                       {0, 255, 0},
                                       {0, 255, 255},
                                       {255, 0, 0},
                                       {255, 0, 255},
                                       {255, 255, 0},
                                       {255, 255, 255}}};

// The stock table with black and white swapped: white behind everything.
tColourTable LightTable() {
    tColourTable table = kStockTable;
    std::swap(table[0], table[15]);
    return table;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ColourTable,
    ::testing::Values(
        // Dark red 1.9:1, blue 2.4:1 on black.
        cTableCase{"Stock", kStockTable, {4, 9}, {{kColourDarkRed, kColourRed}, {kColourBlue, 8}}},
        // Windows 10's: its red and magenta are 3.2:1, the banner's grey 4.3:1 on its black.
        cTableCase{
            "Campbell",
            {{{12, 12, 12},
              {0, 55, 218},
              {19, 161, 14},
              {58, 150, 221},
              {197, 15, 31},
              {136, 23, 152},
              {193, 156, 0},
              {204, 204, 204},
              {118, 118, 118},
              {59, 120, 255},
              {22, 198, 12},
              {97, 214, 214},
              {231, 72, 86},
              {180, 0, 158},
              {249, 241, 165},
              {242, 242, 242}}},
            {4, 8, 13},
            {{kColourDarkRed, kColourRed}, {kColourMagenta, kColourBlue}, {kColourBanner, 0x70}}},
        // Light grey, green, red, magenta, yellow and the banner's grey no longer read.
        cTableCase{"Light",
                   LightTable(),
                   {7, 8, 10, 12, 13, 14},
                   {{kColourNormal, 15},
                    {kColourGreen, 2},
                    {kColourRed, kColourDarkRed},
                    {kColourMagenta, 5},
                    {kColourYellow, kColourDarkRed},
                    {kColourBanner, 0xF0}}}),
    [](const ::testing::TestParamInfo<cTableCase>& info) { return info.param.name; });

}  // namespace
