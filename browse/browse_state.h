// The one process-wide record behind the enumeration interface. Every name
// the interface returns points into it.
#ifndef BROWSE_STATE_H
#define BROWSE_STATE_H

#include <cstdint>

enum {
    kAreaBufferSize = 256, // areaPattern, areaName, itemPath
    kItemBufferSize = 24,  // itemPattern, itemName: 23 characters and the NUL
    kTypeNameSize = 40,
    kTypeCount = 24,
    kDeviceCount = 36, // A: to Z:, then 0: to 9:
};

struct ItemTypeEntry {
    // 40 bytes of name as loaded, plus one byte that stays zero, so that a
    // name of 40 characters still reads as a terminated string.
    char name[kTypeNameSize + 1];
    int32_t typeCode;
    int32_t stringId;
};

struct BrowseState {
    int32_t needConnect;
    int32_t networkConnected;
    int32_t typeNamesPending;
    uint32_t typeCursor;
    int32_t deviceFlags;
    int32_t deviceCursor;
    uint32_t driveMask;
    char deviceName[3];
    int32_t failedDevices[10];
    char areaPattern[kAreaBufferSize];
    char areaName[kAreaBufferSize];
    int32_t itemType;
    char itemPattern[kItemBufferSize];
    char itemPath[kAreaBufferSize];
    char itemName[kItemBufferSize];
    ItemTypeEntry typeTable[kTypeCount];
};

extern BrowseState g_browse;

// Advanced by every walk's first call (and every probe that reuses a walk's
// buffers): a walk that finds it changed between two of its calls knows that
// another walk ran meanwhile, and that what it would read next is not its own.
extern uint32_t g_walkGeneration;
inline uint32_t WalkGeneration() {
    return g_walkGeneration;
}

// Connects to the storage library's network, once per process. Inline: every
// probe of a device walk passes here.
void ConnectOnce();
inline void EnsureConnected() {
    if (g_browse.needConnect != 0)
        ConnectOnce();
}

// CountAreas of the device "<deviceChar>:", with the pattern written in one
// go: the device walk's probe, made for up to 35 devices per walk.
unsigned long CountDeviceAreas(char deviceChar);

// Platform seam: bit n set when drive letter 'A' + n exists. Windows asks
// GetLogicalDrives; POSIX has no drive letters and reports drive C: alone
// (bit 2), so that a store's C folder is reachable there too.
uint32_t PlatformLogicalDrives();

#endif
