// A clock of the tests' own for the real game binary, loaded with LD_PRELOAD.
//
// Every clock the C library offers (clock_gettime, gettimeofday, time) reads the real clock plus
// an offset. A sleep on the program's main thread (nanosleep, clock_nanosleep, usleep, sleep)
// does not wait: it adds its length to the offset and returns at once, so a game whose pauses
// sleep runs in milliseconds and still sees exactly the time it asked to wait. A poll with a
// timeout on the main thread waits for real for a tenth of a second at most (a terminal's reply
// can still arrive), and when nothing came the whole timeout is added instead.
//
// Other threads (the sound library's) sleep for real: their sleeps would otherwise turn into
// spinning loops that race the clock forward. CPU-time clocks are left alone.
//
// VAULTREACH_CLOCK_START, when set to a number of seconds since 1970, is the calendar time the
// program starts at (the game's seed is its start second): the calendar clocks run from there.
// The other clocks are left as they are.
//
// VAULTREACH_CLOCK_REAL_PAUSES=1 keeps the sleeps and polls real (only the calendar moves): a
// game played to a listener, such as a screen reader, is seeded and still paced as a player's.

#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
// How long a poll with a timeout really waits before the rest of its timeout is skipped: long
// enough for a terminal of the tests' own to answer on a loaded machine.
constexpr int kRealPollWaitMs = 100;

std::atomic<std::int64_t> g_offsetNs{0};

template <typename tFunction>
tFunction Next(const char* name) {
    return reinterpret_cast<tFunction>(dlsym(RTLD_NEXT, name));
}

bool OnMainThread() {
    return static_cast<pid_t>(syscall(SYS_gettid)) == getpid();
}

bool RealPauses() {
    static const bool real = [] {
        const char* value = std::getenv("VAULTREACH_CLOCK_REAL_PAUSES");
        return value != nullptr && *value != '\0' && *value != '0';
    }();
    return real;
}

bool IsShifted(clockid_t clock) {
    return clock == CLOCK_REALTIME || clock == CLOCK_MONOTONIC || clock == CLOCK_MONOTONIC_RAW ||
           clock == CLOCK_REALTIME_COARSE || clock == CLOCK_MONOTONIC_COARSE ||
           clock == CLOCK_BOOTTIME;
}

std::int64_t ToNs(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * kNanosecondsPerSecond + t.tv_nsec;
}

timespec FromNs(std::int64_t ns) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(ns / kNanosecondsPerSecond);
    t.tv_nsec = static_cast<long>(ns % kNanosecondsPerSecond);
    return t;
}

int RealClock(clockid_t clock, timespec* now) {
    static const auto real = Next<int (*)(clockid_t, timespec*)>("clock_gettime");
    return real(clock, now);
}

bool IsCalendar(clockid_t clock) {
    return clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE;
}

// How far the calendar clocks are moved, once for the whole run.
std::int64_t CalendarShift() {
    static const std::int64_t shift = [] {
        const char* start = std::getenv("VAULTREACH_CLOCK_START");
        if (start == nullptr || *start == '\0') {
            return std::int64_t{0};
        }
        timespec now{};
        RealClock(CLOCK_REALTIME, &now);
        return static_cast<std::int64_t>(std::strtoll(start, nullptr, 10)) * kNanosecondsPerSecond -
               ToNs(now);
    }();
    return shift;
}

std::int64_t VirtualNow(clockid_t clock) {
    timespec now{};
    RealClock(clock, &now);
    return ToNs(now) + g_offsetNs.load() + (IsCalendar(clock) ? CalendarShift() : 0);
}

void Skip(std::int64_t ns) {
    if (ns > 0) {
        g_offsetNs += ns;
    }
}

}  // namespace

extern "C" {

int clock_gettime(clockid_t clock, timespec* now) noexcept {
    const int result = RealClock(clock, now);
    if (result == 0 && IsShifted(clock)) {
        *now = FromNs(ToNs(*now) + g_offsetNs.load() + (IsCalendar(clock) ? CalendarShift() : 0));
    }
    return result;
}

int gettimeofday(timeval* now, void* zone) noexcept {
    (void)zone;
    const std::int64_t ns = VirtualNow(CLOCK_REALTIME);
    now->tv_sec = static_cast<time_t>(ns / kNanosecondsPerSecond);
    now->tv_usec = static_cast<suseconds_t>(ns % kNanosecondsPerSecond / 1000);
    return 0;
}

time_t time(time_t* out) noexcept {
    const time_t seconds = static_cast<time_t>(VirtualNow(CLOCK_REALTIME) / kNanosecondsPerSecond);
    if (out != nullptr) {
        *out = seconds;
    }
    return seconds;
}

int nanosleep(const timespec* wait, timespec* left) {
    if (!OnMainThread() || RealPauses()) {
        static const auto real = Next<int (*)(const timespec*, timespec*)>("nanosleep");
        return real(wait, left);
    }
    if (wait == nullptr || wait->tv_nsec < 0 || wait->tv_nsec >= kNanosecondsPerSecond) {
        errno = EINVAL;
        return -1;
    }
    Skip(ToNs(*wait));
    return 0;
}

int clock_nanosleep(clockid_t clock, int flags, const timespec* wait, timespec* left) {
    if (!OnMainThread() || !IsShifted(clock) || RealPauses()) {
        static const auto real =
            Next<int (*)(clockid_t, int, const timespec*, timespec*)>("clock_nanosleep");
        return real(clock, flags, wait, left);
    }
    if (wait == nullptr || wait->tv_nsec < 0 || wait->tv_nsec >= kNanosecondsPerSecond) {
        return EINVAL;
    }
    Skip((flags & TIMER_ABSTIME) != 0 ? ToNs(*wait) - VirtualNow(clock) : ToNs(*wait));
    return 0;
}

int usleep(useconds_t microseconds) {
    const timespec wait = FromNs(static_cast<std::int64_t>(microseconds) * 1000);
    return nanosleep(&wait, nullptr);
}

unsigned int sleep(unsigned int seconds) {
    const timespec wait = FromNs(static_cast<std::int64_t>(seconds) * kNanosecondsPerSecond);
    nanosleep(&wait, nullptr);
    return 0;
}

int poll(pollfd* fds, nfds_t count, int timeoutMs) {
    static const auto real = Next<int (*)(pollfd*, nfds_t, int)>("poll");
    if (timeoutMs <= kRealPollWaitMs || !OnMainThread() || RealPauses()) {
        return real(fds, count, timeoutMs);
    }
    const int ready = real(fds, count, kRealPollWaitMs);
    if (ready == 0) {
        Skip(static_cast<std::int64_t>(timeoutMs) * 1000000);
    }
    return ready;
}

int ppoll(pollfd* fds, nfds_t count, const timespec* timeout, const sigset_t* mask) {
    static const auto real =
        Next<int (*)(pollfd*, nfds_t, const timespec*, const sigset_t*)>("ppoll");
    const timespec shortWait = FromNs(static_cast<std::int64_t>(kRealPollWaitMs) * 1000000);
    if (timeout == nullptr || ToNs(*timeout) <= ToNs(shortWait) || !OnMainThread() ||
        RealPauses()) {
        return real(fds, count, timeout, mask);
    }
    const int ready = real(fds, count, &shortWait, mask);
    if (ready == 0) {
        Skip(ToNs(*timeout));
    }
    return ready;
}

}  // extern "C"
