// The file system under the stand-in storage library: listing one folder.
#ifndef STORE_FS_H
#define STORE_FS_H

#include "kelvast.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A path as the file system takes it. On Windows in UTF-16: the store may
// lie in a folder whose name the ANSI code page cannot write (a user's
// "\u0141ukasz" under 1252), which the ANSI functions would hand back with
// a "?". Elsewhere the bytes themselves.
#if defined(_WIN32)
using StorePath = std::wstring;
#else
using StorePath = std::string;
#endif

// folder's entry name, a name in the system's 8-bit text.
StorePath ChildPath(const StorePath& folder, const char* name);
// The path an environment variable names; nothing when it is unset or empty.
std::optional<StorePath> PathSetting(const char* variable);

struct StoreFile {
    char name[AT_ITEM_NAME_SIZE];
    int32_t size;
    int32_t modTime; // seconds since 1970-01-01 UTC
};

// Calls onFolder with the name of each sub-folder of folder; false when the
// folder cannot be read. Names beginning with "." are left out, and so are
// names the system's 8-bit text cannot write.
bool ListFolders(const StorePath& folder, const std::function<void(const char*)>& onFolder);

// Appends to files every file of folder whose name fits a caller's item
// buffer and matches pattern, with its size and time (clamped to 32 bits).
// Names beginning with "." are left out.
void ListFiles(const StorePath& folder, const char* pattern, std::vector<StoreFile>& files);

// True when path names a folder.
bool IsFolder(const StorePath& path);

// The folder the store lives in when KELVAST_STORE is not set: "store"
// beside the storage library's own file. Nothing when that file's full path
// cannot be read: a relative "store" would serve whatever folder is current.
std::optional<StorePath> DefaultStoreRoot();

#endif
