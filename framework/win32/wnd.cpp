// Message routing and the plain window operations.
#include "afxwin.h"

#include <vector>

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT nMessage, UINT nCode, UINT nID) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap)
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage != 0; ++entry)
            if (entry->nMessage == nMessage && entry->nCode == nCode && entry->nID == nID)
                return entry;
    return nullptr;
}

bool CCmdTarget::DispatchCommand(UINT nCode, UINT nID) {
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, nCode, nID);
    if (!entry)
        return false;
    (this->*entry->pfnCommand)();
    return true;
}

bool CCmdTarget::DispatchNotify(NMHDR* pNMHDR, LRESULT* pResult) {
    const AFX_MSGMAP_ENTRY* entry =
        FindEntry(WM_NOTIFY, pNMHDR->code, static_cast<UINT>(pNMHDR->idFrom));
    if (!entry)
        return false;
    (this->*entry->pfnNotify)(pNMHDR, pResult);
    return true;
}

void CWnd::GetWindowText(CString& rString) const {
    assert(m_hWnd);
    const int nLength = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> buffer(static_cast<size_t>(nLength) + 1);
    const int nCopied = ::GetWindowTextA(m_hWnd, buffer.data(), nLength + 1);
    rString = CString(buffer.data(), nCopied);
}

BOOL CWnd::DestroyWindow() {
    assert(m_hWnd);
    const BOOL bResult = ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return bResult;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    return DispatchCommand(HIWORD(wParam), LOWORD(wParam));
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    return DispatchNotify(reinterpret_cast<NMHDR*>(lParam), pResult);
}
