#include "store_fs.h"

#include "names.h"
#include "wildcard.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

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
HANDLE FindFirst(const StorePath& folder, WIN32_FIND_DATAW& fd) {
    return FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                            nullptr, FIND_FIRST_EX_LARGE_FETCH);
}

// An entry's name in the ANSI code page, into name (MAX_PATH bytes); false
// when that code page cannot write it: with a "?" in its place it would
// read as a wildcard and name no entry.
bool AnsiName(const wchar_t* wide, char (&name)[MAX_PATH]) {
    BOOL lost = FALSE;
    // UTF-8 writes every name and takes no flag for what it cannot.
    const bool utf8 = GetACP() == CP_UTF8;
    return WideCharToMultiByte(CP_ACP, 0, wide, -1, name, MAX_PATH, nullptr,
                               utf8 ? nullptr : &lost) > 0 &&
           !lost;
}

} // namespace

StorePath ChildPath(const StorePath& folder, const char* name) {
    wchar_t wide[MAX_PATH];
    const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH);
    // A name longer than any entry's names none: "?" is in no file's name,
    // so the path leads nowhere rather than, cut short, somewhere.
    return folder + L'\\' + (n > 0 ? wide : L"?");
}

std::optional<StorePath> PathSetting(const char* variable) {
    wchar_t wideVariable[64];
    if (MultiByteToWideChar(CP_ACP, 0, variable, -1, wideVariable, 64) == 0)
        return std::nullopt;
    const DWORD n = GetEnvironmentVariableW(wideVariable, nullptr, 0);
    if (n <= 1)
        return std::nullopt;
    StorePath value(n, L'\0');
    const DWORD written = GetEnvironmentVariableW(wideVariable, &value[0], n);
    if (written == 0 || written >= n)
        return std::nullopt;
    value.resize(written);
    return value;
}

bool ListFolders(const StorePath& folder, const std::function<void(const char*)>& onFolder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirst(folder, fd);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    char name[MAX_PATH];
    do {
        if (fd.cFileName[0] != L'.' && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            AnsiName(fd.cFileName, name))
            onFolder(name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return true;
}

void ListFiles(const StorePath& folder, const char* pattern, std::vector<StoreFile>& files) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirst(folder, fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    char name[MAX_PATH];
    do {
        if (fd.cFileName[0] == L'.' || (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !AnsiName(fd.cFileName, name))
            continue;
        const size_t len = std::strlen(name);
        if (len >= AT_ITEM_NAME_SIZE || !WildcardMatch(pattern, name))
            continue;
        files.emplace_back();
        StoreFile& f = files.back();
        std::memcpy(f.name, name, len + 1);
        f.size = Clamp32((static_cast<int64_t>(fd.nFileSizeHigh) << 32) |
                         static_cast<int64_t>(fd.nFileSizeLow));
        f.modTime = Clamp32(UnixSeconds(fd.ftLastWriteTime));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

bool IsFolder(const StorePath& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<StorePath> DefaultStoreRoot() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&DefaultStoreRoot), &self);
    // A path over MAX_PATH comes back cut short.
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::nullopt;
    const wchar_t* slash = nullptr;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/')
            slash = p;
    if (!slash)
        return std::nullopt;
    return StorePath(path, static_cast<size_t>(slash - path)) + L"\\store";
}
