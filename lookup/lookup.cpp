// The "Lookup" dialog's set-up, refresh, and reaction to the user.
#include "lookup.h"

#include "dpi.h"
#include "kelvast.h"
#include "tavorin.h"
#include "toolbar_images.h"

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

// Suspends a window's drawing for a scope: filling a list of thousands of
// rows would otherwise repaint it row by row. A virtual list needs none: it
// takes its row count once, and paints once afterwards; ending the
// suspension costs a list view a full repaint of its own.
class NoRedrawScope {
  public:
    explicit NoRedrawScope(CWnd& wnd) : m_wnd(wnd) { m_wnd.SetRedraw(FALSE); }
    ~NoRedrawScope() {
        m_wnd.SetRedraw(TRUE);
        m_wnd.Invalidate();
    }
    NoRedrawScope(const NoRedrawScope&) = delete;
    NoRedrawScope& operator=(const NoRedrawScope&) = delete;

  private:
    CWnd& m_wnd;
};

const int kColumnCount = CItemRows::kColumnCount;
const int kColumnWidth = 100;
const int kResultTextSize = 50;
const char kLocalComputer[] = "\\\\.";

} // namespace

BEGIN_MESSAGE_MAP(CLookup, CDialog)
ON_COMMAND(ID_SET_DETAILS, OnSetDetails)
ON_COMMAND(ID_SET_LIST, OnSetList)
ON_EN_CHANGE(IDC_ITEM_NAME, OnFilterChanged)
ON_CBN_SELCHANGE(IDC_DATA_TYPE, OnFilterChanged)
ON_CBN_SELENDOK(IDC_AREA, OnFilterChanged)
ON_CBN_SELENDOK(IDC_DEVICE, OnFilterChanged)
ON_NOTIFY(NM_DBLCLK, IDC_ITEM_LIST, OnDblclkItemList)
ON_NOTIFY(LVN_GETDISPINFOA, IDC_ITEM_LIST, OnGetDispInfo)
ON_NOTIFY(LVN_ODFINDITEMA, IDC_ITEM_LIST, OnFindItem)
ON_NOTIFY(LVN_ODFINDITEMW, IDC_ITEM_LIST, OnFindItem)
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
    if (!list.CreateEx(m_list.GetExStyle(), m_list.GetStyle() | LVS_OWNERDATA, rect, this,
                       static_cast<UINT>(m_list.GetDlgCtrlID())))
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
        m_list.SetItemCountEx(m_rows.GetCount(), 0); // every row new: all repainted
    } else {
        // No virtual list could be made: the template's list holds the rows.
        NoRedrawScope noRedraw(m_list);
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
    Refresh(1);
}

void CLookup::OnDblclkItemList(NMHDR*, LRESULT* pResult) {
    OnOK();
    *pResult = 0;
}

void CLookup::OnOK() {
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
