// The POSIX clock: the monotonic clock for ticks, the calendar clock for the seed.

#include <ctime>

#include "platform/Clock.h"

namespace {

class cSystemClock : public cClock {
  public:
    std::uint32_t TickCount() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<std::uint32_t>(ms);
    }

    std::int64_t CalendarSeconds() override {
        return static_cast<std::int64_t>(std::time(nullptr));
    }

    void Sleep(std::uint32_t milliseconds) override {
        timespec wait{};
        wait.tv_sec = milliseconds / 1000;
        wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
        // A signal cuts the sleep short on purpose (the quit signals have handlers that do not
        // restart calls); callers check for a quit request and sleep again if there was none.
        nanosleep(&wait, nullptr);
    }
};

}  // namespace

std::unique_ptr<cClock> Sys_CreateSystemClock() {
    return std::make_unique<cSystemClock>();
}
