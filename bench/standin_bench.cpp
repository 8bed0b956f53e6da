// The stand-in storage library over a real folder: its item walk against a
// plain listing of the same folder, and the enumeration interface against
// direct calls of the stand-in, in the same run. Prints Markdown.
//   standin_bench <scratch folder>   (the store is laid out there once)
#include "bench_util.h"
#include "kelvast.h"
#include "tavorin.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const int kItems = 10000;
const int kAreas = 1000;
long g_sink = 0;
std::string g_itemFolder;
int g_calls = 0;

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
    for (int i = 0; i < kItems; ++i) {
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

void ItemWalk() {
    g_calls = 1;
    for (char* i = ListFirstItem("C:", "BIG", 9, "*"); i; i = ListNextItem(), ++g_calls)
        g_sink += i[0] + atc_data_size + atc_last_mod_time;
}
void AreaWalk() {
    g_calls = 1;
    for (char* a = ListFirstArea("C:"); a; a = ListNextArea(), ++g_calls)
        g_sink += a[0];
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

} // namespace

int main(int argc, char** argv) {
    const std::string root = argc > 1 ? argv[1] : "standin-store";
    g_itemFolder = root + "/C/BIG/9";
    if (!MakeStore(root)) {
        std::fprintf(stderr, "cannot lay out the store in %s\n", root.c_str());
        return 2;
    }
    setenv("KELVAST_STORE", root.c_str(), 1);
    StoreItemWalk();
    if (g_calls != kItems + 1) {
        std::fprintf(stderr, "the stand-in listed %d items, not %d\n", g_calls - 1, kItems);
        return 1;
    }

    std::printf("| walk over the stand-in | interface ms | direct stand-in ms | ratio | within "
                "1.05x |\n|---|---|---|---|---|\n");
    struct {
        const char* name;
        void (*walk)();
        void (*direct)();
        int reps;
    } const families[] = {
        {"areas (1,000 folders)", AreaWalk, AreaWalkDirect, 3},
        {"devices (C: and 0: to 9:)", DeviceWalk, DeviceWalkDirect, 20},
        {"items (10,000 files)", ItemWalk, StoreItemWalk, 2},
    };
    for (const auto& f : families) {
        const Pair p = Compare(f.walk, 1, f.direct, 1, f.reps, 11);
        std::printf("| %s | %.3f | %.3f | %.3f | %s |\n", f.name, p.a / 1e6, p.b / 1e6, p.ratio,
                    Verdict(p.ratio, 1.05));
    }

    const Pair sized = Compare(StoreItemWalk, 1, ListWithSizes, 1, 2, 11);
    const Pair names = Compare(StoreItemWalk, 1, ListNames, 1, 2, 11);
    StoreItemWalk();
    const double walkAllocs = AllocationsPerCall(StoreItemWalk, g_calls);
    std::printf("\nStand-in item walk of one folder of %d files (`at_lookup_data` from mode 0 to "
                "the end, sorted, with size and time) against a plain listing of the same "
                "folder:\n\n| baseline | stand-in ms | listing ms | ratio | within 1.5x |\n"
                "|---|---|---|---|---|\n",
                kItems);
    std::printf("| `readdir` + `fstatat` per file (names, sizes, times: what the walk hands "
                "out) | %.3f | %.3f | %.3f | %s |\n",
                sized.a / 1e6, sized.b / 1e6, sized.ratio, Verdict(sized.ratio, 1.5));
    std::printf("| `readdir` alone (names only) | %.3f | %.3f | %.3f | %s |\n", names.a / 1e6,
                names.b / 1e6, names.ratio, Verdict(names.ratio, 1.5));
    std::printf("\nStand-in heap allocations per `at_lookup_data` call over a whole walk: %.4f "
                "(%.0f in all for %d calls).\n",
                walkAllocs, walkAllocs * g_calls, g_calls);
    return g_sink == 42 ? 1 : 0;
}
