#include "world/Dungeon.h"

#include <cstring>
#include <iostream>
#include <string>

#include "characters/Character.h"
#include "platform/Answer.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "platform/StandardStreams.h"

char gDungeonGrid[kDungeonSize * kDungeonSize];
char gVisitedGrid[kDungeonSize * kDungeonSize];

namespace {

const char kInitialDungeon[] =
    "#O#####OO#"
    "#O###P#O##"
    "#O#OOO#OOO"
    "#O#O##OO#O"
    "OOOOOO#O#O"
    "O#O##O#O#O"
    "O#OO#OOO#O"
    "PO#OO####O"
    "#OOO#OOOOO"
    "#T#####G##";

static_assert(sizeof kInitialDungeon == kDungeonSize * kDungeonSize + 1, "the grid is 10 by 10");
static_assert(kDungeonSize == kGridSize, "a saved position must lie on this grid");

// Run at load so that the grids are ready before any code asks for them.
const bool kGridsReady = (ResetDungeon(), true);

bool Inside(int row, int column) {
    return row >= 0 && row < kDungeonSize && column >= 0 && column < kDungeonSize;
}

void Reveal(int row, int column) {
    if (Inside(row, column) && gDungeonGrid[row * kDungeonSize + column] == 'O') {
        gVisitedGrid[row * kDungeonSize + column] = 'O';
    }
}

}  // namespace

void ResetDungeon() {
    std::memcpy(gDungeonGrid, kInitialDungeon, sizeof gDungeonGrid);
    std::memset(gVisitedGrid, ' ', sizeof gVisitedGrid);
}

char MovePlayer(cCharacter& player, eDirection direction) {
    int rowStep = 0;
    int columnStep = 0;
    switch (direction) {
        case eDirection::North:
            rowStep = -1;
            break;
        case eDirection::South:
            rowStep = 1;
            break;
        case eDirection::East:
            columnStep = 1;
            break;
        case eDirection::West:
            columnStep = -1;
            break;
    }
    const int targetRow = player.row + rowStep;
    const int targetColumn = player.column + columnStep;
    char entered = '#';
    if (Inside(targetRow, targetColumn) &&
        gDungeonGrid[targetRow * kDungeonSize + targetColumn] != '#') {
        player.row = targetRow;
        player.column = targetColumn;
        entered = gDungeonGrid[targetRow * kDungeonSize + targetColumn];
    }
    // Ahead first, then the two sides, in the order a player turning their head would look.
    const int row = player.row;
    const int column = player.column;
    switch (direction) {
        case eDirection::North:
            Reveal(row - 1, column);
            Reveal(row, column + 1);
            Reveal(row, column - 1);
            break;
        case eDirection::South:
            Reveal(row + 1, column);
            Reveal(row, column - 1);
            Reveal(row, column + 1);
            break;
        case eDirection::East:
            Reveal(row, column + 1);
            Reveal(row + 1, column);
            Reveal(row - 1, column);
            break;
        case eDirection::West:
            Reveal(row, column - 1);
            Reveal(row - 1, column);
            Reveal(row + 1, column);
            break;
    }
    return entered;
}

void DescribePassage() {
    static const char* const kWords[] = {"Path",    "corridor", "hallway",
                                         "passage", "hall",     "archway"};
    const std::uint32_t r = gRandom();
    std::cout << "\nThe " << kWords[r % 6] << " continues "
              << "ahead." << std::endl;
}

char AskDirection() {
    SetConsoleTextAttribute(gConsoleOutput, kColourGreen);
    std::cout << "\nWhich way do you want to go?" << std::endl;
    SetConsoleTextAttribute(gConsoleOutput, kColourYellow);
    std::cout << "(N)orth\n"
              << "(S)outh\n"
              << "(E)ast\n"
              << "(W)est\n"
              << "(M)ap\n"
              << "(I)nventory\n"
              << "(C)ondition\n"
              << "(Q)uit\n"
              << "?:";
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
    return ReadAnswer(eAnswerCase::Lower, eRestOfLine::Discarded).value_or('q');
}

void ShowMap(int row, int column) {
    gVisitedGrid[row * kDungeonSize + column] = 'X';
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
    std::cout << std::endl << "Map of Tovashal Dungeon." << std::endl;
    std::cout << "Key:" << std::endl;
    std::cout << "O = Visited Area" << std::endl;
    std::cout << "X = Current Location" << std::endl;
    std::cout << "\n" << std::endl;
    std::string map;
    for (int r = 0; r < kDungeonSize; ++r) {
        map.append(gVisitedGrid + r * kDungeonSize, kDungeonSize);
        map.push_back('\n');
    }
    std::cout << map << std::endl;
    gVisitedGrid[row * kDungeonSize + column] = 'O';
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}
