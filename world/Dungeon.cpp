#include "world/Dungeon.h"

#include <cstring>
#include <iostream>
#include <string>

#include "characters/Character.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "platform/System.h"
#include "text/Answer.h"

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
    static const std::vector<cChoice> kDirections{
        {"(N)orth", "n"}, {"(S)outh", "s"},     {"(E)ast", "e"},      {"(W)est", "w"},
        {"(M)ap", "m"},   {"(I)nventory", "i"}, {"(C)ondition", "c"}, {"(Q)uit", "q"},
    };
    WriteChoices(kDirections);
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
    ShowPrompt(ePrompt::Direction, kDirections);
    return ReadAnswer(eAnswerCase::Lower, eRestOfLine::Discarded).value_or('q');
}

namespace {

// "3", "3 to 5", "1, 3 to 5 and 8" for ascending column numbers.
std::string ColumnList(const std::vector<int>& columns) {
    std::vector<std::string> runs;
    for (std::size_t i = 0; i < columns.size();) {
        std::size_t last = i;
        while (last + 1 < columns.size() && columns[last + 1] == columns[last] + 1) {
            ++last;
        }
        runs.push_back(std::to_string(columns[i]) +
                       (last > i ? " to " + std::to_string(columns[last]) : ""));
        i = last + 1;
    }
    std::string list;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        list += (i == 0 ? "" : (i + 1 == runs.size() ? " and " : ", ")) + runs[i];
    }
    return list;
}

}  // namespace

std::vector<std::string> MapInWords(const std::vector<std::string>& rows) {
    std::vector<std::string> words;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<int> seen;
        int here = 0;
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c] == 'X') {
                here = static_cast<int>(c) + 1;
            } else if (rows[r][c] != ' ') {
                seen.push_back(static_cast<int>(c) + 1);
            }
        }
        std::string sentence = "Row " + std::to_string(r + 1) + ": ";
        if (!seen.empty()) {
            sentence += (seen.size() == 1 ? "seen at column " : "seen at columns ") +
                        ColumnList(seen) + (here != 0 ? "; " : "");
        }
        if (here != 0) {
            sentence += "you are at column " + std::to_string(here);
        }
        words.push_back(sentence + (seen.empty() && here == 0 ? "nothing seen." : "."));
    }
    return words;
}

void ShowMap(int row, int column) {
    gVisitedGrid[row * kDungeonSize + column] = 'X';
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
    std::cout << std::endl << "Map of Tovashal Dungeon." << std::endl;
    std::cout << "Key:" << std::endl;
    std::cout << "O = Visited Area" << std::endl;
    std::cout << "X = Current Location" << std::endl;
    std::cout << "\n" << std::endl;
    std::vector<std::string> rows;
    for (int r = 0; r < kDungeonSize; ++r) {
        rows.emplace_back(gVisitedGrid + r * kDungeonSize, kDungeonSize);
    }
    ShowMapRows(rows, MapInWords(rows));
    std::cout << std::endl;
    gVisitedGrid[row * kDungeonSize + column] = 'O';
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}
