#ifndef VAULTREACH_WORLD_DUNGEON_H
#define VAULTREACH_WORLD_DUNGEON_H

// The dungeon: one fixed ten-by-ten grid, the record of what the player has seen, one step of
// movement, the passage line, the direction prompt and the map.
//
// Cell r, c is character r * 10 + c; row 0 is the north edge, column 0 the west edge.
// '#' wall, 'O' open passage, 'P' story page, 'T' the gnome, 'G' the way out.
//
// A step that would leave the grid or enter a wall stays put and yields '#'. From wherever the
// player then stands, the cell ahead and the two beside (not behind) are revealed in the
// visited grid if they are open passage; pages, the gnome, the exit and walls never are.

#include <cstdint>
#include <string>
#include <vector>

class cCharacter;

constexpr int kDungeonSize = 10;

extern char gDungeonGrid[kDungeonSize * kDungeonSize];
extern char gVisitedGrid[kDungeonSize * kDungeonSize];

enum class eDirection { North, South, East, West };

// Both grids as at program start.
void ResetDungeon();

// Moves the player one step and returns the entered cell's character, or '#' for no move.
char MovePlayer(cCharacter& player, eDirection direction);

// "The <word> continues ahead.", the word drawn from gRandom.
void DescribePassage();

// The direction menu; returns the answer lower-cased, 'q' once input has ended.
char AskDirection();

// Prints the visited grid with the player's cell marked 'X'; the cell counts as visited after.
void ShowMap(int row, int column);

// The map's rows as a listener hears them, a sentence each, counted from 1 at the north and the
// west: "Row 2: seen at columns 1 to 3 and 5; you are at column 4." or "Row 7: nothing seen."
std::vector<std::string> MapInWords(const std::vector<std::string>& rows);

#endif
