#ifndef STUB_STORAGE_H
#define STUB_STORAGE_H

enum { kStubAreas = 1000, kStubItems = 10000 };

// Fills the stub's tables; call once before the first walk.
void StubStorageInit();

// Calls of at_count_storage_areas so far.
extern long g_stubCounts;

// One row of a table of the 24 type names and codes, read through a call
// the compiler cannot see into: the least any one-name-per-call walk costs.
char* StubTypeRow(unsigned row, int* code);
void StubSetTypeRow(unsigned row, const char* name, int code);

#endif
