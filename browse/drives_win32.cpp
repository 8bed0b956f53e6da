#include "browse_state.h"

#include <windows.h>

uint32_t PlatformLogicalDrives() {
    return static_cast<uint32_t>(GetLogicalDrives());
}
