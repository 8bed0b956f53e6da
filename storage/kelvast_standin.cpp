// Stand-in for the suite's storage library: a store of folders and files.
//
//   <root>/<X>/                 device "X:" (a drive letter or digit)
//   <root>/NETWORK/             the network device, unless KELVAST_NETWORK
//                               names its folder (on a file server, say)
//   <root>/<X>/<area>/          a storage area
//   <root>/<X>/<area>/<code>/   the items of type <code>, one file each
//
// <root> is KELVAST_STORE, or "store" beside this library. Names that would
// not fit the caller's buffers are skipped, never cut. No exception leaves
// an exported function: a failure answers 0, as the real library's do.
//
// A walk lists its folder once, on mode 0, and hands out that listing: the
// store may change between calls without disturbing it. Buffers are kept
// from walk to walk, so that a walk costs no allocation once they have grown.
#define KELVAST_BUILD
#include "kelvast.h"

#include "store_fs.h"
#include "wildcard.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#if defined(_WIN32)
#define strcasecmp _stricmp
#endif

int32_t atc_data_size = 0;
int32_t atc_last_mod_time = 0;

namespace {

const char kNetworkFolder[] = "NETWORK";

std::string g_networkName;   // set by at_set_network_str
std::string g_networkResult; // what at_get_network_str hands out

struct AreaWalk {
    std::vector<std::string> names;
    size_t next = 0;
    char prefix[AT_AREA_NAME_SIZE] = ""; // "X:" in front of every name
    size_t prefixLength = 0;
} g_areaWalk;

struct ItemWalk {
    std::vector<StoreFile> files;
    std::vector<uint32_t> order; // indexes into files, sorted by name
    size_t next = 0;
} g_itemWalk;

std::string g_root, g_deviceFolder, g_areaFolder; // reused: no allocation per call

const std::string& StoreRoot() {
    const char* env = std::getenv("KELVAST_STORE");
    if (env && *env)
        g_root.assign(env);
    else
        g_root = DefaultStoreRoot();
    return g_root;
}

// A name that can only mean an entry of the folder itself: no separators,
// wildcards or drive colons, nothing the system would trim or read as
// "." and "..". Only such names are looked up by path; the others are
// compared with the folder's entries, so that no name reaches outside the
// store.
bool PlainName(const char* name) {
    const size_t len = std::strlen(name);
    if (len == 0 || name[0] == '.' || name[len - 1] == '.' || name[len - 1] == ' ')
        return false;
    return std::strpbrk(name, "/\\:*?\"<>|") == nullptr;
}

// folder's sub-folder named name, ignoring case, into path; false when
// there is none. A plain name is tried by path first; where the file
// system ignores case, that answer is final.
bool FindFolder(const std::string& folder, const char* name, std::string& path) {
    if (PlainName(name)) {
        path.assign(folder).append(1, kPathSeparator).append(name);
        if (IsFolder(path))
            return true;
#if defined(_WIN32)
        return false;
#endif
    }
    bool found = false;
    ListFolders(folder, [&](const char* entry) {
        if (!found && strcasecmp(entry, name) == 0) {
            path.assign(folder).append(1, kPathSeparator).append(entry);
            found = true;
        }
    });
    return found;
}

// The network device's folder: where many workstations share one store it
// lives on a file server (a UNC path \\server\share on Windows).
bool FindNetworkFolder(std::string& path) {
    const char* env = std::getenv("KELVAST_NETWORK");
    if (!env || !*env)
        return FindFolder(StoreRoot(), kNetworkFolder, path);
    path.assign(env);
    return IsFolder(path);
}

// The folder of a device name (the text before its colon), into g_deviceFolder.
bool FindDeviceFolder(const char* device, size_t length) {
    char name[AT_AREA_NAME_SIZE];
    if (length == 0 || length >= sizeof name)
        return false;
    std::memcpy(name, device, length);
    name[length] = '\0';
    const bool network = strcasecmp(name, kNetworkFolder) == 0 ||
                         (!g_networkName.empty() && strcasecmp(name, g_networkName.c_str()) == 0);
    if (network)
        return FindNetworkFolder(g_deviceFolder);
    if (length != 1 || !std::isalnum(static_cast<unsigned char>(name[0])))
        return false;
    return FindFolder(StoreRoot(), name, g_deviceFolder);
}

// Calls onArea with each area of the device named in "X:pattern" that
// matches and fits a caller's buffer with its prefix; false when the device
// does not exist. The prefix ("X:") goes to prefix.
template <typename OnArea>
bool ForEachArea(const char* pattern, char* prefix, size_t& prefixLength, OnArea onArea) {
    const char* colon = std::strchr(pattern, ':');
    if (!colon || !FindDeviceFolder(pattern, static_cast<size_t>(colon - pattern)))
        return false;
    prefixLength = static_cast<size_t>(colon - pattern) + 1;
    std::memcpy(prefix, pattern, prefixLength);
    prefix[prefixLength] = '\0';
    const char* areaPattern = colon + 1;
    ListFolders(g_deviceFolder, [&](const char* name) {
        if (prefixLength + std::strlen(name) < AT_AREA_NAME_SIZE &&
            WildcardMatch(areaPattern, name))
            onArea(name);
    });
    return true;
}

bool AreaBefore(const std::string& a, const std::string& b) {
    const int c = strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
}

// Lists the items of "X:area" of one type matching pattern into g_itemWalk,
// sorted by name ignoring case (then exactly).
void ListItems(int typeCode, const char* itemPath, const char* pattern) {
    g_itemWalk.files.clear();
    g_itemWalk.order.clear();
    g_itemWalk.next = 0;
    const char* colon = std::strchr(itemPath, ':');
    if (!colon || colon[1] == '\0' ||
        !FindDeviceFolder(itemPath, static_cast<size_t>(colon - itemPath)) ||
        !FindFolder(g_deviceFolder, colon + 1, g_areaFolder))
        return;
    char code[16];
    std::snprintf(code, sizeof code, "%d", typeCode);
    g_areaFolder.append(1, kPathSeparator).append(code);
    ListFiles(g_areaFolder, pattern, g_itemWalk.files);

    // Sorting by index and zero-padded keys keeps the sort to short fixed
    // compares and 4-byte moves, well below the cost of the listing.
    std::vector<StoreFile>& files = g_itemWalk.files;
    for (uint32_t i = 0; i < files.size(); ++i) {
        StoreFile& f = files[i];
        std::memset(f.key, 0, sizeof f.key);
        for (size_t k = 0; f.name[k]; ++k)
            f.key[k] = static_cast<char>(std::tolower(static_cast<unsigned char>(f.name[k])));
        g_itemWalk.order.push_back(i);
    }
    std::sort(g_itemWalk.order.begin(), g_itemWalk.order.end(), [&](uint32_t a, uint32_t b) {
        const int c = std::memcmp(files[a].key, files[b].key, sizeof files[a].key);
        return c != 0 ? c < 0 : std::strcmp(files[a].name, files[b].name) < 0;
    });
}

// Runs body; an exception (out of memory) answers onFailure instead.
template <typename Body, typename Result> Result Guarded(Body body, Result onFailure) {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

} // namespace

extern "C" {

int at_connect_to_network(void) {
    return Guarded(
        [] {
            std::string path;
            return FindNetworkFolder(path) ? 1 : 0;
        },
        0);
}

int at_set_network_str(const char* text) {
    if (!text)
        return 0;
    return Guarded(
        [text] {
            g_networkName = text;
            return 1;
        },
        0);
}

char* at_get_network_str(const char* computer, int flags) {
    (void)computer;
    (void)flags;
    if (g_networkName.empty())
        return nullptr;
    return Guarded(
        [] {
            g_networkResult = g_networkName + ":";
            return &g_networkResult[0];
        },
        static_cast<char*>(nullptr));
}

int at_count_storage_areas(const char* pattern, at_count_t* count) {
    if (!pattern || !count)
        return 0;
    return Guarded(
        [&] {
            char prefix[AT_AREA_NAME_SIZE];
            size_t prefixLength = 0;
            at_count_t n = 0;
            ForEachArea(pattern, prefix, prefixLength, [&](const char*) { ++n; });
            *count = n;
            return 1;
        },
        0);
}

int at_lookup_storage_areas(char* areaName, const char* pattern, int mode) {
    if (!areaName || !pattern)
        return 0;
    if (mode == 0) {
        AreaWalk& w = g_areaWalk;
        w.names.clear();
        w.next = 0;
        w.prefixLength = 0;
        const bool listed = Guarded(
            [&] {
                ForEachArea(pattern, w.prefix, w.prefixLength,
                            [&](const char* name) { w.names.emplace_back(name); });
                std::sort(w.names.begin(), w.names.end(), AreaBefore);
                return true;
            },
            false);
        if (!listed) {
            w.names.clear();
            return 0;
        }
    } else if (mode != 1) {
        return 0;
    }
    if (g_areaWalk.next >= g_areaWalk.names.size())
        return 0;
    // Fits: checked when listed.
    const std::string& name = g_areaWalk.names[g_areaWalk.next++];
    std::memcpy(areaName, g_areaWalk.prefix, g_areaWalk.prefixLength);
    std::memcpy(areaName + g_areaWalk.prefixLength, name.c_str(), name.size() + 1);
    return 1;
}

int at_lookup_data(int typeCode, const char* itemPath, char* itemName, const char* pattern,
                   int mode) {
    if (!itemPath || !itemName || !pattern)
        return 0;
    if (mode == 0) {
        const bool listed = Guarded(
            [&] {
                ListItems(typeCode, itemPath, pattern);
                return true;
            },
            false);
        if (!listed) {
            g_itemWalk.order.clear();
            return 0;
        }
    } else if (mode != 1)
        return 0;
    if (g_itemWalk.next >= g_itemWalk.order.size())
        return 0;
    const StoreFile& item = g_itemWalk.files[g_itemWalk.order[g_itemWalk.next++]];
    std::memcpy(itemName, item.name, sizeof item.name);
    atc_data_size = item.size;
    atc_last_mod_time = item.modTime;
    return 1;
}

} // extern "C"
