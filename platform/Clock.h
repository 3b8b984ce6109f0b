#ifndef VAULTREACH_PLATFORM_CLOCK_H
#define VAULTREACH_PLATFORM_CLOCK_H

// Time, as the game sees it: a millisecond tick that wraps at 32 bits (pauses and the time
// taken to finish), the calendar time in seconds (the seed), and a sleep (the screen shake).
//
// The real clock reads the C library's monotonic and calendar clocks, so a library preloaded
// into the process can stand in for them. Tests install a virtual clock (Sys_InstallClock).
//
// Sleep waits at least the given milliseconds, so a tick read afterwards is at least that much
// later; SleepUntilTick waits until the tick reads `tick` (at once when it already has, the
// difference taken as a signed 32-bit value so that the wrap is no matter). Both return at once
// when a quit signal arrives.

#include <cstdint>
#include <memory>

#include "platform/System.h"

class cClock {
  public:
    virtual ~cClock() = default;
    virtual std::uint32_t TickCount() = 0;
    virtual std::int64_t CalendarSeconds() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // By default a Sleep from the current tick; a clock that can wake on the tick itself does
    // better, since the current tick may be most of a millisecond old.
    virtual void SleepUntilTick(std::uint32_t tick);
};

#endif
