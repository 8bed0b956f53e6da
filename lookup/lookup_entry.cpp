// The exported entry points of the "Lookup" dialog. None lets an exception
// out: a caller in C, or built by another compiler, has no way to take one.
#include "lookup.h"

#include "afxstr.h"
#include "tavorin.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

// A plain copy with the terminating NUL: the interface gives no sizes, the
// caller provides room for what can come back.
void CopyText(char* pszOut, const CString& text) {
    std::memcpy(pszOut, text.GetString(), static_cast<size_t>(text.GetLength()) + 1);
}

// Hands back what the flags ask for, in the fixed order device, area, type.
void CopyChoice(const CLookup& dlg, int flags, char* device, char* area, int* type) {
    if (flags & LF_DEVICE)
        CopyText(device, dlg.GetDevice());
    if (flags & LF_AREA)
        CopyText(area, dlg.GetArea());
    if (flags & LF_TYPE)
        *type = dlg.GetType();
}

// A caller's missing argument would only be found when the dialog closes,
// by a crash; it is turned away before anything opens.
bool ArgumentsPresent(const char* device, const char* area, const int* type, const char* pattern,
                      const void* result) {
    return device && area && type && pattern && result;
}

// The bytes of a request's pattern that are read at most: the pattern
// gives no size of its own.
const unsigned int kPatternSize = 256;

// A text that ends within the size its caller gave, so that reading it
// never runs past the buffer (strnlen reads no further than the NUL).
bool TextWithin(const char* text, unsigned int size) {
    return text && size > 0 && strnlen(text, size) < size;
}

int Refuse(TAVORIN_LOOKUP& request, unsigned int error) {
    request.error = error;
    return 0;
}

// The chosen names as one block the caller frees with LocalFree, each name
// with its NUL and one more NUL at the end; null when there is no memory.
char* NameList(const CStringArray& names, unsigned int& size) {
    size_t total = 1;
    for (int i = 0; i < names.GetSize(); ++i)
        total += static_cast<size_t>(names[i].GetLength()) + 1;
    if (total > UINT_MAX)
        return nullptr;
    char* block = static_cast<char*>(::LocalAlloc(LMEM_FIXED, total));
    if (!block)
        return nullptr;
    char* p = block;
    for (int i = 0; i < names.GetSize(); ++i) {
        CopyText(p, names[i]);
        p += names[i].GetLength() + 1;
    }
    *p = '\0';
    size = static_cast<unsigned int>(total);
    return block;
}

// Runs a request's dialog and hands back the choice. Everything that can
// fail comes before the first byte written to the caller.
int RunRequest(TAVORIN_LOOKUP& r) {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    CWnd owner(static_cast<HWND>(r.owner));
    CLookup dlg(r.device, r.area, r.type, r.pattern, r.flags, nullptr, r.owner ? &owner : nullptr);
    const INT_PTR result = dlg.DoModal();
    if (result == -1)
        return Refuse(r, TAVORIN_LOOKUP_ERR_DIALOG);
    const CStringArray& chosen = dlg.GetResults();
    if (result != IDOK || chosen.GetSize() == 0)
        return 0;

    const unsigned int deviceNeeded =
        (r.flags & LF_DEVICE) ? static_cast<unsigned int>(dlg.GetDevice().GetLength()) + 1 : 0;
    const unsigned int areaNeeded =
        (r.flags & LF_AREA) ? static_cast<unsigned int>(dlg.GetArea().GetLength()) + 1 : 0;
    if (deviceNeeded > r.deviceSize || areaNeeded > r.areaSize) {
        r.deviceNeeded = deviceNeeded;
        r.areaNeeded = areaNeeded;
        return Refuse(r, TAVORIN_LOOKUP_ERR_TOO_SMALL);
    }
    unsigned int namesSize = 0;
    char* names = NameList(chosen, namesSize);
    if (!names)
        return Refuse(r, TAVORIN_LOOKUP_ERR_MEMORY);

    CopyChoice(dlg, r.flags, r.device, r.area, &r.type);
    r.names = names;
    r.nameCount = static_cast<unsigned int>(chosen.GetSize());
    r.namesSize = namesSize;
    return 1;
}

// The two C++ entry points: runs the dialog, which hands the names chosen
// with OK to results (the dialog's own array when null), and when the user
// confirmed with at least one item chosen hands back the choice and, when
// result is given, the first name.
int RunAndCopyBack(char* device, char* area, int* type, const char* pattern, int flags,
                   CStringArray* results, char* result) {
    try {
        AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
        CLookup dlg(device, area, *type, pattern, flags, results, nullptr);
        if (dlg.DoModal() != IDOK || dlg.GetResults().GetSize() == 0)
            return 0;
        CopyChoice(dlg, flags, device, area, type);
        if (result)
            CopyText(result, dlg.GetResults().GetAt(0));
        return 1;
    } catch (...) {
        return 0;
    }
}

} // namespace

int AtLookupItem(char* device, char* area, int* type, const char* pattern, int flags,
                 char* result) {
    if (!ArgumentsPresent(device, area, type, pattern, result))
        return 0;
    return RunAndCopyBack(device, area, type, pattern, flags, nullptr, result);
}

int AtLookupMultipleItem(char* device, char* area, int* type, const char* pattern, int flags,
                         CStringArray* results) {
    // results may be null: the names are then dropped with the dialog.
    if (!ArgumentsPresent(device, area, type, pattern, &flags))
        return 0;
    return RunAndCopyBack(device, area, type, pattern, flags, results, nullptr);
}

int AtLookupItemList(TAVORIN_LOOKUP* request) {
    // A size this library does not know may belong to a larger structure
    // than ours, or a smaller one: nothing of it is written.
    if (!request || request->structSize != sizeof(TAVORIN_LOOKUP))
        return 0;
    TAVORIN_LOOKUP& r = *request;
    r.names = nullptr;
    r.nameCount = 0;
    r.namesSize = 0;
    r.error = 0;
    r.deviceNeeded = 0;
    r.areaNeeded = 0;
    if (!TextWithin(r.device, r.deviceSize) || !TextWithin(r.area, r.areaSize) ||
        !TextWithin(r.pattern, kPatternSize) ||
        (r.owner && !::IsWindow(static_cast<HWND>(r.owner))))
        return Refuse(r, TAVORIN_LOOKUP_ERR_ARGUMENT);
    try {
        return RunRequest(r);
    } catch (const std::bad_alloc&) {
        return Refuse(r, TAVORIN_LOOKUP_ERR_MEMORY);
    } catch (...) {
        return Refuse(r, TAVORIN_LOOKUP_ERR_INTERNAL);
    }
}
