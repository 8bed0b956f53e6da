// The stand-in storage library over a real folder: its item walk against a
// plain listing of the same folder, and the enumeration interface against
// direct calls of the stand-in, in the same run. Prints Markdown on stdout,
// Google Benchmark's own table on stderr.
//   standin_bench [--benchmark_...] [--items n] <scratch folder>
// The store is laid out there once, with n item files (10,000 unless told).
#include "kelvast.h"
#include "paired.h"
#include "tavorin.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int g_items = 10000;
const int kAreas = 1000;
std::string g_itemFolder;

bool MakeStore(const std::string& root) {
    const std::string ready = root + "/.ready";
    if (access(ready.c_str(), F_OK) == 0)
        return true;
    mkdir(root.c_str(), 0755);
    mkdir((root + "/C").c_str(), 0755);
    char name[64];
    for (int i = 0; i < kAreas; ++i) {
        std::snprintf(name, sizeof name, "/C/AREA%04d", i);
        mkdir((root + name).c_str(), 0755);
    }
    mkdir((root + "/C/BIG").c_str(), 0755);
    mkdir(g_itemFolder.c_str(), 0755);
    for (int i = 0; i < g_items; ++i) {
        std::snprintf(name, sizeof name, "/ITEM%05d", i);
        const int fd = open((g_itemFolder + name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return false;
        if (write(fd, name, static_cast<size_t>(i % 7)) < 0)
            return false;
        close(fd);
    }
    const int fd = open(ready.c_str(), O_CREAT | O_WRONLY, 0644);
    close(fd);
    return fd >= 0;
}

void StoreItemWalk() {
    char name[AT_ITEM_NAME_SIZE];
    g_calls = 1;
    for (int mode = 0; at_lookup_data(9, "C:BIG", name, "*", mode) == 1; mode = 1, ++g_calls)
        g_sink += name[0] + atc_data_size + atc_last_mod_time;
}
void ListNames() {
    DIR* dir = opendir(g_itemFolder.c_str());
    while (const dirent* e = readdir(dir))
        g_sink += e->d_name[0];
    closedir(dir);
}
// What `ls -l` does: each name with its size and time.
void ListWithSizes() {
    DIR* dir = opendir(g_itemFolder.c_str());
    const int fd = dirfd(dir);
    while (const dirent* e = readdir(dir)) {
        struct stat st;
        if (e->d_name[0] != '.' && fstatat(fd, e->d_name, &st, 0) == 0)
            g_sink += e->d_name[0] + st.st_size + st.st_mtime;
    }
    closedir(dir);
}

void AreaWalkDirect() {
    char name[AT_AREA_NAME_SIZE];
    for (int mode = 0; at_lookup_storage_areas(name, "C:*", mode) == 1; mode = 1)
        g_sink += name[0];
}
// On Linux the device walk probes C: and the ten numbered devices.
void DeviceWalk() {
    for (char* d = ListFirstDevice(".", LF_LOCAL_DRIVES); d; d = ListNextDevice())
        g_sink += d[0];
}
void DeviceWalkDirect() {
    static const char* const patterns[] = {"C:*", "0:*", "1:*", "2:*", "3:*", "4:*",
                                           "5:*", "6:*", "7:*", "8:*", "9:*"};
    for (const char* p : patterns) {
        at_count_t count = 0;
        if (at_count_storage_areas(p, &count) == 1 && count != 0)
            g_sink += p[0];
    }
}

// Two walks compared, a against b, each a benchmark named name/aName and
// name/bName.
struct Family {
    std::string name;
    const char* label;
    void (*a)();
    const char* aName;
    void (*b)();
    const char* bName;
    int reps; // walks per round and side

    std::string A() const { return name + "/" + aName; }
    std::string B() const { return name + "/" + bName; }
};

// Rounds are short, a few milliseconds: a long run of one walk slows the file
// system calls of the run after it (the stand-in's walk ran half as slow
// again after 100 ms of `readdir` alone), which long rounds would charge to
// one side of a pair.
const int kRounds = 11;

void Register(const std::string& name, void (*walk)(), int reps) {
    // Each walk counts as one call here but for the allocations of the
    // stand-in's item walk, reported per `at_lookup_data` call.
    const int calls = walk == StoreItemWalk ? g_items + 1 : 1;
    benchmark::RegisterBenchmark(name.c_str(), TimeWalks, walk, calls)->Iterations(reps);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc > 3 && std::string(argv[1]) == "--items")
        g_items = std::atoi(argv[2]), argv += 2, argc -= 2;
    const std::string root = argc > 1 ? argv[1] : "standin-store";
    g_itemFolder = root + "/C/BIG/9";
    if (!MakeStore(root)) {
        std::fprintf(stderr, "cannot lay out the store in %s\n", root.c_str());
        return 2;
    }
    setenv("KELVAST_STORE", root.c_str(), 1);
    StoreItemWalk();
    if (g_calls != g_items + 1) {
        std::fprintf(stderr, "the stand-in listed %d items, not %d\n", g_calls - 1, g_items);
        return 1;
    }

    const std::string itemsLabel = "items (" + std::to_string(g_items) + " files)";
    const int itemReps = g_items > 10000 ? 1 : 2; // a walk of 100,000 is round enough
    const std::vector<Family> walks = {
        {"areas", "areas (1,000 folders)", AreaWalk, "interface", AreaWalkDirect, "stand-in", 10},
        {"devices", "devices (C: and 0: to 9:)", DeviceWalk, "interface", DeviceWalkDirect,
         "stand-in", 20},
        {"items", itemsLabel.c_str(), ItemWalk, "interface", StoreItemWalk, "stand-in", itemReps},
    };
    const std::vector<Family> listings = {
        {"sized", "`readdir` + `fstatat` per file (names, sizes, times: what the walk hands out)",
         StoreItemWalk, "stand-in", ListWithSizes, "readdir+fstatat", itemReps},
        {"names", "`readdir` alone (names only)", StoreItemWalk, "stand-in", ListNames, "readdir",
         itemReps},
    };
    // A family's rounds run back to back, so that whatever the walk before
    // left behind (caches, the file system's state) weighs on its first
    // round only, not on one side of every pair.
    for (const auto* families : {&walks, &listings})
        for (const Family& f : *families)
            for (int round = 0; round < kRounds; ++round) {
                Register(f.A(), f.a, f.reps);
                Register(f.B(), f.b, f.reps);
            }
    PairReporter results;
    benchmark::RunSpecifiedBenchmarks(&results);
    benchmark::Shutdown();

    const auto rows = [&results](const std::vector<Family>& families, double goal) {
        for (const Family& f : families) {
            const PairReporter::Pair p = results.Compare(f.A(), 1, f.B(), 1);
            if (p.measured)
                std::printf("| %s | %.3f | %.3f | %.3f | %s |\n", f.label, p.a / 1e6, p.b / 1e6,
                            p.ratio, Verdict(p.ratio, goal));
        }
    };
    std::printf("| walk over the stand-in | interface ms | direct stand-in ms | ratio | within "
                "1.05x |\n|---|---|---|---|---|\n");
    rows(walks, 1.05);
    std::printf("\nStand-in item walk of one folder of %d files (`at_lookup_data` from mode 0 to "
                "the end, sorted, with size and time) against a plain listing of the same "
                "folder:\n\n| baseline | stand-in ms | listing ms | ratio | within 1.5x |\n"
                "|---|---|---|---|---|\n",
                g_items);
    rows(listings, 1.5);
    const double walkAllocs = results.Counter("sized/stand-in", "allocs/call");
    std::printf("\nStand-in heap allocations per `at_lookup_data` call over a whole walk: %.4f "
                "(%.0f in all for %d calls).\n",
                walkAllocs, walkAllocs * (g_items + 1), g_items + 1);
    return g_sink == 42 ? 1 : 0;
}
