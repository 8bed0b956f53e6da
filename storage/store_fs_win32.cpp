#include "store_fs.h"

#include <windows.h>

const char kPathSeparator = '\\';

namespace {
// FILETIME counts 100 ns steps from 1601; the store speaks Unix seconds.
int64_t UnixSeconds(const FILETIME& ft) {
    const int64_t ticks =
        (static_cast<int64_t>(ft.dwHighDateTime) << 32) | static_cast<int64_t>(ft.dwLowDateTime);
    return ticks / 10000000 - 11644473600LL;
}
} // namespace

std::vector<StoreEntry> ListFolder(const std::string& folder, bool wantFolders) {
    std::vector<StoreEntry> entries;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return entries;
    do {
        if (fd.cFileName[0] == '.')
            continue;
        const bool isFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder != wantFolders)
            continue;
        const int64_t size =
            (static_cast<int64_t>(fd.nFileSizeHigh) << 32) | static_cast<int64_t>(fd.nFileSizeLow);
        entries.push_back({fd.cFileName, size, UnixSeconds(fd.ftLastWriteTime)});
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return entries;
}

std::string DefaultStoreRoot() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&DefaultStoreRoot), &self);
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return "store";
    std::string dir(path, n);
    const size_t slash = dir.find_last_of("\\/");
    return (slash == std::string::npos ? std::string(".") : dir.substr(0, slash)) + "\\store";
}
