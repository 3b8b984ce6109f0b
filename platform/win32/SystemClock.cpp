// The Windows clock: GetTickCount for ticks (it wraps after 49.7 days, which the game's
// unsigned differences allow for), _time64 for the seed, and a wait that a quit cuts short.

#include <windows.h>

#include <ctime>

#include "platform/Clock.h"
#include "platform/win32/QuitEvent.h"

namespace {

class cSystemClock : public cClock {
  public:
    std::uint32_t TickCount() override { return static_cast<std::uint32_t>(GetTickCount()); }

    std::int64_t CalendarSeconds() override { return static_cast<std::int64_t>(_time64(nullptr)); }

    // A quit request (Ctrl-C, the window closing) ends the wait at once, so the game can save
    // in the few seconds Windows gives a closing console.
    void Sleep(std::uint32_t milliseconds) override {
        WaitForSingleObject(QuitEvent(), milliseconds);
    }
};

}  // namespace

std::unique_ptr<cClock> Sys_CreateSystemClock() {
    return std::make_unique<cSystemClock>();
}
