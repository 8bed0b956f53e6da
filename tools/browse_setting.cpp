// -v: which TAVORIN and which storage library the process really loaded,
// and which store root the stand-in reads: the first things to doubt where
// the dialog shows nothing.
#include "browse_print.h"

#include "kelvast.h"
#include "lookup_flags.h"
#include "names.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#endif

namespace {

#if defined(_WIN32)
// The file a function was loaded from, read in UTF-16: a best fit in the
// code page would name another folder.
std::wstring WideModuleOf(const void* address) {
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH];
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(address), &module)) {
        const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            return std::wstring(path, n);
    }
    return std::wstring();
}

std::string Ansi(const std::wstring& wide, const char* otherwise) {
    char text[4 * MAX_PATH];
    return AnsiFromWide(wide.c_str(), static_cast<int>(wide.size()), text, sizeof text) >= 0
               ? text
               : otherwise;
}

// The entries under folder, the stand-in's store to depth 4 (device, area,
// type, item), whose names the ANSI code page cannot hold: every walk
// leaves them out. Their count, and the first folder holding one, from the
// store root.
void CountLeftOut(const std::wstring& folder, const std::wstring& from, int depth, int& count,
                  std::wstring& first) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + from + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        char ansi[MAX_PATH];
        if (name == L"." || name == L"..")
            continue;
        if (AnsiFromWide(name.c_str(), -1, ansi, sizeof ansi) < 0)
            first = count++ == 0 ? (from.empty() ? L"\\" : from) : first;
        else if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && depth < 4)
            CountLeftOut(folder, from + L"\\" + name, depth + 1, count, first);
    } while (FindNextFileW(h, &found));
    FindClose(h);
}
#endif

// The file a function was loaded from.
std::string ModuleOf(const void* address) {
#if defined(_WIN32)
    const std::wstring path = WideModuleOf(address);
    if (!path.empty())
        return Ansi(path, "(a folder the ANSI code page cannot name)");
#else
    Dl_info info;
    if (dladdr(address, &info) && info.dli_fname)
        return info.dli_fname;
#endif
    return "(unknown)";
}

#if !defined(_WIN32)
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
#endif

#if defined(_WIN32)
// The stand-in's store folder, in UTF-16 as it reads it; from says where
// the name came from.
std::wstring WideStoreFolder(std::string& from) {
    wchar_t root[MAX_PATH] = L"";
    const DWORD n = GetEnvironmentVariableW(L"KELVAST_STORE", root, MAX_PATH);
    const std::wstring library = WideModuleOf(reinterpret_cast<const void*>(&at_lookup_data));
    if (n > 0 && n < MAX_PATH) {
        from = "from KELVAST_STORE";
        return root;
    }
    if (library.empty())
        return std::wstring();
    from = "beside it; KELVAST_STORE unset";
    return library.substr(0, library.rfind(L'\\')) + L"\\store";
}
#endif

// What the folder holds: its first entries, or why they cannot be read.
// Sets found and hint of store.
#if defined(_WIN32)
void Inspect(const std::wstring& folder, StoreFolder& store) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    const DWORD error = GetLastError();
    std::vector<std::string> names;
    if (attributes == INVALID_FILE_ATTRIBUTES &&
        (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
        store.found = "missing";
    } else if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        store.found = "a file, not a folder";
    } else {
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) {
            store.found = "unreadable (system error " + std::to_string(GetLastError()) + ")";
            return;
        }
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                names.push_back(Ansi(name, "?"));
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
#else
void Inspect(const std::string& folder, StoreFolder& store) {
    std::vector<std::string> names;
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        store.found = "missing";
    } else if (stat(folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        store.found = "a file, not a folder";
    } else {
        DIR* dir = opendir(folder.c_str());
        if (!dir) {
            store.found = std::string("unreadable (") + std::strerror(errno) + ")";
            return;
        }
        while (const dirent* entry = readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(entry->d_name);
        closedir(dir);
    }
#endif
    if (!store.found.empty())
        return;
    if (names.empty()) {
        store.found = "empty";
        return;
    }
    std::sort(names.begin(), names.end());
    store.found = "holds";
    for (size_t i = 0; i < names.size() && i < 8; ++i)
        store.found += (i == 0 ? " " : ", ") + names[i];
    if (names.size() > 8)
        store.found += " and " + std::to_string(names.size() - 8) + " more";
}

} // namespace

StoreFolder InspectStore() {
    StoreFolder store;
#if defined(_WIN32)
    const std::wstring folder = WideStoreFolder(store.from);
    if (!folder.empty()) {
        store.path = Ansi(folder, "(a folder the ANSI code page cannot name)");
        Inspect(folder, store);
    }
#else
    const std::string kelvast = ModuleOf(reinterpret_cast<const void*>(&at_lookup_data));
    const char* env = std::getenv("KELVAST_STORE");
    if (env && *env) {
        store.path = env;
        store.from = "from KELVAST_STORE";
    } else if (kelvast[0] == '/') {
        store.path = FolderOf(kelvast) + "/store";
        store.from = "beside it; KELVAST_STORE unset";
    }
    if (!store.path.empty())
        Inspect(store.path, store);
#endif
    if (store.path.empty()) {
        store.found = "unknown: the storage library's own path is unknown";
        store.hint = "set KELVAST_STORE to the store's folder";
    } else if (store.found == "missing" || store.found == "empty") {
#if defined(_WIN32)
        store.hint = "copy a store there (a package's bin\\store is the sample one) or set "
                     "KELVAST_STORE to your store's folder";
#else
        store.hint = "lay out a store there (scripts/make-sample-store " + store.path +
                     " makes the sample one) or set KELVAST_STORE to your store's folder";
#endif
    } else if (store.found == "a file, not a folder") {
        store.hint =
            "set KELVAST_STORE to the folder that holds the device folders (C, 3, NETWORK)";
    } else if (store.found.compare(0, 10, "unreadable") == 0) {
        store.hint =
            "give this user read access to it, or set KELVAST_STORE to a store you can read";
    }
    return store;
}

void PrintSetting(const Options& o) {
    const std::string tavorin = ModuleOf(reinterpret_cast<const void*>(&ListFirstDevice));
    const std::string kelvast = ModuleOf(reinterpret_cast<const void*>(&at_lookup_data));
    const StoreFolder store = InspectStore();
    std::fprintf(stderr, "TAVORIN: %s\n", tavorin.c_str());
    std::fprintf(stderr, "storage library: %s\n", kelvast.c_str());
    if (store.path.empty())
        std::fprintf(stderr, "store root (stand-in storage): none, the library's own path is "
                             "unknown; set KELVAST_STORE\n");
    else
        std::fprintf(stderr, "store root (stand-in storage, %s): %s: %s\n", store.from.c_str(),
                     store.path.c_str(), store.found.c_str());
    std::fprintf(stderr, "device walk flags: 0x%02x (%s)\n", static_cast<unsigned>(o.flags),
                 LookupFlagNames(o.flags).c_str());
    std::fprintf(stderr, "item name pattern: %s\n", o.pattern.c_str());
    // A short listing may be the stand-in failing on purpose: its setting
    // replays the same failures.
    if (const char* faults = std::getenv("KELVAST_FAULTS"); faults && *faults)
        std::fprintf(stderr, "storage faults (stand-in, from KELVAST_FAULTS): %s\n", faults);
#if defined(_WIN32)
    std::string from;
    const std::wstring folder = WideStoreFolder(from);
    int count = 0;
    std::wstring first;
    if (!folder.empty())
        CountLeftOut(folder, L"", 1, count, first);
    if (count > 0)
        std::fprintf(stderr,
                     "left out: %d entr%s of the store whose names the ANSI code page %u cannot "
                     "hold, the first in %s\n",
                     count, count == 1 ? "y" : "ies", GetACP(), Ansi(first, "?").c_str());
#endif
}
