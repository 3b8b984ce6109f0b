// Dice, pauses, pictures and the console as the rest of the game relies on them.

#include <gtest/gtest.h>

#include <unistd.h>

#include <iostream>
#include <random>
#include <vector>

#include "platform/Console.h"
#include "platform/OutputBuffer.h"
#include "platform/Random.h"
#include "platform/System.h"
#include "platform/TextArt.h"
#include "support/TestPlatform.h"

namespace {

// The first six dice of this seed are 6, 6, 6, 4, 1, 2.
constexpr unsigned kSeedForSixSixSixFourOneTwo = 8680;

TEST(Dice, CarryRunsOnFromRoundToRound) {
    std::mt19937 check(kSeedForSixSixSixFourOneTwo);
    for (int die : {6, 6, 6, 4, 1, 2}) {
        ASSERT_EQ(check() % 6 + 1, static_cast<unsigned>(die));
    }
    gRandom.seed(kSeedForSixSixSixFourOneTwo);
    // 2 from the first round; the second starts from carry 2: (4+2)/3=2, (1+2)/3=1, (2+1)/3=1.
    EXPECT_EQ(RollDice(2), 3);
}

TEST(Dice, DrawsThreeTimesPerRoundAndNoneForNothing) {
    gRandom.seed(77);
    std::mt19937 reference(77);
    EXPECT_EQ(RollDice(0), 0);
    EXPECT_EQ(RollDice(-3), 0);
    EXPECT_EQ(gRandom(), reference());

    gRandom.seed(77);
    const int one = RollDice(1);
    EXPECT_GE(one, 0);
    EXPECT_LE(one, 2);
    reference.seed(77);
    reference.discard(3);
    EXPECT_EQ(gRandom(), reference());
}

TEST(Dice, ScoresStayWithinTwiceTheCount) {
    gRandom.seed(3);
    int counts[3] = {0, 0, 0};
    for (int i = 0; i < 6000; ++i) {
        const int total = RollDice(4);
        ASSERT_GE(total, 0);
        ASSERT_LE(total, 8);
        ++counts[RollDice(1)];
    }
    // From carry 0 a round gives 0, 1 and 2 in 32, 108 and 76 of 216 cases; with the carry
    // running on, every score still turns up.
    EXPECT_GT(counts[0], 0);
    EXPECT_GT(counts[1], counts[0]);
    EXPECT_GT(counts[2], 0);
}

TEST(Pause, WithJitterOneWaitsJustOverTheNominalTime) {
    cSession session;
    gPauseJitter = 1;
    session.clock().step = 1;
    const std::uint32_t before = session.clock().Peek();
    Pause(1000);
    const std::uint32_t waited = session.clock().Peek() - before;
    // The first reading starts the wait; it ends at the first reading more than 1001 ms later.
    EXPECT_EQ(waited, 1003u);
}

TEST(Pause, DrawsOnceBeforeReadingTheClockAndSpreadsByTheJitter) {
    cSession session;
    gRandom.seed(11);
    std::mt19937 reference(11);
    const std::uint32_t r = reference();
    const std::uint32_t before = session.clock().Peek();
    Pause(2000);
    const std::int64_t limit = 2000 + 1 + static_cast<std::int64_t>(r % 250) - 125;
    EXPECT_EQ(static_cast<std::int64_t>(session.clock().Peek() - before), limit + 2);
    EXPECT_EQ(gRandom(), reference());
}

TEST(Pause, SleepsInsteadOfWatchingTheClock) {
    cSession session;
    gPauseJitter = 1;
    // A clock that stands still unless slept on: a busy wait would never end.
    session.clock().step = 0;
    Pause(1000);
    // Up to the last tick inside the limit of 1001 ms, then one more to pass it.
    EXPECT_EQ(session.clock().slept, 1002u);
}

TEST(Pause, SurvivesTheTickCountWrapping) {
    cSession session;
    gPauseJitter = 1;
    session.clock().Set(0xFFFFFF00u);
    Pause(1000);
    EXPECT_EQ(session.clock().Peek(), 0xFFFFFF00u + 1003u);
}

// What reaches the terminal with the line ends held: every write ends where the text does, the
// held line ends go out with the next text, and ending the hold writes them.
TEST(OutputBuffer, HeldLineEndsGoOutWithTheNextText) {
    class cWrites : public cOutputBuffer {
      public:
        std::vector<std::string> writes;

      protected:
        long WriteSome(const char* bytes, std::size_t count) override {
            writes.emplace_back(bytes, count);
            return static_cast<long>(count);
        }
    } buffer;
    std::ostream out(&buffer);
    buffer.SetHoldsLineEnds(true);
    out << "Vaultreach awaits.\n" << std::flush;
    EXPECT_FALSE(buffer.AtLineStart());
    out << "\nYOU!\n" << std::flush;
    out << std::flush;
    out << "OVER THERE!" << std::flush;
    buffer.SetHoldsLineEnds(false);
    out << "\n" << std::flush;
    EXPECT_EQ(buffer.writes,
              (std::vector<std::string>{"Vaultreach awaits.", "\n\nYOU!", "\nOVER THERE!", "\n"}));
    EXPECT_TRUE(buffer.AtLineStart());
}

TEST(TextArt, KeepsEveryByteIncludingZerosAndCarriageReturns) {
    cScratchDirectory directory;
    const std::string bytes("ab\r\n\0cd\r\n", 9);
    directory.Write("zero.txt", bytes);
    cTextArt art;
    ASSERT_TRUE(LoadTextArt("zero.txt", art));
    EXPECT_EQ(art.length, 9);
    cPlotText page;
    LoadPlotText("zero.txt", page);
    EXPECT_EQ(page.length, 9);
    cSession session;
    ShowTextArt("Skeleton", art);
    ShowPlotText(page);
    EXPECT_EQ(session.Output(), bytes + bytes);
}

TEST(TextArt, NameWithTrailingDotOpensTheFileWithoutIt) {
    cScratchDirectory directory;
    directory.Write("Ogre.txt", "ogre\n");
    cTextArt art;
    EXPECT_TRUE(LoadTextArt("Ogre.txt.", art));
    EXPECT_EQ(std::string(art.data.get(), static_cast<std::size_t>(art.length)), "ogre\n");
}

TEST(TextArt, MissingDirectoryOrEmptyFileGivesNoPicture) {
    cScratchDirectory directory;
    directory.Write("empty.txt", "");
    cSession session;
    cTextArt art;
    EXPECT_FALSE(LoadTextArt("troll.txt", art));
    EXPECT_EQ(session.Take(), "File troll.txt is not valid.\n");
    EXPECT_EQ(art.data, nullptr);
    EXPECT_EQ(art.length, 0);

    EXPECT_FALSE(LoadTextArt(".", art));
    EXPECT_EQ(session.Take(), "File . is not valid.\n");

    EXPECT_TRUE(LoadTextArt("empty.txt", art));
    EXPECT_EQ(art.length, 0);
    ShowTextArt("Skeleton", art);
    EXPECT_EQ(session.Take(), "");

    cPlotText page;
    LoadPlotText("Plot Point 9.txt", page);
    EXPECT_EQ(page.length, 0);
    ShowPlotText(page);
    EXPECT_EQ(session.Take(), "");
}

TEST(Console, ShakeMovesFifteenPixelsBackAndForthFromWhereTheWindowIs) {
    cSession session;
    const std::uint32_t before = session.clock().Peek();
    ShakeScreen();
    const auto& moves = session.console().moves;
    ASSERT_EQ(moves.size(), 4u);
    EXPECT_EQ(moves[0].left, 115);
    EXPECT_EQ(moves[0].top, 65);
    EXPECT_EQ(moves[1].left, 100);
    EXPECT_EQ(moves[2].left, 115);
    EXPECT_EQ(moves[3].left, 100);
    EXPECT_EQ(moves[3].top, 50);
    EXPECT_EQ(moves[3].right - moves[3].left, 800);
    EXPECT_GE(session.clock().Peek() - before, 160u);
}

TEST(Console, AQuitRequestCutsAShakeShort) {
    cSession session;
    Sys_RequestQuit();
    ShakeScreen();
    EXPECT_TRUE(session.console().moves.empty());
    // A pause, too, ends at once rather than keeping a leaving player waiting.
    const std::uint32_t before = session.clock().Peek();
    Pause(9000);
    EXPECT_LT(session.clock().Peek() - before, 10u);
}

// A window that a quit request interrupts in the middle of its first shake step.
class cQuitDuringShakeConsole : public cConsole {
  public:
    bool IsUsable() override { return true; }
    void SetTitle(const std::string&) override {}
    void SetTextAttribute(tAttribute) override {}
    bool GetWindowRect(cWindowRect& rect) override {
        rect = window;
        return true;
    }
    void MoveWindow(const cWindowRect& rect) override {
        window = rect;
        moves.push_back(rect);
        Sys_RequestQuit();
    }
    void SetWindowSize(int, int) override {}
    void Restore() override {}

    cWindowRect window{100, 50, 900, 530};
    std::vector<cWindowRect> moves;
};

TEST(Console, AShakeCutShortStillEndsWhereTheWindowWas) {
    cSession session("", false);
    auto console = std::make_unique<cQuitDuringShakeConsole>();
    cQuitDuringShakeConsole* window = console.get();
    Sys_InstallConsole(std::move(console));
    ASSERT_NE(InitConsole("Vaultreach"), nullptr);
    window->moves.clear();
    Sys_ClearQuitRequest();
    ShakeScreen();
    ASSERT_EQ(window->moves.size(), 2u);
    EXPECT_EQ(window->moves[0].left, 115);
    EXPECT_EQ(window->window.left, 100);
    EXPECT_EQ(window->window.top, 50);
}

TEST(Console, InitSetsTheCaptionAndAnEightHundredByFourHundredEightyWindow) {
    cSession session("", false);
    auto record = std::make_shared<cConsoleRecord>();
    Sys_InstallConsole(std::make_unique<cRecordingConsole>(record));
    ASSERT_NE(InitConsole("Vaultreach"), nullptr);
    EXPECT_EQ(gConsoleOutput, gConsoleWindow);
    EXPECT_EQ(record->title, "Vaultreach");
    ASSERT_EQ(record->moves.size(), 1u);
    EXPECT_EQ(record->moves[0].left, 100);
    EXPECT_EQ(record->moves[0].top, 50);
    EXPECT_EQ(record->moves[0].right, 900);
    EXPECT_EQ(record->moves[0].bottom, 530);
}

TEST(Console, PlainOutputCarriesNoEscapes) {
    // Under the test runner standard output is a pipe or a file, never a terminal.
    if (isatty(1)) {
        GTEST_SKIP() << "standard output is a terminal";
    }
    cSession session;
    auto console = Sys_CreateTerminalConsole();
    console->SetTitle("Vaultreach");
    console->SetTextAttribute(kColourRed);
    std::cout << "text";
    console->SetTextAttribute(kColourNormal);
    console->Restore();
    EXPECT_EQ(session.Output(), "text");
}

}  // namespace
