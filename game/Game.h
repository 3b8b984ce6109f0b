#ifndef VAULTREACH_GAME_GAME_H
#define VAULTREACH_GAME_GAME_H

// The game's main routine: start-up, the replay loop, the turn, the endings and shutdown.
//
// Start-up opens "log.txt", sets up the console and creates, in order, the player, the audio
// manager, the weapon manager, the inventory, the story pages and the gnome, then seeds gRandom
// with the calendar seconds. Each pass is one game: the opening story, then turns until a win,
// a death or a quit, then (after a win or a death) the question whether to play again.
// Shutdown saves the player to "Player.txt", says goodbye and waits for one line.
//
// The end of input, a quit signal or a closed output ends play as 'q' does: the player is
// saved and the program leaves without waiting. Returns 0, or 1 when the log or the console
// could not be set up or the save failed (the log then says so after "Saving Player Data.").

#include <cstdint>
#include <fstream>

extern std::ofstream gLog;

int GameMain(int argc, char* argv[]);

// Whole minutes between two tick counts, taken as a signed 32-bit difference.
std::int32_t MinutesBetween(std::uint32_t startTick, std::uint32_t endTick);

#endif
