// Control operations that take more than one message or call.
#include "afxwin.h"

#include <vector>

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

int CListCtrl::GetItemText(int nItem, int nSubItem, char* lpszText, int nLen) const {
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = lpszText;
    item.cchTextMax = nLen;
    return static_cast<int>(
        SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* lpszText) {
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<char*>(lpszText);
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

void CListCtrl::ModifyViewStyle(DWORD dwRemove, DWORD dwAdd) {
    ModifyStyle(dwRemove, dwAdd);
    SetWindowPos(nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RedrawWindow(nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CListCtrl::SelectOnly(int nItem) {
    // Some list views clear a virtual list's selection row by row: clear
    // the one selected row alone where there is only one.
    const UINT selected = GetSelectedCount();
    if (selected == 1)
        SetItemState(GetNextItem(-1, LVNI_SELECTED), 0, LVIS_SELECTED);
    else if (selected > 1)
        SetItemState(-1, 0, LVIS_SELECTED);
    SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetSelectionMark(nItem);
    EnsureVisible(nItem, FALSE);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    LVITEMA item = {};
    item.state = nState;
    item.stateMask = nMask;
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (!CreateEx(0, TOOLBARCLASSNAMEA, nullptr, dwStyle, rect, pParentWnd, nID))
        return FALSE;
    // Button records are read at this program's TBBUTTON size, which the
    // toolbar must know before the first one arrives.
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

int CToolBarCtrl::AddBitmap(int nNumButtons, UINT nBitmapID) {
    TBADDBITMAP bitmap = {AfxGetModuleState()->m_hCurrentResourceHandle, nBitmapID};
    return static_cast<int>(SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(nNumButtons),
                                        reinterpret_cast<LPARAM>(&bitmap)));
}

CString CComboBox::GetLBText(int nIndex) const {
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex));
    if (length == CB_ERR)
        return CString();
    std::vector<char> text(static_cast<size_t>(length) + 1);
    const LRESULT copied = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                                       reinterpret_cast<LPARAM>(text.data()));
    return copied == CB_ERR ? CString() : CString(text.data(), static_cast<int>(copied));
}
