// Where there are no resource sections, a module's "resource handle" points
// to a table of its strings, so that swapping the handle swaps the language
// just as a resource library does on Windows.
#ifndef AFXRES_POSIX_H
#define AFXRES_POSIX_H

#include <cstddef>

struct AfxStringResource {
    unsigned int id;
    const char* text;
};

struct AfxStringTable {
    const AfxStringResource* entries;
    size_t count;
};

// The module's own strings (English, United States).
extern const AfxStringTable g_builtinStrings;

#endif
