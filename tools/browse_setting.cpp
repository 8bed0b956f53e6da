// -v: which TAVORIN and which storage library the process really loaded,
// and which store root the stand-in reads: the first things to doubt where
// the dialog shows nothing.
#include "browse_print.h"

#include "kelvast.h"
#include "lookup_flags.h"
#include "names.h"

#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
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

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

void PrintSetting(const Options& o) {
    const std::string tavorin = ModuleOf(reinterpret_cast<const void*>(&ListFirstDevice));
    const std::string kelvast = ModuleOf(reinterpret_cast<const void*>(&at_lookup_data));
    const char* env = std::getenv("KELVAST_STORE");
    // The stand-in serves no store where it cannot tell its own full path.
#if defined(_WIN32)
    const char separator = '\\';
    const bool placed = kelvast != "(unknown)";
#else
    const char separator = '/';
    const bool placed = kelvast[0] == '/';
#endif
    std::fprintf(stderr, "TAVORIN: %s\n", tavorin.c_str());
    std::fprintf(stderr, "storage library: %s\n", kelvast.c_str());
    if (env && *env)
        std::fprintf(stderr, "store root (stand-in storage, from KELVAST_STORE): %s\n", env);
    else if (!placed)
        std::fprintf(stderr, "store root (stand-in storage): none, the library's own path is "
                             "unknown; set KELVAST_STORE\n");
    else
        std::fprintf(stderr,
                     "store root (stand-in storage, beside it; KELVAST_STORE unset): %s%cstore\n",
                     FolderOf(kelvast).c_str(), separator);
    std::fprintf(stderr, "device walk flags: 0x%02x (%s)\n", static_cast<unsigned>(o.flags),
                 LookupFlagNames(o.flags).c_str());
    std::fprintf(stderr, "item name pattern: %s\n", o.pattern.c_str());
    // A short listing may be the stand-in failing on purpose: its setting
    // replays the same failures.
    if (const char* faults = std::getenv("KELVAST_FAULTS"); faults && *faults)
        std::fprintf(stderr, "storage faults (stand-in, from KELVAST_FAULTS): %s\n", faults);
#if defined(_WIN32)
    wchar_t root[MAX_PATH] = L"";
    const DWORD n = GetEnvironmentVariableW(L"KELVAST_STORE", root, MAX_PATH);
    const std::wstring library = WideModuleOf(reinterpret_cast<const void*>(&at_lookup_data));
    const std::wstring store = n > 0 && n < MAX_PATH ? root
                               : library.empty()
                                   ? L""
                                   : library.substr(0, library.rfind(L'\\')) + L"\\store";
    int count = 0;
    std::wstring first;
    if (!store.empty())
        CountLeftOut(store, L"", 1, count, first);
    if (count > 0)
        std::fprintf(stderr,
                     "left out: %d entr%s of the store whose names the ANSI code page %u cannot "
                     "hold, the first in %s\n",
                     count, count == 1 ? "y" : "ies", GetACP(), Ansi(first, "?").c_str());
#endif
}
