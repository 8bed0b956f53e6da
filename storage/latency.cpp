// The wait behind the slow mode.
#include "latency.h"

#include "env_setting.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sched.h>
#include <time.h>
#endif

namespace {

// Ten seconds a call is a store nobody could work with: a larger value is
// more likely a slip of the keyboard than a wish.
const unsigned long long kMaxMicroseconds = 10000000;

struct SlowMode {
    char setting[32] = ""; // the text the latency was last read from
    int64_t microseconds = 0;
} g_slow;

// A sleep can overshoot by up to one tick of the system's timer: sleeping
// stops that far from the deadline, and the rest is spent watching the
// clock. Windows ticks every 15.6 ms by default; Linux sleeps to within
// about 50 microseconds.
#if defined(_WIN32)
const int64_t kTickMicroseconds = 16000;

int64_t NowMicroseconds() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    // Split, so that a long uptime times a million does not overflow.
    const int64_t f = frequency.QuadPart;
    return count.QuadPart / f * 1000000 + count.QuadPart % f * 1000000 / f;
}
void SleepMicroseconds(int64_t us) {
    Sleep(static_cast<DWORD>(us / 1000));
}
void Pause() {
    SwitchToThread();
}
#else
const int64_t kTickMicroseconds = 1000;

int64_t NowMicroseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}
void SleepMicroseconds(int64_t us) {
    const timespec span = {static_cast<time_t>(us / 1000000),
                           static_cast<long>(us % 1000000) * 1000};
    nanosleep(&span, nullptr);
}
void Pause() {
    sched_yield();
}
#endif

// A decimal number of microseconds up to kMaxMicroseconds. Anything else
// leaves the mode off; a text that is not empty is told once, on stderr,
// since an integrator who set it expects a slow store.
void Configure(const char* text) {
    g_slow.microseconds = 0;
    if (!*text)
        return;
    unsigned long long value = 0;
    const char* end = text;
    if (!ReadDecimal(text, value, end) || *end != '\0' || value > kMaxMicroseconds ||
        std::strlen(text) >= sizeof g_slow.setting) {
        std::fprintf(stderr,
                     "Kelvast stand-in: KELVAST_LATENCY=\"%s\" is not a number of microseconds "
                     "up to %llu; no latency\n",
                     g_slow.setting, kMaxMicroseconds);
        return;
    }
    g_slow.microseconds = static_cast<int64_t>(value);
}

} // namespace

void WaitLatency(bool bReadSetting) {
    if (const char* setting =
            bReadSetting ? ChangedSetting("KELVAST_LATENCY", g_slow.setting) : nullptr)
        Configure(setting);
    if (g_slow.microseconds == 0)
        return;
    const int64_t deadline = NowMicroseconds() + g_slow.microseconds;
    for (int64_t left = g_slow.microseconds; left > 0; left = deadline - NowMicroseconds()) {
        if (left > kTickMicroseconds)
            SleepMicroseconds(left - kTickMicroseconds);
        else
            Pause();
    }
}
