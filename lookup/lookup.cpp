// The "Lookup" dialog's set-up, refresh, and reaction to the user.
#include "lookup.h"

#include "dpi.h"
#include "kelvast.h"
#include "tavorin.h"
#include "toolbar_images.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

// One for the whole process: filling a control raises change notifications
// on the same thread, whose refreshes must be turned away, whichever dialog
// they come from.
int refreshBusy = 0;

// Holds refreshBusy for one refresh, and gives it back on every way out.
class RefreshScope {
  public:
    RefreshScope() { refreshBusy = 1; }
    ~RefreshScope() { --refreshBusy; }
    RefreshScope(const RefreshScope&) = delete;
    RefreshScope& operator=(const RefreshScope&) = delete;
};

// Holds the item list's drawing from the removal of its rows until the new
// ones are counted. Drawing, Wine's list view lays out its scroll bars and
// header for the emptied list and again for the filled one, hiding and
// showing the bars and drawing them at every step: a fixed cost per
// keystroke of several walks of a thousand items. Its own suspension (it
// keeps WM_SETREDRAW to itself) leaves one layout, for the new count; the
// system's keeps that one off the screen. The list is painted once
// afterwards, its frame only when a scroll bar changed. The first rows
// show, as after every row was removed with drawing on.
class ItemListRefill {
  public:
    explicit ItemListRefill(CListCtrl& list)
        : m_list(list), m_bars(ScrollBars(list)), m_bShown((list.GetStyle() & WS_VISIBLE) != 0) {
        m_list.SetRedraw(FALSE);
        if (m_bShown)
            m_list.DefWindowProc(WM_SETREDRAW, FALSE, 0);
    }
    ~ItemListRefill() {
        const bool details = (m_list.GetStyle() & LVS_TYPEMASK) == LVS_REPORT;
        m_list.SetScrollPos(details ? SB_VERT : SB_HORZ, 0, FALSE);
        m_list.SetRedraw(TRUE);
        if (!m_bShown)
            return;
        m_list.DefWindowProc(WM_SETREDRAW, TRUE, 0);
        UINT flags = RDW_INVALIDATE | RDW_ERASE;
        if (ScrollBars(m_list) != m_bars)
            flags |= RDW_FRAME | RDW_ALLCHILDREN;
        m_list.RedrawWindow(nullptr, nullptr, flags);
    }
    ItemListRefill(const ItemListRefill&) = delete;
    ItemListRefill& operator=(const ItemListRefill&) = delete;

  private:
    // The scroll bars as they stand: range, page and position of each, and
    // which of them show.
    typedef std::array<int, 9> Bars;
    static Bars ScrollBars(const CWnd& wnd) {
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

    CListCtrl& m_list;
    const Bars m_bars;
    const bool m_bShown;
};

const int kColumnCount = CItemRows::kColumnCount;
const int kColumnWidth = 100;
const int kResultTextSize = 50;
const char kLocalComputer[] = "\\\\.";
const UINT_PTR kDeferredRefreshTimer = 1;

// A key press or a typed character for the dialog waiting in the thread's
// queue, from the keyboard or posted. Key releases do not count: the
// release of the key being handled always waits. Sent messages are left
// alone: they may not run in the middle of a notification.
bool TypedKeysWaiting(HWND hDlg) {
    MSG msg;
    const UINT flags = PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE;
    return ::PeekMessageA(&msg, hDlg, WM_KEYDOWN, WM_KEYDOWN, flags) ||
           ::PeekMessageA(&msg, hDlg, WM_CHAR, WM_CHAR, flags);
}

// Up, Down, Page Up and Page Down would move the caret of a one-line edit
// nowhere: the item name field reports them to the dialog the way a control
// reports a key (NM_KEYDOWN), so that they reach its message map and its
// handling of failures. With Shift or Ctrl they stay the edit's.
LRESULT CALLBACK ItemNameProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR uIdSubclass, DWORD_PTR) {
    const bool listKey =
        wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT;
    if (message == WM_KEYDOWN && listKey && ::GetKeyState(VK_SHIFT) >= 0 &&
        ::GetKeyState(VK_CONTROL) >= 0) {
        NMKEY key = {};
        key.hdr.hwndFrom = hWnd;
        key.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hWnd));
        key.hdr.code = static_cast<UINT>(NM_KEYDOWN);
        key.nVKey = static_cast<UINT>(wParam);
        key.uFlags = HIWORD(lParam);
        if (CWnd(hWnd).GetParent().SendNotify(&key.hdr))
            return 0;
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(hWnd, ItemNameProc, uIdSubclass);
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

} // namespace

BEGIN_MESSAGE_MAP(CLookup, CDialog)
ON_COMMAND(ID_SET_DETAILS, OnSetDetails)
ON_COMMAND(ID_SET_LIST, OnSetList)
ON_EN_CHANGE(IDC_ITEM_NAME, OnItemNameChanged)
ON_CBN_SELCHANGE(IDC_DATA_TYPE, OnFilterChanged)
ON_CBN_SELENDOK(IDC_AREA, OnFilterChanged)
ON_CBN_SELENDOK(IDC_DEVICE, OnFilterChanged)
ON_NOTIFY(NM_DBLCLK, IDC_ITEM_LIST, OnDblclkItemList)
ON_NOTIFY(LVN_GETDISPINFOA, IDC_ITEM_LIST, OnGetDispInfo)
ON_NOTIFY(LVN_ODFINDITEMA, IDC_ITEM_LIST, OnFindItem)
ON_NOTIFY(LVN_ODFINDITEMW, IDC_ITEM_LIST, OnFindItem)
ON_NOTIFY(NM_KEYDOWN, IDC_ITEM_NAME, OnItemNameKeyDown)
ON_NOTIFY(NM_CUSTOMDRAW, IDC_ITEM_LIST, OnCustomDrawItemList)
END_MESSAGE_MAP()

CLookup::CLookup(const char* device, const char* area, int type, const char* pattern, int flags,
                 CStringArray* results, CWnd* parent)
    : CDialog(IDD, parent), m_pResults(nullptr), m_nType(0), m_nFlags(0) {
    m_strDevice = device;
    m_strArea = area;
    m_nType = type;
    m_strItemName = pattern;
    m_nFlags = flags;
    m_pResults = results ? results : &m_ownResults;
}

CLookup::~CLookup() = default;

void CLookup::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_ITEM_NAME, m_editItemName);
    DDX_Control(pDX, IDC_DATA_TYPE, m_cbType);
    DDX_Control(pDX, IDC_ITEM_LIST, m_list);
    DDX_Control(pDX, IDC_DEVICE, m_cbDevice);
    DDX_Control(pDX, IDC_ITEM_COUNT, m_staticCount);
    DDX_Control(pDX, IDC_AREA, m_cbArea);
}

BOOL CLookup::OnInitDialog() {
    CDialog::OnInitDialog();
    ReplaceItemListByVirtualList();

    if (!(m_nFlags & LF_DEVICE))
        m_cbDevice.EnableWindow(FALSE);
    if (!(m_nFlags & LF_AREA))
        m_cbArea.EnableWindow(FALSE);
    if (!(m_nFlags & LF_TYPE))
        m_cbType.EnableWindow(FALSE);

    // Columns and toolbar images are counted in pixels: unlike the template's
    // dialog units, they do not follow the display's dpi by themselves.
    const UINT dpi = WindowDpi(m_hWnd);
    if (ReplacePlaceholderByToolbar())
        AddViewButtons(dpi);

    for (int i = 0; i < kColumnCount; ++i) {
        CString title;
        title.LoadString(IDS_ITEM + i);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaleToDpi(kColumnWidth, dpi);
        column.pszText = const_cast<char*>(title.GetString());
        column.iSubItem = i;
        m_list.InsertColumn(i, &column);
    }

    Refresh(0);
    m_editItemName.SetWindowSubclass(ItemNameProc, 0, 0);
    m_editItemName.SetFocus();
    return 0; // the focus stays where it was put
}

BOOL CLookup::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (pNMHDR->code == TTN_GETDISPINFOA) {
        NMTTDISPINFOA* pInfo = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
        UINT_PTR nID = pNMHDR->idFrom;
        if (pInfo->uFlags & TTF_IDISHWND)
            nID = static_cast<UINT_PTR>(CWnd(reinterpret_cast<HWND>(nID)).GetDlgCtrlID());
        if (nID != 0) {
            // The tooltip loads the text itself, from whichever library
            // supplies this module's resources now.
            pInfo->lpszText = MAKEINTRESOURCEA(LOWORD(nID));
            pInfo->hinst = AfxGetModuleState()->m_hCurrentResourceHandle;
            return TRUE;
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

bool CLookup::ReplacePlaceholderByToolbar() {
    // The template only reserves the toolbar's place: a localised template
    // moves the placeholder, and the toolbar follows it. A template without
    // one gets no toolbar, as when the toolbar cannot be made.
    CWnd placeholder = GetDlgItem(IDC_TOOLBAR);
    WINDOWPLACEMENT placement;
    if (!placeholder.m_hWnd || !placeholder.GetWindowPlacement(&placement))
        return false;
    const RECT rect = placement.rcNormalPosition;
    placeholder.DestroyWindow();
    return m_toolbar.Create(WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE,
                            rect, this, IDC_TOOLBAR) != FALSE;
}

void CLookup::AddViewButtons(UINT dpi) {
    if (dpi == kBaseDpi) {
        m_toolbar.AddBitmap(2, IDB_VIEW_BUTTONS);
    } else if (CreateViewImages(m_viewImages, AfxGetModuleState()->m_hCurrentResourceHandle, dpi)) {
        m_toolbar.SetImageList(&m_viewImages);
        const SIZE button = ViewButtonSize(dpi);
        m_toolbar.SetButtonSize(button.cx, button.cy);
    }
    // Image, command, state, style, data word, string index; no captions:
    // each button is known by its image and its tooltip.
    const TBBUTTON buttons[2] = {
        {0, ID_SET_DETAILS, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
        {1, ID_SET_LIST, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 1, 1},
    };
    m_toolbar.AddButtons(2, buttons);
}

void CLookup::ReplaceItemListByVirtualList() {
    // Only a list made with LVS_OWNERDATA keeps no rows of its own, and the
    // style cannot be given to a list that exists: a new list takes the
    // template's list's id, place, styles, font and place in the tab order,
    // so that a localised template's list is replaced the same way.
    RECT rect;
    m_list.GetWindowRect(&rect);
    ScreenToClient(&rect);
    CListCtrl list;
    // The selection stays visible while the focus is in the item name
    // field, whose Up and Down keys move it.
    if (!list.CreateEx(m_list.GetExStyle(), m_list.GetStyle() | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                       rect, this, static_cast<UINT>(m_list.GetDlgCtrlID())))
        return; // the template's list serves, filled row by row
    CString title;
    m_list.GetWindowText(title);
    list.SetWindowText(title);
    list.SetFont(m_list.GetFont(), FALSE);
    list.SetExtendedStyle(m_list.GetExtendedStyle());
    list.SetWindowPos(&m_list, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_list.DestroyWindow();
    m_list.Attach(list.m_hWnd);
}

void CLookup::Refresh(int bFromControls) {
    if (refreshBusy != 0)
        return;
    RefreshScope busy;
    ItemListRefill refill(m_list);

    if (bFromControls) {
        m_cbDevice.GetWindowText(m_strDevice);
        m_cbArea.GetWindowText(m_strArea);
        m_editItemName.GetWindowText(m_strItemName);
        m_nType = static_cast<int>(m_cbType.GetItemData(m_cbType.GetCurSel()));
        m_cbDevice.ResetContent();
        m_cbArea.ResetContent();
        m_list.DeleteAllItems();
    }

    if (!std::strpbrk(m_strItemName, "*?"))
        m_strItemName += "*";

    for (const char* name = ListFirstDevice(kLocalComputer, m_nFlags); name;
         name = ListNextDevice()) {
        m_cbDevice.AddString(name);
        if (_stricmp(name, m_strDevice) == 0)
            m_cbDevice.SelectString(-1, name);
    }

    for (const char* name = ListFirstArea(m_strDevice); name; name = ListNextArea()) {
        m_cbArea.AddString(name);
        if (_stricmp(name, m_strArea) == 0)
            m_cbArea.SelectString(-1, name);
    }

    if (!bFromControls) {
        m_editItemName.SetWindowText(m_strItemName);
        int code = 0;
        for (const char* name = ListFirstType(&code); name; name = ListNextType(&code)) {
            const int index = m_cbType.InsertString(-1, name);
            m_cbType.SetItemData(index, static_cast<DWORD_PTR>(code));
            if (code == m_nType)
                m_cbType.SelectString(-1, name);
        }
    }

    // The item walk refuses a pattern longer than it holds (23 characters):
    // the list then stays empty and the user can go on editing the pattern.
    m_rows.RemoveAll();
    if (m_cbArea.GetCurSel() != CB_ERR) {
        for (const char* name = ListFirstItem(m_strDevice, m_strArea, m_nType, m_strItemName); name;
             name = ListNextItem())
            m_rows.Add(name, atc_last_mod_time, atc_data_size);
    }
    if (m_list.GetStyle() & LVS_OWNERDATA) {
        m_list.SetItemCountEx(m_rows.GetCount(), 0); // repainted whole when drawing resumes
    } else {
        // No virtual list could be made: the template's list holds the rows.
        char text[128];
        for (int row = 0; row < m_rows.GetCount(); ++row) {
            m_list.InsertItem(LVIF_TEXT, row, m_rows.GetName(row), 0, 0, 0, 0);
            for (int column = 1; column < kColumnCount; ++column) {
                m_rows.GetCellText(row, column, text, sizeof text);
                LVITEMA item = {};
                item.mask = LVIF_TEXT;
                item.iItem = row;
                item.iSubItem = column;
                item.pszText = text;
                m_list.SetItem(&item);
            }
        }
    }

    CString count;
    count.Format("%d", m_list.GetItemCount());
    m_staticCount.SetWindowText(count);
}

// The view's style rule, whatever the view before: details
// loses LVS_SMALLICON and gains LVS_REPORT, list gains both bits (LVS_LIST);
// every other style bit stays.
void CLookup::OnSetDetails() {
    m_list.ModifyViewStyle(LVS_SMALLICON, LVS_REPORT);
}

void CLookup::OnSetList() {
    m_list.ModifyViewStyle(0, LVS_LIST);
}

void CLookup::OnGetDispInfo(NMLVDISPINFOA& info, LRESULT* pResult) {
    // Written into the list's own buffer, cut to its size: a caller of
    // LVM_GETITEMTEXT reads the text from there.
    LVITEMA& item = info.item;
    if (item.mask & LVIF_TEXT)
        m_rows.GetCellText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
    *pResult = 0;
}

void CLookup::OnFindItem(NMLVFINDITEMA& find, LRESULT* pResult) {
    // The two forms differ only in the text; some list views ask a window
    // of 8-bit text in the 16-bit form (Wine does, for the keyboard
    // search). The names are in the ANSI code page: so is the text sought.
    const UINT flags = find.lvfi.flags;
    *pResult = -1;
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz)
        return;
    char text[kResultTextSize] = "";
    const char* pszText = find.lvfi.psz;
    if (find.hdr.code == static_cast<UINT>(LVN_ODFINDITEMW)) {
        const wchar_t* pszWide = reinterpret_cast<const NMLVFINDITEMW&>(find).lvfi.psz;
        if (!::WideCharToMultiByte(CP_ACP, 0, pszWide, -1, text, sizeof text, nullptr, nullptr))
            return; // longer than any name: nothing begins with it
        pszText = text;
    }
    *pResult =
        m_rows.Find(pszText, find.iStart, (flags & LVFI_PARTIAL) != 0, (flags & LVFI_WRAP) != 0);
}

void CLookup::OnFilterChanged() {
    DropDeferredRefresh(); // this refresh reads the text it waited for
    Refresh(1);
}

void CLookup::OnItemNameChanged() {
    // With more keys typed already, a refresh would walk every item for a
    // name the user has typed past: wait for those keys and refresh once
    // for the name they leave. A timer fires only once no input waits; a
    // posted message would come before the keys. A change with nothing
    // typed ahead (a program's text, the last key of a burst) refreshes at
    // once, and one during a refresh is turned away as ever, not made up.
    if (refreshBusy == 0 && TypedKeysWaiting(m_hWnd)) {
        SetTimer(kDeferredRefreshTimer, USER_TIMER_MINIMUM);
        return;
    }
    OnFilterChanged();
}

void CLookup::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kDeferredRefreshTimer)
        RunDeferredRefresh();
}

bool CLookup::DropDeferredRefresh() {
    // The timer dies with the window: a refresh still waiting when the
    // dialog ends never runs.
    return KillTimer(kDeferredRefreshTimer) != FALSE;
}

void CLookup::RunDeferredRefresh() {
    if (DropDeferredRefresh())
        Refresh(1);
}

void CLookup::OnItemNameKeyDown(NMHDR* pNMHDR, LRESULT* pResult) {
    const UINT key = reinterpret_cast<NMKEY*>(pNMHDR)->nVKey;
    *pResult = 1;
    // The key moves through the rows of the name typed before it.
    RunDeferredRefresh();
    const int count = m_list.GetItemCount();
    if (count == 0)
        return;
    const int page = std::max(1, m_list.GetCountPerPage());
    const int from = m_list.GetNextItem(-1, LVNI_FOCUSED);
    int row = from + 1;
    if (key == VK_UP)
        row = from - 1;
    else if (key == VK_NEXT)
        row = from < 0 ? page - 1 : from + page;
    else if (key == VK_PRIOR)
        row = from - page;
    SelectOnlyRow(std::min(std::max(row, 0), count - 1));
}

void CLookup::OnCustomDrawItemList(NMHDR* pNMHDR, LRESULT* pResult) {
    // Without the focus a list shows its selection in the dialog's face
    // colour, which some themes make all but invisible on the list's white.
    NMLVCUSTOMDRAW& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT && m_list.GetSelectedCount() > 0 &&
        ::GetFocus() == m_editItemName.m_hWnd)
        *pResult = CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && (draw.nmcd.uItemState & CDIS_SELECTED)) {
        draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED); // else the list's colours win
        draw.clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        draw.clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
    }
}

void CLookup::SelectOnlyRow(int nRow) {
    // Some list views clear a virtual list's selection row by row: clear
    // the one selected row alone where there is only one.
    const UINT selected = m_list.GetSelectedCount();
    if (selected == 1)
        m_list.SetItemState(m_list.GetNextItem(-1, LVNI_SELECTED), 0, LVIS_SELECTED);
    else if (selected > 1)
        m_list.SetItemState(-1, 0, LVIS_SELECTED);
    m_list.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.SetSelectionMark(nRow);
    m_list.EnsureVisible(nRow, FALSE);
}

void CLookup::OnDblclkItemList(NMHDR*, LRESULT* pResult) {
    OnOK();
    *pResult = 0;
}

void CLookup::OnOK() {
    // The user confirms the rows on the screen; a refresh still waiting
    // for typed keys would replace them.
    DropDeferredRefresh();
    const int count = static_cast<int>(m_list.GetSelectedCount());
    // Collected aside and handed over in one step: the caller's array keeps
    // what it held when the collection fails (no memory) on the way.
    CStringArray names;
    names.SetSize(count, -1);
    // The row index carries over from one element to the next, so the
    // selected rows land in the array in row order.
    int row = 0;
    for (int i = 0; i < count; ++i) {
        for (;;) {
            char text[kResultTextSize] = "";
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_STATE;
            item.iItem = row;
            item.pszText = text;
            item.cchTextMax = kResultTextSize;
            item.stateMask = LVIS_SELECTED;
            if (!m_list.GetItem(&item))
                break; // no such row: the element stays empty
            ++row;
            if (item.state & LVIS_SELECTED) {
                names[i] = CString(item.pszText,
                                   static_cast<int>(strnlen(item.pszText, kResultTextSize - 1)));
                break;
            }
        }
    }
    *m_pResults = std::move(names);
    CDialog::OnOK();
}
