// The browser's clock: performance.now() for ticks, Date.now() for the seed, and sleeps on the
// browser's timers (library_vaultreach.js says why only those), in slices of at most 100 ms so
// that a quit (the tab closing) cuts a pause short.

#include <emscripten.h>

#include <algorithm>

#include "platform/Clock.h"
#include "platform/System.h"
#include "platform/web/PageBridge.h"

namespace {

constexpr std::uint32_t kLongestSlice = 100;

EM_JS(double, vr_now_ms, (), { return performance.now(); });
EM_JS(double, vr_calendar_ms, (), { return Date.now(); });

class cSystemClock : public cClock {
  public:
    std::uint32_t TickCount() override {
        // Wraps at 32 bits like the other systems' tick counts.
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(vr_now_ms()));
    }

    std::int64_t CalendarSeconds() override {
        return static_cast<std::int64_t>(vr_calendar_ms() / 1000.0);
    }

    void Sleep(std::uint32_t milliseconds) override {
        const std::uint32_t start = TickCount();
        std::uint32_t left = milliseconds;
        while (left > 0 && !Sys_QuitRequested()) {
            vr_sleep(static_cast<int>(std::min(left, kLongestSlice)));
            const std::uint32_t slept = TickCount() - start;
            left = slept >= milliseconds ? 0 : milliseconds - slept;
        }
    }
};

}  // namespace

std::unique_ptr<cClock> Sys_CreateSystemClock() {
    return std::make_unique<cSystemClock>();
}
