#include <ctime>

#include "platform/Clock.h"

namespace {

timespec FromMilliseconds(std::uint64_t milliseconds) {
    return {static_cast<time_t>(milliseconds / 1000),
            static_cast<long>(milliseconds % 1000) * 1000000L};
}

class cSystemClock : public cClock {
  public:
    std::uint32_t TickCount() override { return static_cast<std::uint32_t>(Milliseconds()); }

    std::int64_t CalendarSeconds() override {
        return static_cast<std::int64_t>(std::time(nullptr));
    }

    void Sleep(std::uint32_t milliseconds) override {
        const timespec wait = FromMilliseconds(milliseconds);
        // A signal cuts the sleep short on purpose (the quit signals have handlers that do not
        // restart calls); callers check for a quit request and sleep again if there was none.
        nanosleep(&wait, nullptr);
    }

    // Wakes on the very nanosecond at which the tick turns to `tick`.
    void SleepUntilTick(std::uint32_t tick) override {
        const std::uint64_t now = Milliseconds();
        const auto left = static_cast<std::int32_t>(tick - static_cast<std::uint32_t>(now));
        if (left <= 0) {
            return;
        }
        const timespec deadline = FromMilliseconds(now + static_cast<std::uint64_t>(left));
        // As with Sleep, a signal ends it early.
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
    }

  private:
    static std::uint64_t Milliseconds() {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
               static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    }
};

}  // namespace

std::unique_ptr<cClock> Sys_CreateSystemClock() {
    return std::make_unique<cSystemClock>();
}
