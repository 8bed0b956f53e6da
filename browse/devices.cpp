// Computers and devices. Only the local computer exists for this library.
#include "browse_state.h"
#include "afxstr.h"
#include "tavorin.h"

#include "kelvast.h"

#include <cstdlib>
#include <cstring>

namespace {
const char kComputerPrefix[] = "\\\\";
const char kLocalComputer[] = ".";
char kLocalComputerFullName[] = "\\\\.";

enum { kFirstDigitIndex = 26, kDriveLetterCount = 26 };
} // namespace

char* ListFirstComputer(void) {
    return kLocalComputerFullName;
}

char* ListNextComputer(void) {
    return nullptr;
}

char* ListFirstDevice(const char* computer, int flags) {
    ++g_walkGeneration;
    EnsureConnected();
    // The flags are taken even when the name is refused below: a walk in
    // progress goes on under them.
    g_browse.deviceFlags = flags;
    if (!computer)
        return nullptr;
    const char* name = computer;
    if (std::strncmp(name, kComputerPrefix, 2) == 0)
        name += 2;
    if (std::strcmp(name, kLocalComputer) != 0)
        return nullptr;

    g_browse.driveMask = PlatformLogicalDrives();
    g_browse.deviceCursor = 0;
    if (g_browse.networkConnected && (flags & LF_NETWORK))
        return at_get_network_str(computer, flags);
    return ListNextDevice();
}

char* ListNextDevice(void) {
    while (g_browse.deviceCursor < kDriveLetterCount) {
        const int i = g_browse.deviceCursor++;
        if (!(g_browse.driveMask & (1u << i)))
            continue;
        g_browse.deviceName[0] = static_cast<char>('A' + i);
        if (i == 0) {
            // A: is a floppy drive: counting would spin it up, or hang on an
            // empty slot, so it is offered on the caller's word alone.
            if (g_browse.deviceFlags & LF_DRIVE_A)
                return g_browse.deviceName;
            continue;
        }
        if (CountDeviceAreas(g_browse.deviceName[0]) == 0)
            continue;
        if (g_browse.deviceFlags & LF_LOCAL_DRIVES)
            return g_browse.deviceName;
    }
    while (g_browse.deviceCursor < kDeviceCount) {
        const int i = g_browse.deviceCursor++;
        const int number = i - kFirstDigitIndex;
        g_browse.deviceName[0] = static_cast<char>('0' + number);
        // A device marked failed did not answer before; probing it again
        // would cost a network time-out.
        if (g_browse.failedDevices[number] == 1)
            continue;
        if (CountDeviceAreas(g_browse.deviceName[0]) != 0)
            return g_browse.deviceName;
    }
    return nullptr;
}

namespace {

// Read as atoi reads it, but without atoi's undefined overflow; only devices
// 0 to 9 exist, so any other number marks nothing.
void MarkFailed(const char* text) {
    const long number = std::strtol(text, nullptr, 10);
    if (number >= 0 && number < 10)
        g_browse.failedDevices[number] = 1;
}

} // namespace

void StoreFailedConnections(CStringList& numbers) {
    std::memset(g_browse.failedDevices, 0, sizeof g_browse.failedDevices);
    POSITION pos = numbers.GetHeadPosition();
    while (pos)
        MarkFailed(numbers.GetNext(pos));
}

void StoreFailedConnectionList(const char* numbers) {
    std::memset(g_browse.failedDevices, 0, sizeof g_browse.failedDevices);
    if (!numbers)
        return;
    for (const char* p = numbers; *p; p += std::strlen(p) + 1)
        MarkFailed(p);
}
