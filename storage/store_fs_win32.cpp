#include "store_fs.h"

#include "names.h"
#include "wildcard.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

const char kPathSeparator = '\\';

namespace {

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v)));
}

// FILETIME counts 100 ns steps from 1601; the store speaks Unix seconds.
int64_t UnixSeconds(const FILETIME& ft) {
    const int64_t ticks =
        (static_cast<int64_t>(ft.dwHighDateTime) << 32) | static_cast<int64_t>(ft.dwLowDateTime);
    return ticks / 10000000 - 11644473600LL;
}

// Basic information (no short names) fetched in large batches: the walk
// needs names, sizes and times only.
HANDLE FindFirst(const std::string& folder, WIN32_FIND_DATAA& fd) {
    return FindFirstFileExA((folder + "\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                            nullptr, FIND_FIRST_EX_LARGE_FETCH);
}

} // namespace

bool ListFolders(const std::string& folder, const std::function<void(const char*)>& onFolder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirst(folder, fd);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (fd.cFileName[0] != '.' && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            onFolder(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return true;
}

void ListFiles(const std::string& folder, const char* pattern, std::vector<StoreFile>& files) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirst(folder, fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const size_t len = std::strlen(fd.cFileName);
        if (fd.cFileName[0] == '.' || (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            len >= AT_ITEM_NAME_SIZE || !WildcardMatch(pattern, fd.cFileName))
            continue;
        files.emplace_back();
        StoreFile& f = files.back();
        std::memcpy(f.name, fd.cFileName, len + 1);
        f.size = Clamp32((static_cast<int64_t>(fd.nFileSizeHigh) << 32) |
                         static_cast<int64_t>(fd.nFileSizeLow));
        f.modTime = Clamp32(UnixSeconds(fd.ftLastWriteTime));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> DefaultStoreRoot() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&DefaultStoreRoot), &self);
    // A path over MAX_PATH comes back cut short.
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::nullopt;
    // The library's own file name may end in a character whose second byte
    // is 0x5C: only a separator of its own ends the folder.
    const char* slash = nullptr;
    for (const char* p = path; *p; p = NextChar(p))
        if (*p == '\\' || *p == '/')
            slash = p;
    if (!slash)
        return std::nullopt;
    return std::string(path, static_cast<size_t>(slash - path)) + "\\store";
}
