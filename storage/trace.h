// The stand-in's trace: with KELVAST_TRACE=<file> in the environment, every
// item call is appended to the file as it begins, one line each:
//   <microseconds since 1970, UTC> <mode> <pattern>
// A script that types into a program over a slow store reads there when a
// walk stopped and when another began, on the clock its own `date` reads.
#ifndef STORE_TRACE_H
#define STORE_TRACE_H

// The setting is read when a walk begins (mode 0), not at its next steps.
void TraceItemCall(int mode, const char* pattern);

#endif
