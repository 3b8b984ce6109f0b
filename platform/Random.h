#ifndef VAULTREACH_PLATFORM_RANDOM_H
#define VAULTREACH_PLATFORM_RANDOM_H

// Chance and pacing.
//
// gRandom is the one generator of the program (MT19937, default seed 5489 until start-up
// seeds it with the calendar seconds). Every random decision takes one 32-bit draw and
// reduces it by an unsigned remainder; no distribution objects, so a seeded run replays
// exactly. Callers draw into named variables, one draw per statement, to keep the order.
//
// RollDice(count): count rounds; each round throws three six-sided dice and folds them into a
// carry, carry = (die + carry) / 3 after each die, then adds the carry to the total. The carry
// starts at 0 once per call and runs on from round to round, so a call yields 0 to 2 x count
// and makes exactly 3 x count draws (none for count <= 0).
//
// Pause(nominal): one draw r, then a wait on the tick count for more than
// nominal + 1 + (r mod J) - J/2 milliseconds, J = gPauseJitter (at least 1): it returns at the
// first tick reading past that limit. It sleeps until that tick instead of watching the clock,
// so it costs no processor time worth measuring. It writes out what was
// printed before it and reads no input, so keys typed meanwhile wait for the next prompt. A
// quit request cuts it short.

#include <random>

extern std::mt19937 gRandom;
extern int gPauseJitter;

constexpr int kStartingPauseJitter = 250;

int RollDice(int count);
void Pause(int nominal);

#endif
