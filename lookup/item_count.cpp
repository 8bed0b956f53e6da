#include "item_count.h"

#include <cwchar>

void CItemCount::ShowNumber(int nCount, bool bMore) {
    if (!bMore) {
        CString text;
        text.Format("%d", nCount);
        return SetWindowText(text);
    }
    // The ellipsis is in no ANSI code page but some: the text goes as
    // UTF-16, which the static keeps as it is.
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"%d\u2026", nCount);
    SetWindowText(text);
}
