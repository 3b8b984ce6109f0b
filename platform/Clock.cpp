#include "platform/Clock.h"

namespace {

std::unique_ptr<cClock>& Installed() {
    static std::unique_ptr<cClock> clock = Sys_CreateSystemClock();
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

void Sys_SleepUntilTick(std::uint32_t tick) {
    Installed()->SleepUntilTick(tick);
}

void cClock::SleepUntilTick(std::uint32_t tick) {
    const auto left = static_cast<std::int32_t>(tick - TickCount());
    if (left > 0) {
        Sleep(static_cast<std::uint32_t>(left));
    }
}

void Sys_InstallClock(std::unique_ptr<cClock> clock) {
    Installed() = clock ? std::move(clock) : Sys_CreateSystemClock();
}
