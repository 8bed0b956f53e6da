#include "store_fs.h"

#include "names.h"
#include "wildcard.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>

// The system's own directory listing, documented for drivers: a batch of
// entries per call.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apc,
                                               PVOID apcContext, PIO_STATUS_BLOCK io, PVOID info,
                                               ULONG length, FILE_INFORMATION_CLASS infoClass,
                                               BOOLEAN singleEntry, PUNICODE_STRING mask,
                                               BOOLEAN restart);

namespace {

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v)));
}

// A file time counts 100 ns steps from 1601; the store speaks Unix seconds.
int64_t UnixSeconds(const LARGE_INTEGER& ft) {
    return ft.QuadPart / 10000000 - 11644473600LL;
}

// An entry's name in the ANSI code page, into name (MAX_PATH bytes); false
// when that code page cannot write it: the entry is left out of the walk.
bool AnsiName(const wchar_t* wide, int length, char (&name)[MAX_PATH]) {
    return AnsiFromWide(wide, length, name, MAX_PATH) > 0;
}

// Calls onEntry with each entry of folder but "." and "..", read in large
// batches straight from the system: FindNextFileW costs a call and a copy
// per entry, which under Wine is a third of a large folder's listing.
// False when the folder cannot be read.
template <typename OnEntry> bool ForEachEntry(const StorePath& folder, OnEntry onEntry) {
    HANDLE h = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    // LONGLONG: the entries' times are 8-byte aligned.
    std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(LONGLONG));
    IO_STATUS_BLOCK io;
    // Anything but success ends the listing: no more entries, or an error
    // part way, which leaves what was read, as FindNextFileW would.
    while (NtQueryDirectoryFile(h, nullptr, nullptr, nullptr, &io, buffer.data(), size,
                                FileDirectoryInformation, FALSE, nullptr, FALSE) == 0) {
        const char* at = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto* entry = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(at);
            const int length = static_cast<int>(entry->FileNameLength / sizeof(wchar_t));
            const bool dots = entry->FileName[0] == L'.' &&
                              (length == 1 || (length == 2 && entry->FileName[1] == L'.'));
            if (length > 0 && !dots)
                onEntry(*entry, length);
            if (entry->NextEntryOffset == 0)
                break;
            at += entry->NextEntryOffset;
        }
    }
    CloseHandle(h);
    return true;
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
    char name[MAX_PATH];
    return ForEachEntry(folder, [&](const FILE_DIRECTORY_INFORMATION& entry, int length) {
        if (entry.FileName[0] != L'.' && (entry.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            AnsiName(entry.FileName, length, name))
            onFolder(name);
    });
}

void ListFiles(const StorePath& folder, const char* pattern, std::vector<StoreFile>& files) {
    char name[MAX_PATH];
    ForEachEntry(folder, [&](const FILE_DIRECTORY_INFORMATION& entry, int length) {
        if (entry.FileName[0] == L'.' || (entry.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !AnsiName(entry.FileName, length, name))
            return;
        const size_t len = std::strlen(name);
        if (len >= AT_ITEM_NAME_SIZE || !WildcardMatch(pattern, name))
            return;
        files.emplace_back();
        StoreFile& f = files.back();
        std::memcpy(f.name, name, len + 1);
        f.size = Clamp32(entry.EndOfFile.QuadPart);
        f.modTime = Clamp32(UnixSeconds(entry.LastWriteTime));
    });
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
