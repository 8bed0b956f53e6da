// The stand-in storage library's fault mode: with KELVAST_FAULTS=<seed>:<n>
// in the environment, every call fails with a chance of one in n, the way
// the real library fails, and the same seed fails the same calls.
#ifndef STORE_FAULTS_H
#define STORE_FAULTS_H

#include <cstdint>
#include <optional>

struct Fault {
    int result;       // what the call answers instead of 1: 0, -1 or 2
    uint32_t variant; // picks among a call's other ways to fail
};

// The fault this call is to show, if any. Each call draws once while the
// mode is on, so that a seed fails the same calls of the same program.
// Never throws: the calls ask before anything else.
// bReadSetting false keeps the setting last read (see WaitLatency).
std::optional<Fault> NextFault(bool bReadSetting);

#endif
