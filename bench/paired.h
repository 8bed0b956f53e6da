// Google Benchmark glue shared by the native benchmarks: walks timed with
// their heap allocations, interface and baseline registered to run
// alternately, and the ratios of each pair taken from the same run.
//
// The machine running them is shared and noisy: each pair runs round after
// round, interface then baseline; a side's figure is its fastest round
// (interference only ever adds time), a pair's ratio the median of the
// rounds' ratios.
#ifndef BENCH_PAIRED_H
#define BENCH_PAIRED_H

#include "kelvast.h"
#include "tavorin.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

// Heap allocations seen by malloc, calloc, realloc and aligned allocation
// (operator new goes through malloc) while counting is on.
extern long g_allocations;
extern bool g_countAllocations;

// What the walks read goes here, so that no walk is optimised away; g_calls
// is how many interface or storage calls the last walk made.
inline long g_sink = 0;
inline int g_calls = 0;

// The walks both benchmarks' stores serve alike, through the interface:
// the areas of C:, the items of C:BIG.
inline void ItemWalk() {
    g_calls = 1;
    for (char* i = ListFirstItem("C:", "BIG", 9, "*"); i; i = ListNextItem(), ++g_calls)
        g_sink += i[0] + atc_data_size + atc_last_mod_time;
}

inline void AreaWalk() {
    g_calls = 1;
    for (char* a = ListFirstArea("C:"); a; a = ListNextArea(), ++g_calls)
        g_sink += a[0];
}

// One walk per iteration; calls is the number of calls a walk makes, to give
// heap allocations per call.
inline void TimeWalks(benchmark::State& state, void (*walk)(), int calls) {
    g_allocations = 0;
    g_countAllocations = true;
    for (auto _ : state)
        walk();
    g_countAllocations = false;
    state.counters["allocs/call"] = benchmark::Counter(static_cast<double>(g_allocations) / calls,
                                                       benchmark::Counter::kAvgIterations);
}

// Whether a run measured nothing (it failed or was skipped). Google
// Benchmark 1.8 replaced Run::error_occurred with Run::skipped: the member
// this version has is the one read.
template <class Run>
auto Unmeasured(const Run& run, int) -> decltype(static_cast<bool>(run.skipped)) {
    return static_cast<bool>(run.skipped);
}
template <class Run> bool Unmeasured(const Run& run, long) {
    return run.error_occurred;
}

// Prints Google Benchmark's own table on stderr and keeps every run's figures
// for the pairs.
class PairReporter : public benchmark::ConsoleReporter {
  public:
    PairReporter() : ConsoleReporter(OO_Tabular) {
        SetOutputStream(&std::cerr);
        SetErrorStream(&std::cerr);
    }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!Unmeasured(run, 0) && run.run_type == Run::RT_Iteration)
                runs_[run.run_name.function_name].push_back(run);
        ConsoleReporter::ReportRuns(runs);
    }

    struct Pair {
        bool measured = false;
        double a = 0, b = 0; // best CPU time per call, ns
        double ratio = 0;    // median of the rounds' a/b
    };
    // a and b are benchmark names; callsA and callsB the calls an iteration
    // of each makes.
    Pair Compare(const std::string& a, double callsA, const std::string& b, double callsB) const {
        const std::vector<double> ta = PerCall(a, callsA), tb = PerCall(b, callsB);
        Pair p;
        const size_t rounds = std::min(ta.size(), tb.size());
        if (rounds == 0)
            return p;
        std::vector<double> ratios;
        for (size_t r = 0; r < rounds; ++r)
            ratios.push_back(ta[r] / tb[r]);
        std::sort(ratios.begin(), ratios.end());
        p.measured = true;
        p.a = *std::min_element(ta.begin(), ta.end());
        p.b = *std::min_element(tb.begin(), tb.end());
        p.ratio = ratios[rounds / 2];
        return p;
    }
    // A user counter of the last run of benchmark name.
    double Counter(const std::string& name, const std::string& counter) const {
        const auto runs = runs_.find(name);
        if (runs == runs_.end())
            return 0;
        const auto c = runs->second.back().counters.find(counter);
        return c == runs->second.back().counters.end() ? 0 : c->second.value;
    }

  private:
    std::vector<double> PerCall(const std::string& name, double calls) const {
        std::vector<double> ns;
        const auto runs = runs_.find(name);
        if (runs != runs_.end())
            for (const Run& run : runs->second)
                ns.push_back(run.cpu_accumulated_time * 1e9 / run.iterations / calls);
        return ns;
    }
    std::map<std::string, std::vector<Run>> runs_;
};

inline const char* Verdict(double ratio, double goal) {
    return ratio <= goal ? "yes" : "**no**";
}

#endif
