#include "platform/Clock.h"

#include <ctime>

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
        // A signal may cut the sleep short; the caller checks for a quit request anyway.
        nanosleep(&wait, nullptr);
    }
};

std::unique_ptr<cClock>& Installed() {
    static std::unique_ptr<cClock> clock = std::make_unique<cSystemClock>();
    return clock;
}

}  // namespace

std::uint32_t Sys_TickCount() {
    return Installed()->TickCount();
}

std::int64_t Sys_CalendarSeconds() {
    return Installed()->CalendarSeconds();
}

void Sys_Sleep(std::uint32_t milliseconds) {
    Installed()->Sleep(milliseconds);
}

void Sys_InstallClock(std::unique_ptr<cClock> clock) {
    Installed() = clock ? std::move(clock) : std::make_unique<cSystemClock>();
}
