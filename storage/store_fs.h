// The file system under the stand-in storage library: listing one folder.
#ifndef STORE_FS_H
#define STORE_FS_H

#include "kelvast.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct StoreFile {
    char name[AT_ITEM_NAME_SIZE];
    char key[AT_ITEM_NAME_SIZE]; // the name in lower case, zero-padded: the sort key
    int32_t size;
    int32_t modTime; // seconds since 1970-01-01 UTC
};

// Calls onFolder with the name of each sub-folder of folder; false when the
// folder cannot be read. Names beginning with "." are left out.
bool ListFolders(const std::string& folder, const std::function<void(const char*)>& onFolder);

// Appends to files every file of folder whose name fits a caller's item
// buffer and matches pattern, with its size and time (clamped to 32 bits);
// key is left to the caller. Names beginning with "." are left out.
void ListFiles(const std::string& folder, const char* pattern, std::vector<StoreFile>& files);

// True when path names a folder.
bool IsFolder(const std::string& path);

// The folder the store lives in when KELVAST_STORE is not set: "store"
// beside the storage library's own file. Nothing when that file's full path
// cannot be read: a relative "store" would serve whatever folder is current.
std::optional<std::string> DefaultStoreRoot();

extern const char kPathSeparator;

#endif
