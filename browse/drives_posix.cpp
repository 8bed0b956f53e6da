// POSIX has no drive letters. The storage is reached through drive C:
// alone (bit 2), so a device walk offers "C:" when it holds areas, and the
// numbered devices.
#include "browse_state.h"

uint32_t PlatformLogicalDrives() {
    return 1u << 2;
}
