// The enumeration interface against direct calls of the storage interface,
// in the same run, over a storage stub that costs next to nothing (so the
// ratio shows everything the interface adds), and the heap allocations of
// each enumeration call. Prints a piece of Markdown for the report on
// stdout, Google Benchmark's own table on stderr; takes Google Benchmark's
// options (--benchmark_filter=..., --benchmark_out=...).
#include "browse_state.h"
#include "kelvast.h"
#include "paired.h"
#include "stub_storage.h"
#include "afxstr.h"
#include "tavorin.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// B: to Z: present: the device walk probes 25 drives.
const uint32_t kAllDrives = 0x03FFFFFFu;
const int kDeviceProbes = 25 + 8; // B:-Z:, and 0:-9: less the two marked failed

void MarkFailed(std::initializer_list<const char*> numbers) {
    CStringList list;
    for (const char* n : numbers)
        list.AddTail(n);
    StoreFailedConnections(list);
}

void AreaWalkDirect() {
    char name[AT_AREA_NAME_SIZE];
    g_calls = 1;
    for (int mode = 0; at_lookup_storage_areas(name, "C:*", mode) == 1; mode = 1, ++g_calls)
        g_sink += name[0];
}

void DeviceWalk() {
    g_calls = 1;
    for (char* d = ListFirstDevice(".", LF_LOCAL_DRIVES); d; d = ListNextDevice(), ++g_calls)
        g_sink += d[0];
}
// The same counts, with patterns a caller would have ready.
char g_patterns[kDeviceProbes][4];
void DeviceWalkDirect() {
    for (const char* p : g_patterns) {
        at_count_t count = 0;
        if (at_count_storage_areas(p, &count) == 1 && count != 0)
            g_sink += p[0];
    }
}

void TypeWalk() {
    int code = 0;
    g_calls = 1;
    for (char* t = ListFirstType(&code); t; t = ListNextType(&code), ++g_calls)
        g_sink += code + t[0];
}
void TypeWalkDirect() {
    int code = 0;
    unsigned row = 0;
    for (char* t = StubTypeRow(row++, &code); t; t = StubTypeRow(row++, &code))
        g_sink += code + t[0];
}

void ItemWalkDirect() {
    char name[AT_ITEM_NAME_SIZE];
    for (int mode = 0; at_lookup_data(9, "C:BIG", name, "*", mode) == 1; mode = 1)
        g_sink += name[0] + atc_data_size + atc_last_mod_time;
}

// Walks of the device family also count the storage calls they make.
void TimeDeviceWalks(benchmark::State& state, void (*walk)(), int calls) {
    const long before = g_stubCounts;
    TimeWalks(state, walk, calls);
    state.counters["storage calls"] = benchmark::Counter(static_cast<double>(g_stubCounts - before),
                                                         benchmark::Counter::kAvgIterations);
}

struct Family {
    std::string name;
    const char* label;
    void (*walk)();
    void (*direct)();
    const char* baseline;
    int calls; // interface calls of one walk
};

const int kRounds = 21;
const double kMinTime = 0.01; // seconds of CPU time per round and side

} // namespace

uint32_t PlatformLogicalDrives() {
    return kAllDrives;
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    StubStorageInit();
    int n = 0;
    for (int i = 1; i < 26; ++i)
        std::snprintf(g_patterns[n++], 4, "%c:*", 'A' + i);
    for (char d = '0'; d <= '9'; ++d)
        if (d != '3' && d != '7')
            std::snprintf(g_patterns[n++], 4, "%c:*", d);
    MarkFailed({"3", "7"});

    // One-time work, outside every timing: the connection and the loading
    // of the type names (which reads the string resources).
    g_allocations = 0;
    g_countAllocations = true;
    CountAreas("C:");
    g_countAllocations = false;
    const long connectAllocations = g_allocations;
    g_allocations = 0;
    g_countAllocations = true;
    int code;
    ListFirstType(&code);
    g_countAllocations = false;
    const long typeLoadAllocations = g_allocations;
    for (int row = 0; row < kTypeCount; ++row)
        StubSetTypeRow(row, g_browse.typeTable[row].name, g_browse.typeTable[row].typeCode);

    Family families[] = {
        {"areas", "areas (1,000)", AreaWalk, AreaWalkDirect, "`at_lookup_storage_areas`", 0},
        {"devices", "devices (33 probes)", DeviceWalk, DeviceWalkDirect,
         "33 `at_count_storage_areas`", 0},
        {"types", "types (24)", TypeWalk, TypeWalkDirect,
         "an opaque call per row of a copy of the table", 0},
        {"items", "items (10,000)", ItemWalk, ItemWalkDirect, "`at_lookup_data`", 0},
    };
    for (Family& f : families) {
        f.walk();
        f.calls = g_calls;
    }
    // A family's rounds run back to back, so that whatever the walk before
    // left behind weighs on its first round only, not on one side of every
    // pair.
    for (const Family& f : families)
        for (int round = 0; round < kRounds; ++round) {
            const auto time = f.walk == DeviceWalk ? TimeDeviceWalks : TimeWalks;
            benchmark::RegisterBenchmark((f.name + "/interface").c_str(), time, f.walk, f.calls)
                ->MinTime(kMinTime);
            benchmark::RegisterBenchmark((f.name + "/direct").c_str(), time, f.direct, f.calls)
                ->MinTime(kMinTime);
        }
    PairReporter results;
    benchmark::RunSpecifiedBenchmarks(&results);
    benchmark::Shutdown();

    std::printf("| family | baseline | interface ns/call | direct ns/call | added ns/call | "
                "ratio | within 1.05x | heap allocations per call |\n"
                "|---|---|---|---|---|---|---|---|\n");
    for (const Family& f : families) {
        // A device walk is compared whole: its calls differ in number from
        // the storage calls it makes.
        const bool device = f.walk == DeviceWalk;
        const double calls = device ? 1 : f.calls;
        const PairReporter::Pair p =
            results.Compare(f.name + "/interface", calls, f.name + "/direct", calls);
        if (!p.measured)
            continue;
        const double added = device ? (p.a - p.b) / kDeviceProbes : p.a - p.b;
        std::printf("| %s | %s | %.1f%s | %.1f%s | %.1f%s | %.3f | %s | %.3g |\n", f.label,
                    f.baseline, p.a, device ? " per walk" : "", p.b, device ? " per walk" : "",
                    added, device ? " per probe" : "", p.ratio, Verdict(p.ratio, 1.05),
                    results.Counter(f.name + "/interface", "allocs/call"));
    }
    std::printf("\nDevice walk (drives B: to Z: present, devices 3 and 7 marked failed, flags "
                "`LF_LOCAL_DRIVES`): **%.0f storage calls** (expected %d: 25 drives B: to Z: and "
                "8 unmarked numbered devices; A: and marked devices cost none).\n",
                results.Counter("devices/interface", "storage calls"), kDeviceProbes);
    std::printf("\nOne-time allocations, outside the figures above: first connection %ld, "
                "loading the 24 type names on the first `ListFirstType` %ld.\n",
                connectAllocations, typeLoadAllocations);
    return g_sink == 42 ? 1 : 0;
}
