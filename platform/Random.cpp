#include "platform/Random.h"

#include <cstdint>

#include "platform/Clock.h"
#include "platform/System.h"

std::mt19937 gRandom;
int gPauseJitter = kStartingPauseJitter;

int RollDice(int count) {
    int total = 0;
    std::uint32_t carry = 0;
    for (int round = 0; round < count; ++round) {
        for (int throwIndex = 0; throwIndex < 3; ++throwIndex) {
            const std::uint32_t r = gRandom();
            const std::uint32_t die = r % 6 + 1;
            carry = (die + carry) / 3;
        }
        total += static_cast<int>(carry);
    }
    return total;
}

void Pause(int nominal) {
    const std::uint32_t r = gRandom();
    const std::int64_t jitter = gPauseJitter < 1 ? 1 : gPauseJitter;
    const std::int64_t limit =
        static_cast<std::int64_t>(nominal) + 1 + static_cast<std::int64_t>(r % jitter) - jitter / 2;
    // Whatever was printed before the wait should be on screen during it.
    Sys_FlushOutput();
    const std::uint32_t start = Sys_TickCount();
    while (!Sys_QuitRequested()) {
        const std::int64_t elapsed = Sys_TickCount() - start;
        if (elapsed > limit) {
            break;
        }
        // Sleep until the first tick past the limit instead of watching the clock; a signal
        // may wake it early, hence the loop.
        Sys_SleepUntilTick(start + static_cast<std::uint32_t>(limit + 1));
    }
}
