// The file system under the stand-in storage library: listing one folder.
#ifndef STORE_FS_H
#define STORE_FS_H

#include <cstdint>
#include <string>
#include <vector>

struct StoreEntry {
    std::string name;
    int64_t size;
    int64_t modTime; // seconds since 1970-01-01 UTC
};

// Sub-folders (wantFolders) or files of folder; empty when it cannot be read.
std::vector<StoreEntry> ListFolder(const std::string& folder, bool wantFolders);

// The folder the store lives in when KELVAST_STORE is not set: "store"
// beside the storage library's own file.
std::string DefaultStoreRoot();

extern const char kPathSeparator;

#endif
