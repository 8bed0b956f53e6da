// The "Lookup" dialog's refresh, and its reaction to the user.
#include "lookup.h"

#include "dpi.h"
#include "kelvast.h"
#include "names.h"
#include "tavorin.h"
#include "toolbar_images.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

const int kResultTextSize = 50;
const char kLocalComputer[] = "\\\\.";
// Callers keep the chosen device in 256 bytes: a longer name (the network
// device's is whatever the storage library answers) is not offered.
const size_t kDeviceNameMax = 255;
// How often a long walk shows how many rows it has read.
const DWORD kProgressMs = 200;

} // namespace

BEGIN_MESSAGE_MAP(CLookup, CDialog)
ON_COMMAND(ID_SET_DETAILS, OnSetDetails)
ON_COMMAND(ID_SET_LIST, OnSetList)
ON_EN_CHANGE(IDC_ITEM_NAME, OnItemNameChanged)
ON_CBN_SELCHANGE(IDC_DATA_TYPE, OnFilterChanged)
ON_CBN_SELENDOK(IDC_AREA, OnFilterChanged)
ON_CBN_SELENDOK(IDC_DEVICE, OnFilterChanged)
ON_CHILD_MESSAGE(WM_KEYDOWN, IDC_ITEM_NAME, OnItemNameKeyDown)
ON_NOTIFY(NM_DBLCLK, IDC_ITEM_LIST, OnDblclkItemList)
ON_NOTIFY(LVN_GETDISPINFOA, IDC_ITEM_LIST, OnGetDispInfo)
ON_NOTIFY(LVN_ODFINDITEMA, IDC_ITEM_LIST, OnFindItem)
ON_NOTIFY(LVN_ODFINDITEMW, IDC_ITEM_LIST, OnFindItem)
ON_NOTIFY(NM_CUSTOMDRAW, IDC_ITEM_LIST, OnCustomDrawItemList)
ON_NOTIFY_RANGE(TTN_GETDISPINFOA, 0, 0xFFFFFFFF, OnToolTipText) // a command id, or a window
ON_WM_TIMER()
ON_MESSAGE(CLookup::WM_FIRST_FILL, OnFirstFill)
ON_MESSAGE_THEN_DEFAULT(WM_DPICHANGED, OnDpiChanged) // the system scales font and template
ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
END_MESSAGE_MAP()

CLookup::CLookup(const char* device, const char* area, int type, const char* pattern, int flags,
                 CStringArray* results, CWnd* parent)
    : CDialog(IDD, parent), m_pResults(nullptr), m_nType(0), m_nFlags(0), m_typingAhead(*this),
      m_viewImageSize(kViewImageSize), m_nDpi(kBaseDpi) {
    m_strDevice = device;
    m_strArea = area;
    m_nType = type;
    m_strItemName = pattern;
    m_nFlags = flags;
    m_pResults = results ? results : &m_ownResults;
}

CLookup::~CLookup() = default;

INT_PTR CLookup::DoModal() {
    m_chosen.RemoveAll();
    const INT_PTR nResult = CDialog::DoModal();
    if (nResult == IDOK)
        *m_pResults = std::move(m_chosen);
    return nResult;
}

LRESULT CLookup::OnFirstFill(WPARAM, LPARAM) {
    // On the screen before the first walk, however long the store takes:
    // the modal loop would show the dialog only once the walk is over.
    ShowWindow(SW_SHOWNORMAL);
    RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Refresh(0);
    return 0;
}

void CLookup::Refresh(int bFromControls) {
    if (CTypingAhead::IsRefreshing())
        return;
    CTypingAhead::CRefreshScope busy;
    m_typingAhead.StartWalk();

    if (bFromControls) {
        m_cbDevice.GetWindowText(m_strDevice);
        m_cbArea.GetWindowText(m_strArea);
        m_editItemName.GetWindowText(m_strItemName);
        m_nType = static_cast<int>(m_cbType.GetItemData(m_cbType.GetCurSel()));
    }
    if (!std::strpbrk(m_strItemName, "*?"))
        m_strItemName += "*";

    // A walk the user stops leaves the rows, count and selection of the
    // refresh before, and runs again once the input that stopped it is
    // handled (for a name typed past: once, for the name the keys leave).
    if (!FillDevices() || !FillAreas())
        return m_typingAhead.RunLater();
    if (!bFromControls) {
        m_editItemName.SetWindowText(m_strItemName);
        m_cbType.ResetContent();
        FillTypes();
        m_bTypesFilled = true;
    }
    CString previous;
    m_staticCount.GetWindowText(previous);
    if (!FillItems()) {
        m_staticCount.SetWindowText(previous);
        return m_typingAhead.RunLater();
    }
    ShowRows();
    if (bFromControls)
        AnnounceCount(previous);
}

bool CLookup::WalkGoesOn(bool bTypingStops) {
    switch (m_typingAhead.LookAtInput(m_editItemName.m_hWnd)) {
    case CTypingAhead::kToEnd:
        return false;
    case CTypingAhead::kTypedPast:
        return !bTypingStops;
    default:
        return true;
    }
}

void CLookup::AnnounceCount(const CString& previous) {
    // Once per refresh that completes: keys typed ahead, refreshed for
    // once, are not counted aloud one by one. The opening fill is read
    // with the dialog.
    CString count;
    m_staticCount.GetWindowText(count);
    if (count != previous)
        CScreenReaderNotes::Announce(m_staticCount.m_hWnd);
}

namespace {

// A selector's entries, once their walk is complete: a stopped walk leaves
// the selector as it was. The entry that names the choice (ignoring case)
// is selected.
void ShowEntries(CComboBox& selector, const std::vector<CString>& names, const char* choice) {
    selector.ResetContent();
    for (const CString& name : names) {
        selector.AddString(name);
        if (SameNameIgnoringCase(name, choice))
            selector.SelectString(-1, name);
    }
}

} // namespace

bool CLookup::FillDevices() {
    // Keys typed meanwhile wait for the item walk: it reads the name.
    std::vector<CString> names;
    for (const char* name = ListFirstDevice(kLocalComputer, m_nFlags); name;
         name = ListNextDevice()) {
        if (!WalkGoesOn(false))
            return false;
        if (std::strlen(name) <= kDeviceNameMax)
            names.emplace_back(name);
    }
    ShowEntries(m_cbDevice, names, m_strDevice);
    return true;
}

bool CLookup::FillAreas() {
    std::vector<CString> names;
    for (const char* name = ListFirstArea(m_strDevice); name; name = ListNextArea()) {
        names.emplace_back(name);
        if (!WalkGoesOn(false))
            return false;
    }
    ShowEntries(m_cbArea, names, m_strArea);
    return true;
}

void CLookup::FillTypes() {
    int code = 0;
    for (const char* name = ListFirstType(&code); name; name = ListNextType(&code)) {
        const int index = m_cbType.InsertString(-1, name);
        m_cbType.SetItemData(index, static_cast<DWORD_PTR>(code));
        if (code == m_nType)
            m_cbType.SelectString(-1, name);
    }
}

bool CLookup::FillItems() {
    // The item walk refuses a pattern longer than it holds (23 characters):
    // the list then stays empty and the user can go on editing the pattern.
    // The rows go aside until the walk is complete; a long walk shows the
    // rows read so far in the count.
    m_walkRows.RemoveAll();
    if (m_cbArea.GetCurSel() != CB_ERR) {
        const DWORD start = ::GetTickCount();
        DWORD shown = start;
        for (const char* name = ListFirstItem(m_strDevice, m_strArea, m_nType, m_strItemName); name;
             name = ListNextItem()) {
            m_walkRows.Add(name, atc_last_mod_time, atc_data_size);
            if (!WalkGoesOn(true))
                return false;
            const DWORD now = ::GetTickCount();
            if (now - shown >= kProgressMs) {
                shown = now;
                // Painted now: nothing is painted while the walk goes on.
                ShowCount(m_walkRows.GetCount());
                m_staticCount.RedrawWindow(nullptr, nullptr, RDW_UPDATENOW);
            }
        }
    }
    m_rows.Swap(m_walkRows);
    return true;
}

void CLookup::ShowCount(int nCount) {
    CString count;
    count.Format("%d", nCount);
    m_staticCount.SetWindowText(count);
}

void CLookup::ShowRows() {
    CListCtrl::CRefill refill(m_list);
    m_list.DeleteAllItems();
    if (m_list.GetStyle() & LVS_OWNERDATA) {
        m_list.SetItemCountEx(m_rows.GetCount(), 0); // repainted whole when drawing resumes
    } else {
        // No virtual list could be made: the template's list holds the rows.
        char text[128];
        for (int row = 0; row < m_rows.GetCount(); ++row) {
            m_list.InsertItem(LVIF_TEXT, row, m_rows.GetName(row), 0, 0, 0, 0);
            for (int column = 1; column < CItemRows::kColumnCount; ++column) {
                m_rows.GetCellText(row, column, text, sizeof text);
                m_list.SetItemText(row, column, text);
            }
        }
    }
    ShowCount(m_list.GetItemCount());
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

void CLookup::OnToolTipText(NMTTDISPINFOA& info, LRESULT*) {
    UINT_PTR nID = info.hdr.idFrom;
    if (info.uFlags & TTF_IDISHWND)
        nID = static_cast<UINT_PTR>(CWnd(reinterpret_cast<HWND>(nID)).GetDlgCtrlID());
    if (nID == 0)
        return;
    // The tooltip loads the text itself, from whichever library supplies
    // this module's resources now.
    info.lpszText = MAKEINTRESOURCEA(LOWORD(nID));
    info.hinst = AfxGetModuleState()->m_hCurrentResourceHandle;
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
    m_typingAhead.Drop(); // this refresh reads the text it waited for
    Refresh(1);
}

void CLookup::OnItemNameChanged() {
    // A refresh would walk every item for a name the user has typed past:
    // wait for those keys and refresh once for the name they leave.
    if (!m_typingAhead.WaitForKeys())
        OnFilterChanged();
}

void CLookup::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == CTypingAhead::kTimerId && !CTypingAhead::IsRefreshing() && m_typingAhead.Drop())
        Refresh(m_bTypesFilled);
}

BOOL CLookup::OnItemNameKeyDown(UINT nChar, LPARAM) {
    // Up, Down, Page Up and Page Down would move the caret of a one-line
    // edit nowhere; with Shift or Ctrl they stay the edit's.
    const bool listKey =
        nChar == VK_UP || nChar == VK_DOWN || nChar == VK_PRIOR || nChar == VK_NEXT;
    if (!listKey || ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0)
        return FALSE;
    // The key moves through the rows of the name typed before it.
    if (m_typingAhead.Drop())
        Refresh(1);
    const int count = m_list.GetItemCount();
    if (count == 0)
        return TRUE;
    const int page = std::max(1, m_list.GetCountPerPage());
    const int from = m_list.GetNextItem(-1, LVNI_FOCUSED);
    int row = from + 1;
    if (nChar == VK_UP)
        row = from - 1;
    else if (nChar == VK_NEXT)
        row = from < 0 ? page - 1 : from + page;
    else if (nChar == VK_PRIOR)
        row = from - page;
    m_list.SelectOnly(std::min(std::max(row, 0), count - 1));
    return TRUE;
}

void CLookup::OnCustomDrawItemList(NMLVCUSTOMDRAW& draw, LRESULT* pResult) {
    // Without the focus a list shows its selection in the dialog's face
    // colour, which some themes make all but invisible on the list's white.
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

void CLookup::OnDblclkItemList(NMHDR*, LRESULT* pResult) {
    OnOK();
    *pResult = 0;
}

void CLookup::OnOK() {
    // Sent by another thread while a walk looked at the queue: the user
    // confirms complete rows, once the walk is over.
    if (CTypingAhead::IsRefreshing()) {
        PostMessage(WM_COMMAND, IDOK);
        return;
    }
    // The user confirms the rows on the screen; a refresh still waiting
    // for typed keys would replace them.
    m_typingAhead.Drop();
    // Names are read back as any program reads a row, cut to 49
    // characters; an element stays empty where the list has fewer
    // selected rows than it counted.
    const int count = static_cast<int>(m_list.GetSelectedCount());
    CStringArray names;
    names.SetSize(count, -1);
    int row = -1;
    for (int i = 0; i < count && (row = m_list.GetNextItem(row, LVNI_SELECTED)) != -1; ++i) {
        char text[kResultTextSize] = "";
        m_list.GetItemText(row, 0, text, kResultTextSize);
        names[i] = CString(text, static_cast<int>(strnlen(text, kResultTextSize - 1)));
    }
    m_chosen = std::move(names);
    CDialog::OnOK();
}
