// Storage areas of a device. Counting is also how the device walk probes a
// device, so every count rewrites the pattern that ListNextArea continues with.
#include "browse_state.h"
#include "tavorin.h"

#include "kelvast.h"
#include "names.h"

#include <cstring>

namespace {

// Builds "<device>:*" into areaPattern. Answers false, leaving the pattern
// alone, when the device text is missing or too long for the buffer.
bool BuildAreaPattern(const char* device) {
    if (!device)
        return false;
    const size_t len = std::strlen(device);
    const bool hasColon = FindChar(device, ':') != nullptr;
    const size_t needed = len + (hasColon ? 0 : 1) + 1 /* '*' */ + 1 /* NUL */;
    if (needed > sizeof g_browse.areaPattern)
        return false;
    char* p = g_browse.areaPattern;
    std::memcpy(p, device, len);
    p += len;
    if (!hasColon)
        *p++ = ':';
    *p++ = '*';
    *p = '\0';
    return true;
}

// The storage library may or may not put the device in front of the name;
// callers want the area alone. Only the first colon separates. A name that
// fills the buffer without its terminator ends before its last whole
// character.
char* AreaNameAfterDevice() {
    char* name = g_browse.areaName;
    name[CutLength(name, sizeof g_browse.areaName)] = '\0';
    char* colon = const_cast<char*>(FindChar(name, ':'));
    return colon ? colon + 1 : name;
}

// The storage's count for the pattern in areaPattern; 0 when it fails.
unsigned long CountForAreaPattern() {
    at_count_t count = 0;
    if (at_count_storage_areas(g_browse.areaPattern, &count) != 1)
        return 0;
    return count;
}

} // namespace

unsigned long CountAreas(const char* device) {
    ++g_walkGeneration; // the area walk's pattern
    EnsureConnected();
    if (!BuildAreaPattern(device))
        return 0;
    return CountForAreaPattern();
}

unsigned long CountDeviceAreas(char deviceChar) {
    EnsureConnected();
    char* p = g_browse.areaPattern;
    p[0] = deviceChar;
    p[1] = ':';
    p[2] = '*';
    p[3] = '\0';
    return CountForAreaPattern();
}

char* ListFirstArea(const char* device) {
    ++g_walkGeneration;
    EnsureConnected();
    if (!BuildAreaPattern(device))
        return nullptr;
    if (at_lookup_storage_areas(g_browse.areaName, g_browse.areaPattern, 0) != 1)
        return nullptr;
    return AreaNameAfterDevice();
}

char* ListNextArea(void) {
    if (at_lookup_storage_areas(g_browse.areaName, g_browse.areaPattern, 1) != 1)
        return nullptr;
    return AreaNameAfterDevice();
}
