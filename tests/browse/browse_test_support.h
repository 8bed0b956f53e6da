// Helpers shared by the enumeration tests: the drive letters the device walk
// sees, and the calls the recording fake storage received.
#ifndef BROWSE_TEST_SUPPORT_H
#define BROWSE_TEST_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

// Where the tests link the enumeration core themselves (Linux), they bring
// their own drive mask and may set it. TAVORIN.dll asks GetLogicalDrives,
// which a test can only read.
bool DriveMaskSettable();
void SetDriveMask(uint32_t mask);
uint32_t DriveMask();

inline bool DrivePresent(uint32_t mask, int letterIndex) {
    return (mask >> letterIndex) & 1u;
}

// Every call the fake recorded since its last reset, oldest first.
std::vector<std::string> FakeCalls();
// The calls from index first on.
std::vector<std::string> FakeCallsFrom(size_t first);
// One line per call, for assertion messages.
std::string Listing(const std::vector<std::string>& calls);

#endif
