#include "item_count.h"

void CItemCount::ShowNumber(int nCount) {
    CString text;
    text.Format("%d", nCount);
    SetWindowText(text);
}

void CItemCount::ShowRowsRead(int nRows) {
    // Counted from the walk's first row: a walk shorter than that shows
    // only its result.
    const DWORD now = ::GetTickCount();
    if (nRows == 1)
        m_lastShown = now;
    if (now - m_lastShown < kProgressMs)
        return;
    m_lastShown = now;
    ShowNumber(nRows);
    // Painted now: a walk may hold its thread between two looks at the input.
    RedrawWindow(nullptr, nullptr, RDW_UPDATENOW);
}
