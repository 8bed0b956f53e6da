// The two exported entry points of the "Lookup" dialog.
#include "lookup.h"
#include "tavorin.h"

#include <cstring>

namespace {

// A plain copy with the terminating NUL: the interface gives no sizes, the
// caller provides room for what can come back.
void CopyText(char* pszOut, const CString& text) {
    std::memcpy(pszOut, text.GetString(), static_cast<size_t>(text.GetLength()) + 1);
}

// Runs the dialog; when the user confirmed with at least one item chosen,
// hands back what the flags ask for, in the fixed order device, area, type,
// and answers true.
bool RunAndCopyChoice(CLookup& dlg, int flags, char* device, char* area, int* type) {
    if (dlg.DoModal() != IDOK || dlg.m_pResults->GetSize() == 0)
        return false;
    if (flags & LF_DEVICE)
        CopyText(device, dlg.m_strDevice);
    if (flags & LF_AREA)
        CopyText(area, dlg.m_strArea);
    if (flags & LF_TYPE)
        *type = dlg.m_nType;
    return true;
}

// A caller's missing argument would only be found when the dialog closes,
// by a crash; it is turned away before anything opens.
bool ArgumentsPresent(const char* device, const char* area, const int* type, const char* pattern,
                      const void* result) {
    return device && area && type && pattern && result;
}

} // namespace

int AtLookupItem(char* device, char* area, int* type, const char* pattern, int flags,
                 char* result) {
    if (!ArgumentsPresent(device, area, type, pattern, result))
        return 0;
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    CLookup dlg(device, area, *type, pattern, flags, nullptr, nullptr);
    if (!RunAndCopyChoice(dlg, flags, device, area, type))
        return 0;
    CopyText(result, dlg.m_pResults->GetAt(0));
    return 1;
}

int AtLookupMultipleItem(char* device, char* area, int* type, const char* pattern, int flags,
                         CStringArray* results) {
    // results may be null: the names are then dropped with the dialog.
    if (!ArgumentsPresent(device, area, type, pattern, &flags))
        return 0;
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    CLookup dlg(device, area, *type, pattern, flags, results, nullptr);
    return RunAndCopyChoice(dlg, flags, device, area, type) ? 1 : 0;
}
