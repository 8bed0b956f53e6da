// Control operations that take more than one message argument.
#include "afxwin.h"

int CListCtrl::InsertItem(UINT nMask, int nItem, const char* lpszItem, UINT nState, UINT nStateMask,
                          int nImage, LPARAM lParam) {
    LVITEMA item = {};
    item.mask = nMask;
    item.iItem = nItem;
    item.pszText = const_cast<char*>(lpszItem);
    item.state = nState;
    item.stateMask = nStateMask;
    item.iImage = nImage;
    item.lParam = lParam;
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    HWND hWnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, dwStyle, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top,
                                  pParentWnd->m_hWnd, reinterpret_cast<HMENU>(UINT_PTR(nID)),
                                  AfxGetModuleState()->m_hCurrentInstanceHandle, nullptr);
    if (!hWnd)
        return FALSE;
    m_hWnd = hWnd;
    // Button records are read at this program's TBBUTTON size, which the
    // toolbar must know before the first one arrives.
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

int CToolBarCtrl::AddBitmap(int nNumButtons, UINT nBitmapID) {
    TBADDBITMAP bitmap = {AfxGetModuleState()->m_hCurrentResourceHandle, nBitmapID};
    // A toolbar that could not be made takes no images; the dialog runs on.
    return static_cast<int>(::SendMessageA(m_hWnd, TB_ADDBITMAP, static_cast<WPARAM>(nNumButtons),
                                           reinterpret_cast<LPARAM>(&bitmap)));
}
