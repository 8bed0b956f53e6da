// The stand-in storage library's slow mode: with KELVAST_LATENCY=<n> in the
// environment, every call takes at least n microseconds, as the real library
// does over a slow network. It combines with the fault mode: a failing call
// is as slow as one that succeeds.
#ifndef STORE_LATENCY_H
#define STORE_LATENCY_H

// Spends the latency in force, if any; costs a look at the environment when
// the mode is off. Never throws: the calls wait before anything else.
void WaitLatency();

#endif
