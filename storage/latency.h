// The stand-in storage library's slow mode: with KELVAST_LATENCY=<n> in the
// environment, every call takes at least n microseconds, as the real library
// does over a slow network. It combines with the fault mode: a failing call
// is as slow as one that succeeds.
#ifndef STORE_LATENCY_H
#define STORE_LATENCY_H

// Spends the latency in force, if any; costs a look at the environment when
// the mode is off. Never throws: the calls wait before anything else.
// bReadSetting false keeps the setting last read: a walk's next step keeps
// its walk's, since a look at the environment costs more than the step
// (under Wine, three looks were a third of a walk of a million items).
void WaitLatency(bool bReadSetting);

#endif
