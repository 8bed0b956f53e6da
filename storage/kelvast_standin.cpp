// Stand-in for the suite's storage library: a store of folders and files.
//
//   <root>/<X>/                 device "X:" (a drive letter or digit)
//   <root>/NETWORK/             the network device, unless KELVAST_NETWORK
//                               names its folder (on a file server, say)
//   <root>/<X>/<area>/          a storage area
//   <root>/<X>/<area>/<code>/   the items of type <code>, one file each
//
// <root> is KELVAST_STORE, or "store" beside this library; where the library
// cannot read its own path, there is no store (never one of the current
// folder). Names that would not fit the caller's buffers are skipped, never
// cut. No exception leaves an exported function: a failure answers 0, as
// the real library's do.
//
// A walk lists its folder once, on mode 0, and hands out that listing: the
// store may change between calls without disturbing it. The listings'
// buffers are kept from walk to walk: once they have grown, a walk
// allocates only the paths its mode 0 call looks up.
//
// KELVAST_FAULTS=<seed>:<n> makes the library fail as the real one may
// (faults.h), KELVAST_LATENCY=<microseconds> makes it slow (latency.h): each
// call below begins with BeginCall. KELVAST_TRACE=<file> logs the item calls
// (trace.h).
#define KELVAST_BUILD
#include "kelvast.h"

#include "faults.h"
#include "latency.h"
#include "names.h"
#include "store_fs.h"
#include "trace.h"
#include "wildcard.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

int32_t atc_data_size = 0;
int32_t atc_last_mod_time = 0;

namespace {

const char kNetworkFolder[] = "NETWORK";

std::optional<StorePath> StoreRoot() {
    if (std::optional<StorePath> setting = PathSetting("KELVAST_STORE"))
        return setting;
    std::optional<StorePath> root = DefaultStoreRoot();
    static bool told = false;
    if (!root && !told) {
        told = true;
        std::fprintf(stderr, "Kelvast stand-in: cannot tell the full path of its own file and "
                             "KELVAST_STORE is not set; no store\n");
    }
    return root;
}

// A name that can only mean an entry of the folder itself: no separators,
// wildcards or drive colons, nothing the system would trim or read as
// "." and "..". Only such names are looked up by path; the others are
// compared with the folder's entries, so that no name reaches outside the
// store. The second byte of a double-byte character may be a "\\": it
// separates nothing.
bool PlainName(const char* name) {
    const size_t len = std::strlen(name);
    if (len == 0 || name[0] == '.' || name[len - 1] == '.' || name[len - 1] == ' ')
        return false;
    for (const char* p = name; *p; p = NextChar(p))
        if (std::strchr("/\\:*?\"<>|", *p))
            return false;
    return true;
}

// The path of folder's sub-folder named name, ignoring case. A plain name
// is tried by path first; where the file system ignores case, that answer
// is final.
std::optional<StorePath> FindFolder(const StorePath& folder, const char* name) {
    if (PlainName(name)) {
        StorePath path = ChildPath(folder, name);
        if (IsFolder(path))
            return path;
#if defined(_WIN32)
        return std::nullopt;
#endif
    }
    std::optional<StorePath> found;
    ListFolders(folder, [&](const char* entry) {
        if (!found && SameNameIgnoringCase(entry, name))
            found = ChildPath(folder, entry);
    });
    return found;
}

// The store root's sub-folder named name; nothing without a store.
std::optional<StorePath> FindInStore(const char* name) {
    const std::optional<StorePath> root = StoreRoot();
    return root ? FindFolder(*root, name) : std::nullopt;
}

// The network device's folder: where many workstations share one store it
// lives on a file server (a UNC path \\server\share on Windows).
std::optional<StorePath> FindNetworkFolder() {
    const std::optional<StorePath> setting = PathSetting("KELVAST_NETWORK");
    if (!setting)
        return FindInStore(kNetworkFolder);
    if (!IsFolder(*setting))
        return std::nullopt;
    return setting;
}

// The network device's name as at_set_network_str set it, and what
// at_get_network_str hands out: the answer lives until the next call.
struct Network {
    std::string name;
    std::string answer;
} g_network;

// The device named in front of the first colon of text ("X:..."), found in
// the store.
struct Device {
    StorePath folder;
    size_t prefixLength; // the name and its colon
};
std::optional<Device> FindDevice(const char* text) {
    const char* colon = FindChar(text, ':');
    const size_t length = colon ? static_cast<size_t>(colon - text) : 0;
    if (length == 0 || length >= AT_AREA_NAME_SIZE)
        return std::nullopt;
    const std::string name(text, length);
    const bool network =
        SameNameIgnoringCase(name.c_str(), kNetworkFolder) ||
        (!g_network.name.empty() && SameNameIgnoringCase(name.c_str(), g_network.name.c_str()));
    std::optional<StorePath> folder;
    if (network)
        folder = FindNetworkFolder();
    else if (length == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        folder = FindInStore(name.c_str());
    if (!folder)
        return std::nullopt;
    return Device{*folder, length + 1};
}

// Calls onArea with each area of the device named in "X:pattern" that
// matches and fits a caller's buffer with the "X:" in front; the length of
// that prefix, or nothing when the device does not exist.
template <typename OnArea> std::optional<size_t> ForEachArea(const char* pattern, OnArea onArea) {
    const std::optional<Device> device = FindDevice(pattern);
    if (!device)
        return std::nullopt;
    const size_t prefixLength = device->prefixLength;
    const char* areaPattern = pattern + prefixLength;
    ListFolders(device->folder, [&](const char* name) {
        if (prefixLength + std::strlen(name) < AT_AREA_NAME_SIZE &&
            WildcardMatch(areaPattern, name))
            onArea(name);
    });
    return prefixLength;
}

// Ignoring case as the item walk sorts, then exactly. A device holds few
// areas: folding at each comparison costs less than keeping the keys.
bool AreaBefore(const std::string& a, const std::string& b) {
    char keyA[AT_AREA_NAME_SIZE], keyB[AT_AREA_NAME_SIZE];
    FoldedKey(a.c_str(), keyA, sizeof keyA);
    FoldedKey(b.c_str(), keyB, sizeof keyB);
    const int c = std::strcmp(keyA, keyB);
    return c != 0 ? c < 0 : a < b;
}

// The storage interface keeps no handle: the walk a mode 0 call starts is
// the library's until the next mode 0 call, and each mode 1 call takes the
// next name from it.
struct AreaWalk {
    std::vector<std::string> names;
    size_t next = 0;
    char prefix[AT_AREA_NAME_SIZE] = ""; // "X:" in front of every name
    size_t prefixLength = 0;

    void End() {
        names.clear();
        next = 0;
    }

    // Every area of the device in "X:pattern" that matches, sorted.
    void Start(const char* pattern) {
        End();
        prefixLength = 0;
        const std::optional<size_t> length =
            ForEachArea(pattern, [&](const char* name) { names.emplace_back(name); });
        // A prefix that fills the caller's whole buffer leaves room for no
        // name, and none was listed.
        if (length && *length < sizeof prefix) {
            prefixLength = *length;
            std::memcpy(prefix, pattern, prefixLength);
            prefix[prefixLength] = '\0';
        }
        std::sort(names.begin(), names.end(), AreaBefore);
    }

    // The next name with its prefix into areaName; false at the end. Each
    // fits: checked when listed.
    bool Next(char* areaName) {
        if (next >= names.size())
            return false;
        const std::string& name = names[next++];
        std::memcpy(areaName, prefix, prefixLength);
        std::memcpy(areaName + prefixLength, name.c_str(), name.size() + 1);
        return true;
    }
} g_areaWalk;

struct ItemWalk {
    std::vector<StoreFile> files;
    std::vector<uint32_t> order; // indexes into files, sorted by name
    size_t next = 0;

    // Frees the listing: a million items hold 60 MB, which no caller needs
    // once the walk has handed out its last.
    void End() {
        files = {};
        order = {};
        next = 0;
    }

    // The items of "X:area" of one type matching pattern, sorted by name
    // ignoring case (then exactly).
    void Start(int typeCode, const char* itemPath, const char* pattern) {
        End();
        const std::optional<Device> device = FindDevice(itemPath);
        const char* area = itemPath + (device ? device->prefixLength : 0);
        if (!device || !*area)
            return;
        const std::optional<StorePath> folder = FindFolder(device->folder, area);
        if (!folder)
            return;
        char code[16];
        std::snprintf(code, sizeof code, "%d", typeCode);
        ListFiles(ChildPath(*folder, code), pattern, files);

        // Keys and indexes side by side: the sort's compares stay in the
        // cache, where through indexes each key of a million items was a
        // miss (a fifth of a native walk). Zero-padded keys compare whole.
        struct Sorted {
            char key[AT_ITEM_NAME_SIZE];
            uint32_t index;
        };
        std::vector<Sorted> sorted(files.size());
        for (uint32_t i = 0; i < files.size(); ++i) {
            FoldedKey(files[i].name, sorted[i].key, sizeof sorted[i].key);
            sorted[i].index = i;
        }
        std::sort(sorted.begin(), sorted.end(), [&](const Sorted& a, const Sorted& b) {
            const int c = std::memcmp(a.key, b.key, sizeof a.key);
            return c != 0 ? c < 0 : std::strcmp(files[a.index].name, files[b.index].name) < 0;
        });
        order.reserve(sorted.size());
        for (const Sorted& s : sorted)
            order.push_back(s.index);
    }

    const StoreFile* Next() {
        if (next < order.size())
            return &files[order[next++]];
        End();
        return nullptr;
    }
} g_itemWalk;

// Runs body; an exception (out of memory) answers onFailure instead.
template <typename Body, typename Result> Result Guarded(Body body, Result onFailure) {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

// A failed call may leave anything in an output; this one leaves a name a
// caller would show if it used the output of a failed call.
void LeaveJunk(char* buffer, size_t size, const Fault& fault) {
    if (buffer && fault.variant % 2)
        std::snprintf(buffer, size, "FAULT%u", static_cast<unsigned>(fault.variant % 1000));
}

// Every exported call begins here: it takes the slow mode's time, then
// learns whether it is to fail. A walk's next step (mode 1) keeps the
// settings its walk began with.
std::optional<Fault> BeginCall(int mode = 0) {
    WaitLatency(mode != 1);
    return NextFault(mode != 1);
}

} // namespace

extern "C" {

int at_connect_to_network(void) {
    if (const std::optional<Fault> fault = BeginCall())
        return fault->result;
    return Guarded([] { return FindNetworkFolder() ? 1 : 0; }, 0);
}

int at_set_network_str(const char* text) {
    if (const std::optional<Fault> fault = BeginCall())
        return fault->result;
    if (!text)
        return 0;
    return Guarded(
        [text] {
            g_network.name = text;
            return 1;
        },
        0);
}

// A failure answers null or an empty name.
char* at_get_network_str(const char* computer, int flags) {
    (void)computer;
    (void)flags;
    const std::optional<Fault> fault = BeginCall();
    if (g_network.name.empty() || (fault && fault->variant % 2))
        return nullptr;
    return Guarded(
        [&fault] {
            g_network.answer = fault ? "" : g_network.name + ":";
            return &g_network.answer[0];
        },
        static_cast<char*>(nullptr));
}

int at_count_storage_areas(const char* pattern, at_count_t* count) {
    if (const std::optional<Fault> fault = BeginCall()) {
        if (count && fault->variant % 2)
            *count = fault->variant; // never to be read after a failure
        return fault->result;
    }
    if (!pattern || !count)
        return 0;
    return Guarded(
        [&] {
            at_count_t n = 0;
            ForEachArea(pattern, [&](const char*) { ++n; });
            *count = n;
            return 1;
        },
        0);
}

// A failure ends the walk: the caller sees it end early.
int at_lookup_storage_areas(char* areaName, const char* pattern, int mode) {
    if (const std::optional<Fault> fault = BeginCall(mode)) {
        g_areaWalk.End();
        LeaveJunk(areaName, AT_AREA_NAME_SIZE, *fault);
        return fault->result;
    }
    if (!areaName || !pattern)
        return 0;
    if (mode == 0) {
        const bool listed = Guarded(
            [&] {
                g_areaWalk.Start(pattern);
                return true;
            },
            false);
        if (!listed) {
            g_areaWalk.End();
            return 0;
        }
    } else if (mode != 1) {
        return 0;
    }
    return g_areaWalk.Next(areaName) ? 1 : 0;
}

int at_lookup_data(int typeCode, const char* itemPath, char* itemName, const char* pattern,
                   int mode) {
    TraceItemCall(mode, pattern);
    if (const std::optional<Fault> fault = BeginCall(mode)) {
        g_itemWalk.End();
        LeaveJunk(itemName, AT_ITEM_NAME_SIZE, *fault);
        atc_data_size = -1;
        atc_last_mod_time = -1;
        return fault->result;
    }
    if (!itemPath || !itemName || !pattern)
        return 0;
    if (mode == 0) {
        const bool listed = Guarded(
            [&] {
                g_itemWalk.Start(typeCode, itemPath, pattern);
                return true;
            },
            false);
        if (!listed) {
            g_itemWalk.End();
            return 0;
        }
    } else if (mode != 1)
        return 0;
    const StoreFile* item = g_itemWalk.Next();
    if (!item)
        return 0;
    std::memcpy(itemName, item->name, sizeof item->name);
    atc_data_size = item->size;
    atc_last_mod_time = item->modTime;
    return 1;
}

} // extern "C"
