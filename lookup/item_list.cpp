#include "item_list.h"

#include "afxres.h"
#include "dpi.h"
#include "resource.h"
#include "colour_contrast.h"
#include "names.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unordered_set>

namespace {

const int kResultTextSize = 50;
const int kColumnWidth = 100;

// The scheme's highlight text where it reads on the highlight at 4.5 : 1
// (WCAG's for text), else black or white, whichever reads better: Wine's
// standard scheme puts white on a light blue, at 3 : 1.
COLORREF ReadableOn(COLORREF back, COLORREF text) {
    if (ColourContrast(text, back) >= 4.5)
        return text;
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    return ColourContrast(black, back) >= ColourContrast(white, back) ? black : white;
}

// Holds the list's drawing while its rows are replaced, from before the
// old ones go until the new ones are counted; the list is painted once
// when the scope ends, scrolled to its first row.
class CRefillWithoutFlicker {
  public:
    explicit CRefillWithoutFlicker(CListCtrl& list);
    ~CRefillWithoutFlicker();
    CRefillWithoutFlicker(const CRefillWithoutFlicker&) = delete;
    CRefillWithoutFlicker& operator=(const CRefillWithoutFlicker&) = delete;

  private:
    // Range, page and position of each scroll bar, and which show.
    typedef std::array<int, 9> Bars;
    static Bars ScrollBars(const CWnd& wnd);

    CListCtrl& m_list;
    const Bars m_bars;
    const bool m_bShown;
    const bool m_bPainted; // nothing of the list waited to be painted before
};

// Drawing, Wine's list view lays out its scroll bars and header for the
// emptied list and again for the filled one, hiding and showing the bars
// and drawing them at every step: a fixed cost per refill of several walks
// of a thousand items. Its own suspension (it keeps WM_SETREDRAW to itself)
// leaves one layout, for the new count; the system's keeps that one off the
// screen. The list is painted once afterwards, its frame only when a scroll
// bar changed. The first rows show, as after every row was removed with
// drawing on.
CRefillWithoutFlicker::CRefillWithoutFlicker(CListCtrl& list)
    : m_list(list), m_bars(ScrollBars(list)), m_bShown((list.GetStyle() & WS_VISIBLE) != 0),
      m_bPainted(!::GetUpdateRect(list.m_hWnd, nullptr, FALSE)) {
    m_list.SetRedraw(FALSE);
    if (m_bShown)
        m_list.DefWindowProc(WM_SETREDRAW, FALSE, 0);
}

CRefillWithoutFlicker::~CRefillWithoutFlicker() {
    const bool details = (m_list.GetStyle() & LVS_TYPEMASK) == LVS_REPORT;
    m_list.SetScrollPos(details ? SB_VERT : SB_HORZ, 0, FALSE);
    m_list.SetRedraw(TRUE);
    if (!m_bShown)
        return;
    m_list.DefWindowProc(WM_SETREDRAW, TRUE, 0);
    UINT flags = RDW_INVALIDATE | RDW_ERASE;
    if (ScrollBars(m_list) != m_bars)
        flags |= RDW_FRAME | RDW_ALLCHILDREN;
    // Wine marks the frame for painting at every change of style, the
    // system's suspension and its end included, and the frame's painting
    // makes the list's dearer too: several milliseconds a refill. A frame
    // painted before the refill, with its bars as they were, still shows
    // what it would paint.
    else if (m_bPainted)
        m_list.RedrawWindow(nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOCHILDREN);
    m_list.RedrawWindow(nullptr, nullptr, flags);
}

CRefillWithoutFlicker::Bars CRefillWithoutFlicker::ScrollBars(const CWnd& wnd) {
    SCROLLINFO h = {sizeof h, SIF_ALL, 0, 0, 0, 0, 0};
    SCROLLINFO v = h;
    wnd.GetScrollInfo(SB_HORZ, &h);
    wnd.GetScrollInfo(SB_VERT, &v);
    return {h.nMin,
            h.nMax,
            static_cast<int>(h.nPage),
            h.nPos,
            v.nMin,
            v.nMax,
            static_cast<int>(v.nPage),
            v.nPos,
            static_cast<int>(wnd.GetStyle() & (WS_HSCROLL | WS_VSCROLL))};
}

} // namespace

CStringArray CItemList::GetSelectedNames() const {
    // The list may find fewer selected rows than it counted (a selection
    // left past the rows by a refill): only the rows it finds are named,
    // never an empty name for the others.
    const int count = static_cast<int>(GetSelectedCount());
    CStringArray names;
    names.SetSize(count, -1);
    // One selected row is most often the focused one: looked for from there,
    // it spares a look at every row above it (30 ms for the last of a
    // million under Wine).
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    const bool bFocusedAlone = count == 1 && focused >= 0 && GetItemState(focused, LVIS_SELECTED);
    int row = bFocusedAlone ? focused - 1 : -1, found = 0;
    for (; found < count && (row = GetNextItem(row, LVNI_SELECTED)) != -1; ++found) {
        char text[kResultTextSize] = "";
        GetItemText(row, 0, text, kResultTextSize);
        names[found] = CString(text, static_cast<int>(strnlen(text, kResultTextSize - 1)));
    }
    names.SetSize(found, -1);
    return names;
}

CString CItemList::GetFocusedName() const {
    const int row = GetNextItem(-1, LVNI_FOCUSED);
    return row < 0 ? CString() : CString(m_rows.GetName(row));
}

void CItemList::SelectNamed(const CStringArray& names, const char* focused, int nFrom) {
    // One pass over the rows, whatever the number of names.
    std::unordered_set<std::string> wanted;
    for (int i = 0; i < names.GetSize(); ++i)
        wanted.insert(names[i].GetString());
    for (int row = nFrom; row < m_rows.GetCount(); ++row) {
        const char* name = m_rows.GetName(row);
        if (!wanted.count(name))
            continue;
        const bool bFocus = std::strcmp(name, focused) == 0;
        const UINT state = LVIS_SELECTED | (bFocus ? LVIS_FOCUSED : 0u);
        SetItemState(row, state, state);
        if (bFocus) {
            SetSelectionMark(row);
            EnsureVisible(row, FALSE);
        }
    }
}

void CItemList::MakeVirtual(CWnd* pDialog) {
    // Only a list made with LVS_OWNERDATA keeps no rows of its own, and the
    // style cannot be given to a list that exists: a new list takes the
    // template's list's id, place, styles, font and place in the tab order,
    // so that a localised template's list is replaced the same way. The
    // selection stays visible while the focus is in the item name field,
    // whose Up and Down keys move it.
    RECT rect;
    GetWindowRect(&rect);
    pDialog->ScreenToClient(&rect);
    CListCtrl list;
    if (!list.CreateEx(GetExStyle(), GetStyle() | LVS_OWNERDATA | LVS_SHOWSELALWAYS, rect, pDialog,
                       static_cast<UINT>(GetDlgCtrlID())))
        return;
    list.SetFont(GetFont(), FALSE);
    list.SetExtendedStyle(GetExtendedStyle());
    list.SetWindowPos(this, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow();
    Attach(list.m_hWnd);
}

void CItemList::InsertColumns(UINT dpi) {
    for (int i = 0; i < CItemRows::kColumnCount; ++i) {
        // The header takes UTF-16: a title reads right whatever the ANSI
        // code page can hold.
        std::wstring title;
        AfxLoadStringW(IDS_ITEM + i, title);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaleToDpi(kColumnWidth, dpi);
        column.pszText = &title[0];
        column.iSubItem = i;
        InsertColumn(i, &column);
    }
}

void CItemList::ScaleColumns(UINT fromDpi, UINT toDpi) {
    // By the ratio, keeping what the user dragged.
    for (int i = 0; i < CItemRows::kColumnCount; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        if (GetColumn(i, &column)) {
            column.cx = MulDiv(column.cx, static_cast<int>(toDpi), static_cast<int>(fromDpi));
            SetColumn(i, &column);
        }
    }
}

void CItemList::ShowRows(std::vector<SItemRow>&& rows) {
    CRefillWithoutFlicker refill(*this);
    DeleteAllItems();
    m_rows.Assign(std::move(rows));
    if (GetStyle() & LVS_OWNERDATA)
        SetItemCountEx(m_rows.GetCount(), 0); // repainted whole when drawing resumes
    else
        InsertRows(0);
}

void CItemList::AppendRows(const SItemRow* pRows, int nRows) {
    const int from = m_rows.GetCount();
    m_rows.Append(pRows, nRows);
    // Only the new rows in view are painted, and nothing scrolls.
    if (GetStyle() & LVS_OWNERDATA)
        SetItemCountEx(m_rows.GetCount(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    else
        InsertRows(from);
}

void CItemList::CompleteRows(std::vector<SItemRow>&& rows) {
    const int from = m_rows.GetCount();
    m_rows.Assign(std::move(rows));
    if (GetStyle() & LVS_OWNERDATA)
        SetItemCountEx(m_rows.GetCount(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    else
        InsertRows(from);
}

void CItemList::InsertRows(int nFrom) {
    char text[128];
    for (int row = nFrom; row < m_rows.GetCount(); ++row) {
        InsertItem(LVIF_TEXT, row, m_rows.GetName(row), 0, 0, 0, 0);
        for (int column = 1; column < CItemRows::kColumnCount; ++column) {
            m_rows.GetCellText(row, column, text, sizeof text);
            SetItemText(row, column, text);
        }
    }
}

bool CItemList::TakeRowKey(UINT nChar) {
    if (!IsRowKey(nChar))
        return false;
    const int count = GetItemCount();
    if (count == 0)
        return true;
    const int page = std::max(1, GetCountPerPage());
    const int from = GetNextItem(-1, LVNI_FOCUSED);
    int row = from + 1;
    if (nChar == VK_UP)
        row = from - 1;
    else if (nChar == VK_NEXT)
        row = from < 0 ? page - 1 : from + page;
    else if (nChar == VK_PRIOR)
        row = from - page;
    SelectOnly(std::min(std::max(row, 0), count - 1));
    return true;
}

LRESULT CItemList::OnGetDispInfo(NMLVDISPINFOA& info) {
    // Written into the list's own buffer, cut to its size: a caller of
    // LVM_GETITEMTEXT reads the text from there.
    LVITEMA& item = info.item;
    if (item.mask & LVIF_TEXT)
        m_rows.GetCellText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
    return 0;
}

LRESULT CItemList::OnFindItem(NMLVFINDITEMA& find) {
    // The two forms differ only in the text; some list views ask a window
    // of 8-bit text in the 16-bit form (Wine does, for the keyboard
    // search). The names are in the ANSI code page: so is the text sought.
    const UINT flags = find.lvfi.flags;
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz)
        return -1;
    char text[kResultTextSize] = "";
    const char* pszText = find.lvfi.psz;
    if (find.hdr.code == static_cast<UINT>(LVN_ODFINDITEMW)) {
        const wchar_t* pszWide = reinterpret_cast<const NMLVFINDITEMW&>(find).lvfi.psz;
        if (AnsiFromWide(pszWide, -1, text, sizeof text) < 0)
            return -1; // longer than any name, or no name's: nothing begins with it
        pszText = text;
    }
    return m_rows.Find(pszText, find.iStart, (flags & LVFI_PARTIAL) != 0, (flags & LVFI_WRAP) != 0);
}

LRESULT CItemList::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    // The selected rows in the scheme's highlight colours wherever the
    // focus is: unfocused, a list shows its selection in the face colour,
    // which some schemes make all but invisible on the list's background,
    // and some list views keep colours of their own for a focused one.
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return GetSelectedCount() > 0 ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && (draw.nmcd.uItemState & CDIS_SELECTED)) {
        draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED); // else the list's colours win
        draw.clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
        draw.clrText = ReadableOn(draw.clrTextBk, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
    return CDRF_DODEFAULT;
}
