// Stand-in for the suite's storage library: a store of folders and files.
//
//   <root>/<X>/                 device "X:" (a drive letter or digit)
//   <root>/NETWORK/             the network device
//   <root>/<X>/<area>/          a storage area
//   <root>/<X>/<area>/<code>/   the items of type <code>, one file each
//
// <root> is KELVAST_STORE, or "store" beside this library. Names that would
// not fit the caller's buffers are skipped, never cut.
#define KELVAST_BUILD
#include "kelvast.h"

#include "store_fs.h"
#include "wildcard.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
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

struct Walk {
    std::vector<StoreEntry> entries;
    size_t next = 0;
};

std::string g_networkName;   // set by at_set_network_str
std::string g_networkResult; // what at_get_network_str hands out
Walk g_areaWalk;
std::string g_areaPrefix; // "X:" in front of every area name of the walk
Walk g_itemWalk;

std::string StoreRoot() {
    const char* env = std::getenv("KELVAST_STORE");
    return env && *env ? std::string(env) : DefaultStoreRoot();
}

std::string Join(const std::string& a, const std::string& b) { return a + kPathSeparator + b; }

// The entry of folder named name, ignoring case; empty when there is none.
std::string FindFolder(const std::string& folder, const std::string& name) {
    for (const StoreEntry& e : ListFolder(folder, true))
        if (strcasecmp(e.name.c_str(), name.c_str()) == 0)
            return Join(folder, e.name);
    return std::string();
}

// The folder of a device name (the text before its colon).
std::string DeviceFolder(const std::string& device) {
    if (device.empty())
        return std::string();
    const bool network = strcasecmp(device.c_str(), kNetworkFolder) == 0 ||
                         (!g_networkName.empty() && strcasecmp(device.c_str(), g_networkName.c_str()) == 0);
    if (network)
        return FindFolder(StoreRoot(), kNetworkFolder);
    if (device.size() != 1 || !std::isalnum(static_cast<unsigned char>(device[0])))
        return std::string();
    return FindFolder(StoreRoot(), device);
}

bool ByName(const StoreEntry& a, const StoreEntry& b) {
    const int c = strcasecmp(a.name.c_str(), b.name.c_str());
    return c != 0 ? c < 0 : a.name < b.name;
}

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v)));
}

// Splits "X:rest" at its first colon; false when there is none.
bool SplitDevice(const char* text, std::string& device, std::string& rest) {
    const char* colon = std::strchr(text, ':');
    if (!colon)
        return false;
    device.assign(text, colon);
    rest = colon + 1;
    return true;
}

// The areas of the device named in "X:pattern", sorted; the prefix each name
// comes back with goes to prefix.
std::vector<StoreEntry> MatchingAreas(const char* pattern, std::string& prefix) {
    std::string device, areaPattern;
    if (!SplitDevice(pattern, device, areaPattern))
        return {};
    const std::string folder = DeviceFolder(device);
    if (folder.empty())
        return {};
    prefix = device + ":";
    std::vector<StoreEntry> areas = ListFolder(folder, true);
    areas.erase(std::remove_if(areas.begin(), areas.end(),
                               [&](const StoreEntry& e) {
                                   return prefix.size() + e.name.size() >= AT_AREA_NAME_SIZE ||
                                          !WildcardMatch(areaPattern.c_str(), e.name.c_str());
                               }),
                areas.end());
    std::sort(areas.begin(), areas.end(), ByName);
    return areas;
}

} // namespace

extern "C" {

int at_connect_to_network(void) { return FindFolder(StoreRoot(), kNetworkFolder).empty() ? 0 : 1; }

int at_set_network_str(const char* text) {
    if (!text)
        return 0;
    g_networkName = text;
    return 1;
}

char* at_get_network_str(const char* computer, int flags) {
    (void)computer;
    (void)flags;
    if (g_networkName.empty())
        return nullptr;
    g_networkResult = g_networkName + ":";
    return &g_networkResult[0];
}

int at_count_storage_areas(const char* pattern, at_count_t* count) {
    if (!pattern || !count)
        return 0;
    std::string prefix;
    *count = static_cast<at_count_t>(MatchingAreas(pattern, prefix).size());
    return 1;
}

int at_lookup_storage_areas(char* areaName, const char* pattern, int mode) {
    if (!areaName || !pattern)
        return 0;
    if (mode == 0) {
        g_areaWalk.entries = MatchingAreas(pattern, g_areaPrefix);
        g_areaWalk.next = 0;
    } else if (mode != 1) {
        return 0;
    }
    if (g_areaWalk.next >= g_areaWalk.entries.size())
        return 0;
    const std::string name = g_areaPrefix + g_areaWalk.entries[g_areaWalk.next++].name;
    std::memcpy(areaName, name.c_str(), name.size() + 1); // fits: checked when listed
    return 1;
}

int at_lookup_data(int typeCode, const char* itemPath, char* itemName, const char* pattern,
                   int mode) {
    if (!itemPath || !itemName || !pattern)
        return 0;
    if (mode == 0) {
        g_itemWalk = Walk();
        std::string device, area;
        if (!SplitDevice(itemPath, device, area) || area.empty())
            return 0;
        const std::string deviceFolder = DeviceFolder(device);
        const std::string areaFolder = deviceFolder.empty() ? std::string() : FindFolder(deviceFolder, area);
        if (areaFolder.empty())
            return 0;
        std::vector<StoreEntry> items = ListFolder(Join(areaFolder, std::to_string(typeCode)), false);
        items.erase(std::remove_if(items.begin(), items.end(),
                                   [&](const StoreEntry& e) {
                                       return e.name.size() >= AT_ITEM_NAME_SIZE ||
                                              !WildcardMatch(pattern, e.name.c_str());
                                   }),
                    items.end());
        std::sort(items.begin(), items.end(), ByName);
        g_itemWalk.entries = std::move(items);
    } else if (mode != 1) {
        return 0;
    }
    if (g_itemWalk.next >= g_itemWalk.entries.size())
        return 0;
    const StoreEntry& item = g_itemWalk.entries[g_itemWalk.next++];
    std::memcpy(itemName, item.name.c_str(), item.name.size() + 1);
    atc_data_size = Clamp32(item.size);
    atc_last_mod_time = Clamp32(item.modTime);
    return 1;
}

} // extern "C"
