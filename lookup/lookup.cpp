// The "Lookup" dialog's decisions: the first fill, the refresh from the
// controls through the store query to the selectors, list and count,
// typing ahead, OK and Cancel, and the count read out to screen readers.
#include "lookup.h"

#include "names.h"

#include <cstring>
#include <utility>

namespace {

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

// Between two storage calls of a refresh: handles the user's input, stops
// the walk for a change, and shows how many rows a long item walk has read.
class CLookup::CWalkWatch : public CQueryObserver {
  public:
    explicit CWalkWatch(CLookup& dlg) : m_dlg(dlg), m_walk(dlg.m_typingAhead) {}
    bool GoOn() override { return m_dlg.m_typingAhead.HandleInputDuringWalk(); }
    void RowsRead(int nRows) override { m_dlg.m_staticCount.ShowRowsRead(nRows); }

  private:
    CLookup& m_dlg;
    CTypingAhead::CWalkScope m_walk;
};

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
    if (m_typingAhead.IsRefreshing())
        return;
    CTypingAhead::CRefreshScope busy(m_typingAhead);
    if (bFromControls)
        ReadChoice();
    m_strItemName = CStoreQuery::PatternToWalk(m_strItemName);
    if (!bFromControls)
        ShowPatternAndTypes();

    // A walk stopped by a change leaves the rows, count and selection of
    // the refresh before, and runs again once the input is handled: once,
    // for the last change. One stopped because the dialog ends, or is gone,
    // leaves everything.
    const SLookupChoice choice = {m_strDevice, m_strArea, m_nType, m_strItemName, m_nFlags};
    CWalkWatch watch(*this);
    if (m_query.Run(choice, watch))
        ShowListing(bFromControls != 0);
    else if (m_hWnd && !IsEnding())
        ShowStoppedWalk();
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

void CLookup::ShowStoppedWalk() {
    m_staticCount.ShowNumber(m_list.GetItemCount());
    m_typingAhead.DeferRefresh();
}

void CLookup::OnFilterChanged() {
    // During a refresh, the change is remembered and refreshed for.
    if (m_typingAhead.IsRefreshing())
        return m_typingAhead.NoteChange();
    m_typingAhead.CancelDeferredRefresh(); // this refresh reads the text it waited for
    Refresh(1);
}

void CLookup::OnItemNameChanged() {
    // A refresh would walk every item for a name the user has typed past:
    // wait for those keys and refresh once for the name they leave.
    if (m_typingAhead.IsRefreshing() || !m_typingAhead.DeferForTypedKeys())
        OnFilterChanged();
}

void CLookup::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == CTypingAhead::kDeferredRefreshTimer && !m_typingAhead.IsRefreshing() &&
        m_typingAhead.CancelDeferredRefresh())
        Refresh(1); // a first fill has shown the pattern and the types
}

BOOL CLookup::OnItemNameKeyDown(UINT nChar, LPARAM) {
    // With Shift or Ctrl the keys stay the edit's. A key moves through the
    // rows of the name typed before it.
    if (::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0)
        return FALSE;
    if (CItemList::IsRowKey(nChar) && m_typingAhead.CancelDeferredRefresh())
        Refresh(1);
    return m_list.TakeRowKey(nChar);
}

void CLookup::OnDblclkItemList(NMHDR*, LRESULT* pResult) {
    OnOK();
    *pResult = 0;
}

void CLookup::OnOK() {
    // The user confirms the rows on the screen, with the device, area and
    // type they came from: a refresh stopped, deferred or still walking
    // (OK clicked, or sent by a program, meanwhile) has read a choice from
    // the controls that the rows are not of.
    m_typingAhead.CancelDeferredRefresh();
    if (m_bSelectorsListed) {
        const SLookupChoice& shown = m_query.GetListing().choice;
        m_strDevice = shown.device;
        m_strArea = shown.area;
        m_nType = shown.type;
    }
    m_chosen = m_list.GetSelectedNames();
    CDialog::OnOK();
}
