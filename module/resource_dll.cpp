#include "resource_dll.h"

#include <cstring>
#include <string>

// The image this code runs in: its processor is the process's.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const char kCommonLibraryName[] = "Dalquintoria.dll";

// Set by the first successful load of the common library and kept: the
// library stays loaded for the life of the process.
HINSTANCE commonResourceDll = nullptr;

// The module's directory joined with libraryName. A path that would not fit
// MAX_PATH is reported as not fitting rather than cut short: a shortened
// name could find and load some other file. In UTF-16: the module's folder
// may have a name the ANSI code page cannot write ("\u0141ukasz" under 1252),
// which through the ANSI functions would come back with "?", a wildcard.
bool MakeCandidatePath(const wchar_t* modulePath, const char* libraryName,
                       wchar_t (&candidate)[MAX_PATH]) {
    // Drive and directory, as _splitpath gives them: everything up to the
    // last separator, or up to the drive's colon when there is none.
    size_t dirLength = 0;
    for (size_t i = 0; modulePath[i] != L'\0'; ++i) {
        if (modulePath[i] == L'\\' || modulePath[i] == L'/' || (i == 1 && modulePath[i] == L':'))
            dirLength = i + 1;
    }
    if (dirLength >= MAX_PATH)
        return false;
    // Fails, writing only within the buffer, when the name does not fit.
    if (MultiByteToWideChar(CP_ACP, 0, libraryName, -1, candidate + dirLength,
                            static_cast<int>(MAX_PATH - dirLength)) == 0)
        return false;
    std::memcpy(candidate, modulePath, dirLength * sizeof(wchar_t));
    return true;
}

bool FileExists(const wchar_t* path) {
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW(path, &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    FindClose(hFind);
    return true;
}

int ReadProductVersionW(const wchar_t* path, DWORD* versionLS, DWORD* versionMS) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return 0;
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!hBlock)
        return 0;
    int ok = 0;
    void* pBlock = GlobalLock(hBlock);
    if (pBlock && GetFileVersionInfoW(path, handle, size, pBlock)) {
        void* pValue = nullptr;
        UINT valueLength = 0;
        // A root block shorter than the fixed record would be read past
        // its end; count it as no version.
        if (VerQueryValueW(pBlock, L"\\", &pValue, &valueLength) && pValue &&
            valueLength >= sizeof(VS_FIXEDFILEINFO)) {
            const auto* pInfo = static_cast<const VS_FIXEDFILEINFO*>(pValue);
            *versionLS = pInfo->dwProductVersionLS;
            *versionMS = pInfo->dwProductVersionMS;
            ok = 1;
        }
    }
    if (pBlock)
        GlobalUnlock(hBlock);
    GlobalFree(hBlock);
    return ok;
}

int ResourceVersionsMatchW(const wchar_t* modulePath, const wchar_t* candidatePath) {
    DWORD moduleLS = 0, moduleMS = 0;
    if (!ReadProductVersionW(modulePath, &moduleLS, &moduleMS))
        return 0;
    DWORD candidateLS = 0, candidateMS = 0;
    if (!ReadProductVersionW(candidatePath, &candidateLS, &candidateMS))
        return 0;
    // All four parts count; the file version may differ.
    return moduleLS == candidateLS && moduleMS == candidateMS ? 1 : 0;
}

// A caller's path in the ANSI code page; false when it does not fit.
bool Wide(const char* path, wchar_t (&wide)[MAX_PATH]) {
    return MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) > 0;
}

// Both messages wait for the user, so the module's loading waits too.
void ShowLoadError(const char* libraryName, DWORD error) {
    const std::string text = std::string("Error loading resource DLL! (") + libraryName +
                             ")  Error Code " + std::to_string(static_cast<unsigned long>(error)) +
                             ".\nUntranslated resources will be used.";
    MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK);
}

void ShowIncompatibleVersion(const char* libraryName) {
    const std::string text = std::string("Error loading resource DLL! (") + libraryName +
                             ")  Incompatible version.\nUntranslated resources will be used.";
    MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK);
}

WORD ImageMachine(const IMAGE_DOS_HEADER* image) {
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        reinterpret_cast<const BYTE*>(image) + image->e_lfanew);
    return headers->FileHeader.Machine;
}

// A library of the other processor that holds no code, as a resource-only
// one does, is mapped into a 64-bit process by Windows' own loader and the
// load succeeds; one with code is refused with ERROR_BAD_EXE_FORMAT. This
// module's translation is built for its own processor beside it: any other
// is refused alike, with the loader's error, and not kept loaded.
HINSTANCE LoadLibraryOfOurProcessor(const wchar_t* path, DWORD& error) {
    HINSTANCE hLibrary = LoadLibraryW(path);
    error = GetLastError();
    if (hLibrary && ImageMachine(reinterpret_cast<const IMAGE_DOS_HEADER*>(hLibrary)) !=
                        ImageMachine(&__ImageBase)) {
        FreeLibrary(hLibrary);
        hLibrary = nullptr;
        error = ERROR_BAD_EXE_FORMAT;
    }
    return hLibrary;
}

void LoadCommonResourceDll(const wchar_t* modulePath) {
    if (commonResourceDll)
        return;
    wchar_t candidate[MAX_PATH];
    if (!MakeCandidatePath(modulePath, kCommonLibraryName, candidate) || !FileExists(candidate))
        return;
    // No version test: the common library is shared by the whole suite.
    DWORD error = 0;
    HINSTANCE hLibrary = LoadLibraryOfOurProcessor(candidate, error);
    if (hLibrary)
        commonResourceDll = hLibrary;
    else
        ShowLoadError(kCommonLibraryName, error);
}

} // namespace

HINSTANCE LoadResourceDll(HINSTANCE module, const char* libraryName) {
    wchar_t modulePath[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, modulePath, MAX_PATH);
    // A path that filled the buffer was cut short and names no directory of
    // ours; look for nothing then.
    if (length == 0 || length >= MAX_PATH)
        return nullptr;

    HINSTANCE hResult = nullptr;
    wchar_t candidate[MAX_PATH];
    if (MakeCandidatePath(modulePath, libraryName, candidate) && FileExists(candidate)) {
        if (!ResourceVersionsMatchW(modulePath, candidate)) {
            ShowIncompatibleVersion(libraryName);
        } else {
            // By full path only: a library of that name found elsewhere
            // (the caller's folder, the search path) must not be taken.
            DWORD error = 0;
            hResult = LoadLibraryOfOurProcessor(candidate, error);
            if (!hResult)
                ShowLoadError(libraryName, error);
        }
    }
    LoadCommonResourceDll(modulePath);
    return hResult;
}

int ResourceVersionsMatch(const char* modulePath, const char* candidatePath) {
    wchar_t module[MAX_PATH], candidate[MAX_PATH];
    return Wide(modulePath, module) && Wide(candidatePath, candidate)
               ? ResourceVersionsMatchW(module, candidate)
               : 0;
}

int ReadProductVersion(const char* path, DWORD* versionLS, DWORD* versionMS) {
    wchar_t wide[MAX_PATH];
    return Wide(path, wide) ? ReadProductVersionW(wide, versionLS, versionMS) : 0;
}
