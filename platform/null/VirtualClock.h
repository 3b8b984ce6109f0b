#ifndef VAULTREACH_PLATFORM_NULL_VIRTUALCLOCK_H
#define VAULTREACH_PLATFORM_NULL_VIRTUALCLOCK_H

// A clock that time only moves when it is read or slept on: every tick reading advances it by
// `step` milliseconds (1 by default), so the game's busy waits end at once and a whole game
// plays in a moment yet always sees the same times. The calendar reading, which seeds the
// generator, is whatever `calendarSeconds` says.

#include <cstdint>

#include "platform/Clock.h"

class cVirtualClock : public cClock {
  public:
    std::uint32_t TickCount() override {
        const std::uint32_t now = m_now;
        m_now += step;
        return now;
    }
    std::int64_t CalendarSeconds() override { return calendarSeconds; }
    void Sleep(std::uint32_t milliseconds) override {
        m_now += milliseconds;
        slept += milliseconds;
    }
    // Jumps to the tick without reading the clock, so a pause costs the same readings as ever.
    void SleepUntilTick(std::uint32_t tick) override {
        const auto left = static_cast<std::int32_t>(tick - m_now);
        if (left > 0) {
            Sleep(static_cast<std::uint32_t>(left));
        }
    }
    void Advance(std::uint32_t milliseconds) { m_now += milliseconds; }
    std::uint32_t Peek() const { return m_now; }
    void Set(std::uint32_t now) { m_now = now; }

    std::uint32_t step = 1;
    std::int64_t calendarSeconds = 1;
    std::uint32_t slept = 0;

  private:
    std::uint32_t m_now = 1000;
};

#endif
