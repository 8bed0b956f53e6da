// Timing and allocation counting shared by the native benchmarks.
//
// The machine running them is shared and noisy: each measurement runs the
// interface walk and its baseline alternately, round after round, and keeps
// the fastest round of each (interference only ever adds time) and the
// median of the paired ratios.
#ifndef BENCH_UTIL_H
#define BENCH_UTIL_H

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

// Heap allocations seen by malloc, calloc, realloc and aligned allocation
// (operator new goes through malloc) while counting is on.
extern long g_allocations;
extern bool g_countAllocations;

inline double ThreadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

struct Pair {
    double a = 0, b = 0; // best time per call, ns
    double ratio = 0;    // median of the rounds' a/b
};

// Runs a and b reps times each per round, alternately, for rounds rounds;
// callsA and callsB are the calls one run makes, to give time per call.
inline Pair Compare(const std::function<void()>& a, double callsA, const std::function<void()>& b,
                    double callsB, int reps, int rounds = 21) {
    std::vector<double> ta, tb, ratios;
    for (int r = 0; r < rounds; ++r) {
        double t0 = ThreadCpuNs();
        for (int i = 0; i < reps; ++i)
            a();
        double t1 = ThreadCpuNs();
        for (int i = 0; i < reps; ++i)
            b();
        double t2 = ThreadCpuNs();
        ta.push_back((t1 - t0) / reps / callsA);
        tb.push_back((t2 - t1) / reps / callsB);
        ratios.push_back(ta.back() / tb.back());
    }
    std::sort(ratios.begin(), ratios.end());
    Pair p;
    p.a = *std::min_element(ta.begin(), ta.end());
    p.b = *std::min_element(tb.begin(), tb.end());
    p.ratio = ratios[ratios.size() / 2];
    return p;
}

// Allocations per call of fn, which makes calls calls.
inline double AllocationsPerCall(const std::function<void()>& fn, double calls) {
    g_allocations = 0;
    g_countAllocations = true;
    fn();
    g_countAllocations = false;
    return g_allocations / calls;
}

inline const char* Verdict(double ratio, double goal) {
    return ratio <= goal ? "yes" : "**no**";
}

#endif
