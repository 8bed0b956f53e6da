#include "item_count.h"

#include <cwchar>

void CItemCount::ShowNumber(int nCount, bool bMore) {
    // The ellipsis is in no ANSI code page but some: the text goes as
    // UTF-16, which the static keeps as it is. A walk that steps aside
    // often shows the same text again: it is not set, nor redrawn.
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], bMore ? L"%d\u2026" : L"%d", nCount);
    wchar_t shown[16] = L"";
    ::InternalGetWindowText(m_hWnd, shown, sizeof shown / sizeof shown[0]);
    if (std::wcscmp(text, shown) != 0)
        SetWindowText(text);
}
