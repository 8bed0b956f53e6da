// The "Lookup" dialog's decisions: the first fill, the refresh from the
// controls through the store query to the selectors, list and count,
// typing ahead, OK and Cancel, and the count read out to screen readers.
#include "lookup.h"

#include "dpi.h"
#include "names.h"
#include "toolbar_images.h"

#include <cstring>
#include <utility>

namespace {

// How often a long walk shows how many rows it has read.
const DWORD kProgressMs = 200;

// A selector's entries from a complete walk; the entry that names the
// choice (ignoring case) is selected.
void ShowEntries(CComboBox& selector, const std::vector<CString>& names, const char* choice) {
    selector.ResetContent();
    for (const CString& name : names) {
        selector.AddString(name);
        if (SameNameIgnoringCase(name, choice))
            selector.SelectString(-1, name);
    }
}

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
ON_NOTIFY_FOR(LVN_GETDISPINFOA, IDC_ITEM_LIST, m_list, OnGetDispInfo)
ON_NOTIFY_FOR(LVN_ODFINDITEMA, IDC_ITEM_LIST, m_list, OnFindItem)
ON_NOTIFY_FOR(LVN_ODFINDITEMW, IDC_ITEM_LIST, m_list, OnFindItem)
ON_NOTIFY_FOR(NM_CUSTOMDRAW, IDC_ITEM_LIST, m_list, OnCustomDraw)
ON_NOTIFY_RANGE(TTN_GETDISPINFOA, 0, 0xFFFFFFFF, OnToolTipText) // a command id, or a window
ON_WM_TIMER()
ON_MESSAGE(CLookup::WM_FIRST_FILL, OnFirstFill)
ON_WM_DPICHANGED()
ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
END_MESSAGE_MAP()

// Between two storage calls of a refresh: stops the walk for what the user
// asks, and shows how many rows a long item walk has read so far.
class CLookup::CWalkWatch : public CQueryObserver {
  public:
    explicit CWalkWatch(CLookup& dlg) : m_dlg(dlg), m_lastShown(::GetTickCount()) {
        m_dlg.m_typingAhead.StartWalk();
    }
    bool GoOn() override {
        return m_dlg.m_typingAhead.LookAtInput(m_dlg.m_editItemName.m_hWnd) ==
               CTypingAhead::kNothing;
    }
    void RowsRead(int nRows) override {
        const DWORD now = ::GetTickCount();
        if (now - m_lastShown >= kProgressMs) {
            m_lastShown = now;
            m_dlg.m_staticCount.ShowNumberNow(nRows);
        }
    }

  private:
    CLookup& m_dlg;
    DWORD m_lastShown;
};

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
    if (bFromControls)
        ReadChoice();
    m_strItemName = CStoreQuery::PatternToWalk(m_strItemName);
    if (!bFromControls)
        ShowPatternAndTypes();

    // A walk the user stops leaves the rows, count and selection of the
    // refresh before, and runs again once the input that stopped it is
    // handled (for a name typed past: once, for the name the keys leave).
    const SLookupChoice choice = {m_strDevice, m_strArea, m_nType, m_strItemName, m_nFlags};
    CWalkWatch watch(*this);
    if (!m_query.Run(choice, watch)) {
        m_staticCount.ShowNumber(m_list.GetItemCount());
        return m_typingAhead.DeferRefresh();
    }
    ShowListing(bFromControls != 0);
}

void CLookup::ReadChoice() {
    // Until a first fill has listed the devices and areas, their selectors
    // are empty and the caller's device, area and (when no type entry
    // names it) type stay in force.
    if (m_bSelectorsListed) {
        m_cbDevice.GetWindowText(m_strDevice);
        m_cbArea.GetWindowText(m_strArea);
    }
    m_editItemName.GetWindowText(m_strItemName);
    const int type = m_cbType.GetCurSel();
    if (m_bSelectorsListed || type != CB_ERR)
        m_nType = static_cast<int>(m_cbType.GetItemData(type));
}

void CLookup::ShowPatternAndTypes() {
    // The edit shows the "*" the walk takes; its change notification finds
    // the refresh running.
    m_editItemName.SetWindowText(m_strItemName);
    m_cbType.ResetContent();
    for (const STypeEntry& type : CStoreQuery::ListTypes()) {
        const int index = m_cbType.InsertString(-1, type.name);
        m_cbType.SetItemData(index, static_cast<DWORD_PTR>(type.code));
        if (type.code == m_nType)
            m_cbType.SelectString(-1, type.name);
    }
}

void CLookup::ShowListing(bool bAnnounce) {
    const SLookupListing& listing = m_query.GetListing();
    ShowEntries(m_cbDevice, listing.devices, m_strDevice);
    ShowEntries(m_cbArea, listing.areas, m_strArea);
    m_bSelectorsListed = true;
    const int before = m_list.GetItemCount();
    m_list.ShowRows(m_query.TakeRows());
    const int count = m_list.GetItemCount();
    m_staticCount.ShowNumber(count);
    // Once per refresh from the controls that completes: keys typed ahead,
    // refreshed for once, are not counted aloud one by one; the opening
    // fill is read with the dialog.
    if (bAnnounce && count != before)
        CScreenReaderNotes::Announce(m_staticCount.m_hWnd);
}

void CLookup::OnFilterChanged() {
    m_typingAhead.CancelDeferredRefresh(); // this refresh reads the text it waited for
    Refresh(1);
}

void CLookup::OnItemNameChanged() {
    // A refresh would walk every item for a name the user has typed past:
    // wait for those keys and refresh once for the name they leave.
    if (!m_typingAhead.DeferForTypedKeys())
        OnFilterChanged();
}

void CLookup::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == CTypingAhead::kDeferredRefreshTimer && !CTypingAhead::IsRefreshing() &&
        m_typingAhead.CancelDeferredRefresh())
        Refresh(1); // a first fill has shown the pattern and the types
}

BOOL CLookup::OnItemNameKeyDown(UINT nChar, LPARAM) {
    // With Shift or Ctrl the keys stay the edit's. A key moves through the
    // rows of the name typed before it.
    if (::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0)
        return FALSE;
    if (nChar == VK_UP || nChar == VK_DOWN || nChar == VK_PRIOR || nChar == VK_NEXT)
        if (m_typingAhead.CancelDeferredRefresh())
            Refresh(1);
    return m_list.TakeRowKey(nChar);
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
    // The user confirms the rows on the screen; a deferred refresh would
    // replace them.
    m_typingAhead.CancelDeferredRefresh();
    m_chosen = m_list.GetSelectedNames();
    CDialog::OnOK();
}
