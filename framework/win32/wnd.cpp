// Message routing and the plain window operations.
#include "afxwin.h"

#include <vector>

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

bool CCmdTarget::Dispatch(UINT nMessage, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam,
                          LRESULT* pResult) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap)
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage != 0; ++entry)
            if (entry->nMessage == nMessage && entry->nCode == nCode && entry->nID <= nID &&
                nID <= entry->nLastID) {
                *pResult = entry->pfn(this, wParam, lParam);
                return true;
            }
    return false;
}

void CWnd::GetWindowText(CString& rString) const {
    assert(m_hWnd);
    const int nLength = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> buffer(static_cast<size_t>(nLength) + 1);
    const int nCopied = ::GetWindowTextA(m_hWnd, buffer.data(), nLength + 1);
    rString = CString(buffer.data(), nCopied);
}

void CWnd::GetWindowText(std::wstring& rString) const {
    assert(m_hWnd);
    rString.assign(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    rString.resize(static_cast<size_t>(
        ::GetWindowTextW(m_hWnd, &rString[0], static_cast<int>(rString.size()))));
}

namespace {
BOOL CALLBACK SendToChild(HWND hWnd, LPARAM lParam) {
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    ::SendMessageA(hWnd, msg.message, msg.wParam, msg.lParam);
    return TRUE;
}
} // namespace

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam) const {
    assert(m_hWnd);
    MSG msg = {m_hWnd, message, wParam, lParam, 0, {0, 0}};
    ::EnumChildWindows(m_hWnd, SendToChild, reinterpret_cast<LPARAM>(&msg));
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName,
                    DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                  pParentWnd->m_hWnd, reinterpret_cast<HMENU>(UINT_PTR(nID)),
                                  AfxGetModuleState()->m_hCurrentInstanceHandle, nullptr);
    if (!hWnd)
        return FALSE;
    m_hWnd = hWnd;
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd) {
    const DWORD dwStyle = GetStyle();
    const DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwNewStyle == dwStyle)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNewStyle));
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    assert(m_hWnd);
    const BOOL bResult = ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return bResult;
}
