#include "trace.h"

#include "env_setting.h"

#include <cstdint>
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

namespace {

struct Trace {
    char setting[260] = ""; // the file name the trace was last opened from
    std::FILE* file = nullptr;
} g_trace;

// The wall clock, not the performance counter: a script compares the lines
// with the times it took itself. Wine reads it to the microsecond; Windows
// itself only to its timer tick.
int64_t WallMicroseconds() {
#if defined(_WIN32)
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const int64_t ticks = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000) / 10; // 100 ns since 1601
#else
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
#endif
}

} // namespace

void TraceItemCall(int mode, const char* pattern) {
    if (const char* setting =
            mode != 1 ? ChangedSetting("KELVAST_TRACE", g_trace.setting) : nullptr) {
        if (g_trace.file)
            std::fclose(g_trace.file);
        g_trace.file = *setting ? std::fopen(setting, "a") : nullptr;
    }
    if (!g_trace.file)
        return;
    // Flushed at once: the reader looks while the walk goes on, and a
    // program ended from outside leaves its last calls in the file.
    std::fprintf(g_trace.file, "%lld %d %s\n", static_cast<long long>(WallMicroseconds()), mode,
                 pattern ? pattern : "");
    std::fflush(g_trace.file);
}
