// Where the module's resources come from: a localised library beside the
// module when its product version is the module's own, else the module
// itself. Nothing else in the module loads a resource library.
#ifndef RESOURCE_DLL_H
#define RESOURCE_DLL_H

#include <windows.h>

// Looks for libraryName beside module's file and answers its handle when it
// was accepted and loaded, else null. Also loads the common language library
// "Dalquintoria.dll" from there once per load of the module. Tells the user
// by a message box about a library that is present but cannot be used.
// Loaded libraries are never freed.
HINSTANCE LoadResourceDll(HINSTANCE module, const char* libraryName);

// 1 when both files' product versions can be read and are equal, else 0.
int ResourceVersionsMatch(const char* modulePath, const char* candidatePath);

// Nonzero when path's version resource gave its product version; the
// out-words are written only then.
int ReadProductVersion(const char* path, DWORD* versionLS, DWORD* versionMS);

#endif
