// Stands in for the platform's drive mask where the tests link the
// enumeration core directly: drive C: alone until a test says otherwise.
#include "browse_test_support.h"

#include <cstdint>

namespace {
uint32_t g_mask = 1u << 2;
}

uint32_t PlatformLogicalDrives() {
    return g_mask;
}

bool DriveMaskSettable() {
    return true;
}
void SetDriveMask(uint32_t mask) {
    g_mask = mask;
}
uint32_t DriveMask() {
    return g_mask;
}
