// String resources from the current module state's resource library.
#include "afxres.h"
#include "afxstate.h"
#include "afxstr.h"

#include <windows.h>

AFX_MODULE_STATE g_moduleState = {nullptr, nullptr};

bool AfxLoadStringW(unsigned int nID, std::wstring& rText) {
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
    // A resource library is accepted on its version alone: its block may be
    // cut short, so every length is checked against what the block holds.
    const size_t words = SizeofResource(hRes, hrsrc) / sizeof(WCHAR);
    size_t at = 0;
    for (unsigned int i = 0; i < (nID & 15) && at < words; ++i)
        at += 1 + static_cast<size_t>(p[at]);
    if (at >= words || p[at] == 0 || p[at] > words - at - 1)
        return false;
    rText.assign(p + at + 1, p[at]);
    return true;
}

bool AfxLoadString(unsigned int nID, CString& rText) {
    std::wstring wide;
    if (!AfxLoadStringW(nID, wide))
        return false;
    const int cch = static_cast<int>(wide.size());
    const int cb = WideCharToMultiByte(CP_ACP, 0, wide.data(), cch, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), cch, &text[0], cb, nullptr, nullptr);
    rText = text.c_str();
    return true;
}

bool CString::LoadString(unsigned int nID) {
    return AfxLoadString(nID, *this);
}
