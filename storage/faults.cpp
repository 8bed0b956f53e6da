// The generator behind the fault mode. The setting is read at every call:
// a program can change it between runs of its own (a test driver replaying
// one seed after another), and a changed setting seeds the generator anew.
#include "faults.h"

#include "env_setting.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct FaultMode {
    char setting[64] = ""; // the text the generator was last seeded from
    uint64_t state = 0;
    uint64_t oneIn = 0; // 0: off
} g_mode;

// splitmix64: one 64-bit state, every output well mixed, the same on every
// platform and compiler.
uint64_t Draw(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// "<seed>:<n>", two decimal numbers, n at least 1. Anything else leaves the
// mode off; a text that is not empty is told once, on stderr, since an
// integrator who set it expects failures.
void Configure(const char* text) {
    g_mode.oneIn = 0;
    if (!*text)
        return;
    unsigned long long seed = 0, oneIn = 0;
    const char* end = text;
    const bool seedOk = ReadDecimal(text, seed, end) && *end == ':';
    if (!seedOk || !ReadDecimal(end + 1, oneIn, end) || *end != '\0' || oneIn == 0 ||
        std::strlen(text) >= sizeof g_mode.setting) {
        std::fprintf(stderr,
                     "Kelvast stand-in: KELVAST_FAULTS=\"%s\" is not <seed>:<n>; no "
                     "faults\n",
                     g_mode.setting);
        return;
    }
    g_mode.state = seed;
    g_mode.oneIn = oneIn;
}

} // namespace

std::optional<Fault> NextFault(bool bReadSetting) {
    if (const char* setting =
            bReadSetting ? ChangedSetting("KELVAST_FAULTS", g_mode.setting) : nullptr)
        Configure(setting);
    if (g_mode.oneIn == 0)
        return std::nullopt;
    const uint64_t draw = Draw(g_mode.state);
    if (draw % g_mode.oneIn != 0)
        return std::nullopt;
    static const int kResults[] = {0, -1, 2};
    return Fault{kResults[(draw >> 32) % 3], static_cast<uint32_t>(draw >> 40)};
}
