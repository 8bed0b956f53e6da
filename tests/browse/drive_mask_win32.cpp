// TAVORIN.dll reads the real drive letters; the tests can only look.
#include "browse_test_support.h"

#include <windows.h>

bool DriveMaskSettable() {
    return false;
}
void SetDriveMask(uint32_t) {}
uint32_t DriveMask() {
    return static_cast<uint32_t>(GetLogicalDrives());
}
