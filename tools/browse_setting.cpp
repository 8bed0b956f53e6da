// -v: which TAVORIN and which storage library the process really loaded,
// and which store root the stand-in reads: the first things to doubt where
// the dialog shows nothing.
#include "browse_print.h"

#include "kelvast.h"
#include "lookup_flags.h"

#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// The file a function was loaded from.
std::string ModuleOf(const void* address) {
#if defined(_WIN32)
    HMODULE module = nullptr;
    char path[MAX_PATH];
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &module)) {
        const DWORD n = GetModuleFileNameA(module, path, sizeof path);
        if (n > 0 && n < sizeof path)
            return std::string(path, n);
    }
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
}
