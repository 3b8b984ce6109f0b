// Movement, revealing, the passage line, the direction prompt and the map.

#include <gtest/gtest.h>

#include <random>

#include "characters/Character.h"
#include "platform/Random.h"
#include "support/TestPlatform.h"
#include "world/Dungeon.h"

namespace {

std::string VisitedRow(int row) {
    return std::string(gVisitedGrid + row * 10, 10);
}

cPlayer PlayerAt(int row, int column) {
    cPlayer player("Player");
    player.row = row;
    player.column = column;
    return player;
}

TEST(Movement, GridEdgeAndWallsLeaveThePlayerWhereTheyStand) {
    cSession session;
    cPlayer player = PlayerAt(0, 1);
    EXPECT_EQ(MovePlayer(player, eDirection::North), '#');
    EXPECT_EQ(MovePlayer(player, eDirection::East), '#');
    EXPECT_EQ(MovePlayer(player, eDirection::West), '#');
    EXPECT_EQ(player.row, 0);
    EXPECT_EQ(player.column, 1);

    // The west edge at row 4 and the east edge at row 2.
    player = PlayerAt(4, 0);
    EXPECT_EQ(MovePlayer(player, eDirection::West), '#');
    player = PlayerAt(2, 9);
    EXPECT_EQ(MovePlayer(player, eDirection::East), '#');
    player = PlayerAt(8, 9);
    EXPECT_EQ(MovePlayer(player, eDirection::South), '#');
    EXPECT_EQ(player.row, 8);
}

TEST(Movement, RevealsAheadAndBesideButNeverBehindOrWalls) {
    cSession session;
    cPlayer player = PlayerAt(0, 1);
    EXPECT_EQ(MovePlayer(player, eDirection::South), 'O');
    EXPECT_EQ(player.row, 1);
    EXPECT_EQ(VisitedRow(0), "          ");  // behind: not looked at
    EXPECT_EQ(VisitedRow(1), "          ");  // the cell stood on is the game loop's to mark
    EXPECT_EQ(VisitedRow(2), " O        ");

    // From (4,1) facing east: (4,2) ahead, (5,1) a wall, (3,1) beside.
    player = PlayerAt(4, 1);
    EXPECT_EQ(MovePlayer(player, eDirection::East), 'O');
    EXPECT_EQ(VisitedRow(4), "   O      ");
    EXPECT_EQ(VisitedRow(5), "  O       ");
    EXPECT_EQ(VisitedRow(3), "          ");
}

TEST(Movement, BlockedStepStillLooksAround) {
    cSession session;
    cPlayer player = PlayerAt(4, 0);
    // West is the edge; looking from (4,0): (4,-1) outside, (3,0) wall, (5,0) open.
    EXPECT_EQ(MovePlayer(player, eDirection::West), '#');
    EXPECT_EQ(VisitedRow(5), "O         ");
}

TEST(Movement, PagesTheGnomeAndTheExitAreEnteredButNeverRevealed) {
    cSession session;
    cPlayer player = PlayerAt(6, 0);
    EXPECT_EQ(MovePlayer(player, eDirection::South), 'P');
    EXPECT_EQ(VisitedRow(7), " O        ");  // beside, not the page itself
    // Stepping west to (8,1) looks at the gnome's cell beside it, which stays unseen.
    player = PlayerAt(8, 2);
    EXPECT_EQ(MovePlayer(player, eDirection::West), 'O');
    EXPECT_EQ(VisitedRow(9), "          ");
    EXPECT_EQ(MovePlayer(player, eDirection::South), 'T');
    player = PlayerAt(8, 7);
    EXPECT_EQ(MovePlayer(player, eDirection::South), 'G');

    // Once the page is read its cell is an ordinary passage and can be revealed.
    gDungeonGrid[7 * 10 + 0] = 'O';
    player = PlayerAt(6, 0);
    EXPECT_EQ(MovePlayer(player, eDirection::East), '#');
    EXPECT_EQ(VisitedRow(7), "OO        ");
}

TEST(PassageLine, WordIsTheDrawModuloSix) {
    const char* words[] = {"Path", "corridor", "hallway", "passage", "hall", "archway"};
    cSession session;
    std::mt19937 reference(5489u);
    for (int i = 0; i < 12; ++i) {
        const std::uint32_t r = reference();
        DescribePassage();
        EXPECT_EQ(session.Take(), std::string("\nThe ") + words[r % 6] + " continues ahead.\n");
    }
}

TEST(DirectionPrompt, PrintsItsMenuInColourAndReadsTheFirstLetter) {
    cSession session("  N\nwest\nx");
    EXPECT_EQ(AskDirection(), 'n');
    EXPECT_EQ(session.Take(),
              "{10}\nWhich way do you want to go?\n{14}(N)orth\n(S)outh\n(E)ast\n(W)est\n(M)ap\n"
              "(I)nventory\n(C)ondition\n(Q)uit\n?:{7}");
    // A whole word counts by its first letter; the rest of the line is gone.
    EXPECT_EQ(AskDirection(), 'w');
    EXPECT_EQ(AskDirection(), 'x');
    // The input has ended: the answer is a quit, never a repeat.
    EXPECT_EQ(AskDirection(), 'q');
}

TEST(Map, ShowsOnlyWhatWasSeenAndMarksThePlayer) {
    cSession session;
    ShowMap(0, 1);
    const std::string header =
        "{7}\nMap of Tovashal Dungeon.\nKey:\nO = Visited Area\nX = Current Location\n\n\n";
    const std::string blank = "          \n";
    std::string expected = header + " X        \n";
    for (int row = 1; row < 10; ++row) {
        expected += blank;
    }
    EXPECT_EQ(session.Take(), expected + "\n{7}");
    // The player's cell counts as visited after the display.
    EXPECT_EQ(VisitedRow(0), " O        ");

    cPlayer player = PlayerAt(0, 1);
    MovePlayer(player, eDirection::South);
    ShowMap(player.row, player.column);
    expected = header + " O        \n X        \n O        \n";
    for (int row = 3; row < 10; ++row) {
        expected += blank;
    }
    EXPECT_EQ(session.Take(), expected + "\n{7}");
}

// What a listener hears for one row: columns from 1 at the west edge, runs joined, the player
// apart; the edges and a row of nothing.
TEST(Map, EachRowInWords) {
    const std::pair<std::string, std::string> rows[] = {
        {"          ", "Row 1: nothing seen."},
        {"X         ", "Row 1: you are at column 1."},
        {"         X", "Row 1: you are at column 10."},
        {"O         ", "Row 1: seen at column 1."},
        {"OOOOOOOOOX", "Row 1: seen at columns 1 to 9; you are at column 10."},
        {"OXO O  OOO", "Row 1: seen at columns 1, 3, 5 and 8 to 10; you are at column 2."},
        {"   OO     ", "Row 1: seen at columns 4 to 5."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MapInWords({row.first}), std::vector<std::string>{row.second}) << row.first;
    }
    const std::vector<std::string> words = MapInWords(std::vector<std::string>(10, "          "));
    ASSERT_EQ(words.size(), 10u);
    EXPECT_EQ(words[9], "Row 10: nothing seen.");
}

}  // namespace
