// Each walk through the enumeration interface against the same walk made
// directly on the recording fake storage, in the same run; the ratios are
// printed at the end. The fake records every call, as text, on both sides.
#include "browse_state.h"
#include "fake_kelvast.h"
#include "kelvast.h"
#include "tavorin.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

uint32_t g_driveMask = 1u << 2; // the drive mask seam below reads it

namespace {

// B: to Z: present, so the device walk probes 25 drives.
const uint32_t kAllDrives = 0x03FFFFFFu;
const int kAreas = 1000;
const int kItems = 10000;

// The fake keeps every call it records; forget them between iterations,
// outside the timing, so memory stays flat. Scripts are kept.
void ForgetCalls(benchmark::State& state, void (*script)()) {
    state.PauseTiming();
    fake_reset();
    script();
    state.ResumeTiming();
}

void ScriptAreas() {
    for (int i = 0; i < kAreas; ++i)
        fake_add_area("C:*", ("C:AREA" + std::to_string(i)).c_str());
}

void ScriptDevices() {
    // Every other drive and numbered device holds areas.
    for (int i = 1; i < 26; i += 2)
        fake_add_area((std::string(1, static_cast<char>('A' + i)) + ":*").c_str(), "AREA");
    for (char d = '0'; d <= '9'; d += 2)
        fake_add_area((std::string(1, d) + ":*").c_str(), "AREA");
}

void ScriptItems() {
    for (int i = 0; i < kItems; ++i)
        fake_add_item("C:BIG", 9, ("ITEM" + std::to_string(i)).c_str(), i, 1000000000 + i);
}

void MarkFailed(std::initializer_list<const char*> numbers) {
    CStringList list;
    for (const char* n : numbers)
        list.AddTail(n);
    StoreFailedConnections(list);
}

// Areas: ListFirstArea/ListNextArea against at_lookup_storage_areas.
void BM_AreaWalk_Interface(benchmark::State& state) {
    for (auto _ : state) {
        ForgetCalls(state, ScriptAreas);
        int n = 0;
        for (char* a = ListFirstArea("C:"); a; a = ListNextArea())
            ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kAreas);
}
void BM_AreaWalk_Direct(benchmark::State& state) {
    char name[AT_AREA_NAME_SIZE];
    for (auto _ : state) {
        ForgetCalls(state, ScriptAreas);
        int n = 0;
        for (int mode = 0; at_lookup_storage_areas(name, "C:*", mode) == 1; mode = 1)
            ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kAreas);
}

// Devices: a walk with drives B: to Z: present and devices 3 and 7 marked
// failed, against the same counts made directly.
void BM_DeviceWalk_Interface(benchmark::State& state) {
    g_driveMask = kAllDrives;
    MarkFailed({"3", "7"});
    int calls = 0;
    for (auto _ : state) {
        ForgetCalls(state, ScriptDevices);
        int n = 0;
        for (char* d = ListFirstDevice(".", LF_LOCAL_DRIVES); d; d = ListNextDevice())
            ++n;
        benchmark::DoNotOptimize(n);
        calls = fake_count_calls("count ");
    }
    state.counters["storage_calls"] = calls;
    state.counters["expected_calls"] = 25 + 8; // present B:-Z:, unmarked 0:-9:
}
void BM_DeviceWalk_Direct(benchmark::State& state) {
    std::vector<std::string> patterns;
    for (int i = 1; i < 26; ++i)
        patterns.push_back(std::string(1, static_cast<char>('A' + i)) + ":*");
    for (char d = '0'; d <= '9'; ++d)
        if (d != '3' && d != '7')
            patterns.push_back(std::string(1, d) + ":*");
    for (auto _ : state) {
        ForgetCalls(state, ScriptDevices);
        int n = 0;
        for (const std::string& p : patterns) {
            at_count_t count = 0;
            n += at_count_storage_areas(p.c_str(), &count) == 1 && count != 0;
        }
        benchmark::DoNotOptimize(n);
    }
}

// Types touch no storage: the walk against reading a table of the same 24
// rows directly.
void BM_TypeWalk_Interface(benchmark::State& state) {
    for (auto _ : state) {
        int code = 0, sum = 0;
        for (char* t = ListFirstType(&code); t; t = ListNextType(&code))
            sum += code + t[0];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 24);
}
void BM_TypeWalk_Direct(benchmark::State& state) {
    static ItemTypeEntry table[kTypeCount];
    for (int i = 0; i < kTypeCount; ++i)
        table[i] = g_browse.typeTable[i];
    for (auto _ : state) {
        int sum = 0;
        for (const ItemTypeEntry& row : table) {
            benchmark::DoNotOptimize(row);
            sum += row.typeCode + row.name[0];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 24);
}

// Items: 10,000 items through ListFirstItem/ListNextItem against
// at_lookup_data.
void BM_ItemWalk_Interface(benchmark::State& state) {
    for (auto _ : state) {
        ForgetCalls(state, ScriptItems);
        int n = 0;
        for (char* i = ListFirstItem("C:", "BIG", 9, "*"); i; i = ListNextItem())
            n += atc_data_size & 1;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
void BM_ItemWalk_Direct(benchmark::State& state) {
    char name[AT_ITEM_NAME_SIZE];
    for (auto _ : state) {
        ForgetCalls(state, ScriptItems);
        int n = 0;
        for (int mode = 0; at_lookup_data(9, "C:BIG", name, "*", mode) == 1; mode = 1)
            n += atc_data_size & 1;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

BENCHMARK(BM_AreaWalk_Interface);
BENCHMARK(BM_AreaWalk_Direct);
BENCHMARK(BM_DeviceWalk_Interface);
BENCHMARK(BM_DeviceWalk_Direct);
BENCHMARK(BM_TypeWalk_Interface);
BENCHMARK(BM_TypeWalk_Direct);
BENCHMARK(BM_ItemWalk_Interface);
BENCHMARK(BM_ItemWalk_Direct);

// Console output as usual, and each walk's time kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                times[run.benchmark_name()] = run.GetAdjustedCPUTime();
            auto calls = run.counters.find("storage_calls");
            if (calls != run.counters.end())
                deviceCalls = static_cast<int>(calls->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    int deviceCalls = -1;
};

} // namespace

uint32_t PlatformLogicalDrives() {
    return g_driveMask;
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fake_reset();
    CountAreas("C:"); // the one-time connection, outside every timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios, interface time / direct fake walk time (CPU):\n");
    for (const char* walk : {"AreaWalk", "DeviceWalk", "TypeWalk", "ItemWalk"}) {
        const std::string base = std::string("BM_") + walk;
        auto a = reporter.times.find(base + "_Interface");
        auto b = reporter.times.find(base + "_Direct");
        if (a != reporter.times.end() && b != reporter.times.end() && b->second > 0)
            std::printf("  %-10s %.3f\n", walk, a->second / b->second);
    }
    if (reporter.deviceCalls >= 0)
        std::printf("device walk storage calls: %d (expected %d: 25 present drives B:-Z: + 8 "
                    "unmarked numbered devices)\n",
                    reporter.deviceCalls, 25 + 8);
    benchmark::Shutdown();
    return 0;
}
