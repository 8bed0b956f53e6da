// String resources from the current module state's resource library.
#include "afxstate.h"
#include "afxstr.h"

#include <windows.h>

AFX_MODULE_STATE g_moduleState = {nullptr, nullptr};

bool AfxLoadString(unsigned int nID, CString& rText) {
    HINSTANCE hRes = AfxGetModuleState()->m_hCurrentResourceHandle;
    // Strings live in blocks of 16; reading the block ourselves tells a
    // missing string apart from an empty one, which LoadStringA does not.
    HRSRC hrsrc = FindResourceA(hRes, MAKEINTRESOURCEA((nID >> 4) + 1), MAKEINTRESOURCEA(6));
    if (!hrsrc)
        return false;
    HGLOBAL hmem = LoadResource(hRes, hrsrc);
    const WCHAR* p = hmem ? static_cast<const WCHAR*>(LockResource(hmem)) : nullptr;
    if (!p)
        return false;
    for (unsigned int i = 0; i < (nID & 15); ++i)
        p += *p + 1;
    const int cch = *p;
    if (cch == 0)
        return false;
    const int cb = WideCharToMultiByte(CP_ACP, 0, p + 1, cch, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_ACP, 0, p + 1, cch, &text[0], cb, nullptr, nullptr);
    rText = text.c_str();
    return true;
}

bool CString::LoadString(unsigned int nID) {
    return AfxLoadString(nID, *this);
}
