// Items of one type in one area whose names match a pattern. The storage
// library matches; this side only keeps the walk's arguments.
#include "browse_state.h"
#include "tavorin.h"

#include "kelvast.h"
#include "names.h"

#include <cstring>

namespace {

char* ItemResult(int storageResult) {
    if (storageResult != 1)
        return nullptr;
    g_browse.itemName[CutLength(g_browse.itemName, sizeof g_browse.itemName)] = '\0';
    return g_browse.itemName;
}

} // namespace

char* ListFirstItem(const char* device, const char* area, int type, const char* pattern) {
    ++g_walkGeneration;
    EnsureConnected();
    g_browse.itemType = type;
    const size_t patternLen = pattern ? std::strlen(pattern) : 0;
    if (!pattern || patternLen >= sizeof g_browse.itemPattern)
        return nullptr; // longer than the walk can hold: refused, not cut
    std::memcpy(g_browse.itemPattern, pattern, patternLen + 1);

    if (!device || !area)
        return nullptr;
    const size_t deviceLen = std::strlen(device);
    const size_t areaLen = std::strlen(area);
    const bool hasColon = FindChar(device, ':') != nullptr;
    if (deviceLen + areaLen + (hasColon ? 0 : 1) > sizeof g_browse.itemPath - 1)
        return nullptr; // the old path stays; type and pattern are already new

    char* p = g_browse.itemPath;
    std::memcpy(p, device, deviceLen);
    p += deviceLen;
    if (!hasColon)
        *p++ = ':';
    std::memcpy(p, area, areaLen + 1);

    return ItemResult(at_lookup_data(g_browse.itemType, g_browse.itemPath, g_browse.itemName,
                                     g_browse.itemPattern, 0));
}

char* ListNextItem(void) {
    return ItemResult(at_lookup_data(g_browse.itemType, g_browse.itemPath, g_browse.itemName,
                                     g_browse.itemPattern, 1));
}
