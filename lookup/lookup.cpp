// The "Lookup" dialog's events and what its refreshes show: each handler
// tells the refresh scheduler what happened; the scheduler asks the window
// for the input waiting, the choice in the controls, and to show what a
// walk found. OK, and the count read out to screen readers.
#include "lookup.h"

#include "names.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// A selector's entries from a complete walk; the entry that names the
// choice is selected.
void ShowEntries(CComboBox& selector, const std::vector<CString>& names, const char* choice) {
    selector.ResetContent();
    for (const CString& name : names)
        selector.AddString(name);
    // The entries are sorted: the chosen name is found again by its text.
    const int chosen = CStoreQuery::NameOfChoice(names, choice);
    for (int i = 0; chosen >= 0 && i < selector.GetCount(); ++i) {
        if (selector.GetLBText(i) == names[static_cast<size_t>(chosen)].GetString())
            return static_cast<void>(selector.SetCurSel(i));
    }
}

// What a message does to a walk under way (see EInput).
EInput Classify(const MSG& msg, HWND hDlg, HWND hItemName) {
    const UINT key = static_cast<UINT>(msg.wParam);
    const bool bOurs = msg.hwnd == hDlg || ::IsChild(hDlg, msg.hwnd);
    switch (msg.message) {
    case WM_QUIT:
        return EInput::kQuit;
    case WM_KEYDOWN:
        if (key == VK_ESCAPE && bOurs)
            return EInput::kEnds;
        if (msg.hwnd == hItemName && CItemList::IsRowKey(key))
            return EInput::kRowKey;
        break;
    case WM_SYSKEYDOWN:
        if (key == VK_F4)
            return EInput::kEnds;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        if (bOurs && ::GetDlgCtrlID(msg.hwnd) == IDCANCEL)
            return EInput::kEnds;
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
        if (msg.hwnd == hDlg && msg.wParam == HTCLOSE)
            return EInput::kEnds;
        break;
    case WM_CLOSE:
        return EInput::kEnds;
    case WM_COMMAND:
        if (LOWORD(msg.wParam) == IDCANCEL)
            return EInput::kEnds;
        break;
    default:
        break;
    }
    const UINT m = msg.message;
    if ((m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
        (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK))
        return EInput::kUser;
    return EInput::kOther;
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
ON_NOTIFY(LVN_ITEMCHANGED, IDC_ITEM_LIST, OnRowChanged)
ON_NOTIFY(LVN_ODSTATECHANGED, IDC_ITEM_LIST, OnRowsChanged)
ON_NOTIFY_FOR(LVN_GETDISPINFOA, IDC_ITEM_LIST, m_list, OnGetDispInfo)
ON_NOTIFY_FOR(LVN_ODFINDITEMA, IDC_ITEM_LIST, m_list, OnFindItem)
ON_NOTIFY_FOR(LVN_ODFINDITEMW, IDC_ITEM_LIST, m_list, OnFindItem)
ON_NOTIFY_FOR(NM_CUSTOMDRAW, IDC_ITEM_LIST, m_list, OnCustomDraw)
ON_NOTIFY_RANGE(TTN_GETDISPINFOA, 0, 0xFFFFFFFF, OnToolTipText) // a command id, or a window
ON_WM_TIMER()
ON_WM_DESTROY()
ON_MESSAGE(CLookup::WM_FIRST_FILL, OnFirstFill)
ON_WM_DPICHANGED()
ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
END_MESSAGE_MAP()

INT_PTR CLookup::DoModal() {
    m_opened = Now();
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
    m_scheduler.FirstFill(m_opened);
    return 0;
}

LRESULT CLookup::OnDestroy(WPARAM, LPARAM) {
    m_screenReader.Clear();
    m_held.clear();
    return 0;
}

void CLookup::OnFilterChanged() {
    const bool bListOpen =
        m_cbDevice.GetDroppedState() || m_cbArea.GetDroppedState() || m_cbType.GetDroppedState();
    m_scheduler.Changed(bListOpen ? EChange::kPickInOpenList : EChange::kPick);
}

void CLookup::OnItemNameChanged() {
    m_scheduler.Changed(EChange::kName);
}

void CLookup::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kDeferredRefreshTimer)
        m_scheduler.TimerFired();
}

BOOL CLookup::OnItemNameKeyDown(UINT nChar, LPARAM) {
    if (!CItemList::IsRowKey(nChar))
        return FALSE;
    m_scheduler.BeforeRowKey();
    const bool bTaken = m_list.TakeRowKey(nChar);
    m_scheduler.AfterRowKey();
    return bTaken;
}

void CLookup::OnDblclkItemList(NMHDR*, LRESULT* pResult) {
    OnOK();
    *pResult = 0;
}

void CLookup::OnRowChanged(NMLISTVIEW& change, LRESULT*) {
    if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
        UserSelected();
}

void CLookup::OnRowsChanged(NMLVODSTATECHANGE& change, LRESULT*) {
    if ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)
        UserSelected();
}

void CLookup::UserSelected() {
    if (!m_bRefilling)
        m_shown.Selected();
}

void CLookup::OnOK() {
    // The user confirms the rows selected when they acted, with the
    // device, area and type those rows came from: a refresh deferred or
    // still walking has read a choice that the rows are not of, and a refill
    // since may have replaced the rows the user picked from.
    m_scheduler.Confirm();
    SLookupChoice shown;
    m_chosen = m_shown.GetConfirmed(m_list.GetSelectedNames(), shown);
    if (m_shown.IsShown()) {
        m_strDevice = shown.device;
        m_strArea = shown.area;
        m_nType = shown.type;
    }
    CDialog::OnOK();
}

// The refresh scheduler's questions.

// Messages are taken and dispatched in UTF-16: a character of a double-byte
// code page comes as one WM_CHAR, where the ANSI functions would hand it on
// as a lead and a trail byte that an ANSI edit does not join again.
EInput CLookup::NextInput() {
    if (!::PeekMessageW(&m_next, nullptr, 0, 0, PM_NOREMOVE))
        return EInput::kNone;
    return Classify(m_next, m_hWnd, m_editItemName.m_hWnd);
}

void CLookup::TakeInput(bool bHold) {
    MSG msg = m_next;
    if (!::PeekMessageW(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE))
        return;
    if (!bHold)
        return HandleAsModalLoop(msg);
    // The keys as they were when it came: the keys after it have changed
    // them by the time it is handled (Shift let go before its letter is
    // translated).
    m_held.push_back(SHeldInput{msg, {}});
    ::GetKeyboardState(m_held.back().keys);
}

bool CLookup::HandleHeldInput() {
    if (m_held.empty())
        return false;
    SHeldInput held = m_held.front();
    m_held.pop_front();
    // A list view takes a press's release from the queue, in a loop of its
    // own that hands keys on untranslated: the release kept behind the
    // press, and the moves before it, go back into the queue first.
    const UINT press = held.msg.message;
    const auto release = std::find_if(m_held.begin(), m_held.end(), [&](const SHeldInput& h) {
        return (press == WM_LBUTTONDOWN || press == WM_RBUTTONDOWN) && h.msg.message == press + 1;
    });
    if (release != m_held.end()) {
        const auto after =
            std::stable_partition(m_held.begin(), release + 1, [](const SHeldInput& h) {
                return h.msg.message < WM_MOUSEFIRST || h.msg.message > WM_MOUSELAST;
            });
        for (auto it = after; it != release + 1; ++it)
            ::PostMessageW(it->msg.hwnd, it->msg.message, it->msg.wParam, it->msg.lParam);
        m_held.erase(after, release + 1);
    }
    BYTE keys[256];
    ::GetKeyboardState(keys);
    ::SetKeyboardState(held.keys);
    HandleAsModalLoop(held.msg);
    // What handling it posted (the character a key is translated to, the
    // release a press took along where the list did not take it) is
    // handled before the next message kept: else a key kept after a letter
    // acts on the rows of the name before the letter.
    MSG posted;
    const UINT flags = PM_REMOVE | PM_QS_POSTMESSAGE;
    while (::PeekMessageW(&posted, held.msg.hwnd, WM_KEYFIRST, WM_KEYLAST, flags) ||
           ::PeekMessageW(&posted, held.msg.hwnd, WM_MOUSEFIRST, WM_MOUSELAST, flags))
        HandleAsModalLoop(posted);
    ::SetKeyboardState(keys);
    return true;
}

void CLookup::HandleAsModalLoop(MSG& msg) {
    if (!m_hWnd || !::IsDialogMessageW(m_hWnd, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool CLookup::TypedKeysWaiting() {
    // Key releases do not count: the release of the key being handled
    // always waits. A posted message would come before the keys.
    MSG msg;
    const UINT flags = PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE;
    return !m_held.empty() || ::PeekMessageW(&msg, m_hWnd, WM_KEYDOWN, WM_KEYDOWN, flags) ||
           ::PeekMessageW(&msg, m_hWnd, WM_CHAR, WM_CHAR, flags);
}

void CLookup::SetRefreshTimer(bool bSet) {
    if (!m_hWnd)
        return;
    if (bSet)
        SetTimer(kDeferredRefreshTimer, USER_TIMER_MINIMUM);
    else
        KillTimer(kDeferredRefreshTimer);
}

SLookupChoice CLookup::ReadChoice() {
    // Until a walk has listed the devices and areas, their selectors are
    // empty and the caller's device, area and (when no type entry names
    // it) type stay in force.
    const bool bListed = m_scheduler.HasListing();
    if (bListed) {
        m_cbDevice.GetWindowText(m_strDevice);
        m_cbArea.GetWindowText(m_strArea);
    }
    // The field holds UTF-16 as typed: taken to the code page by the rule
    // of every name, never best fitted ("ł" as "l") nor as a "?" (which
    // would match every name).
    std::wstring typed;
    m_editItemName.GetWindowText(typed);
    std::vector<char> name(typed.size() * 4 + 1);
    const bool bHeld =
        AnsiFromWide(typed.c_str(), static_cast<int>(typed.size()), name.data(), name.size()) >= 0;
    const int type = m_cbType.GetCurSel();
    if (bListed || type != CB_ERR)
        m_nType = static_cast<int>(m_cbType.GetItemData(type));
    m_strPattern = CStoreQuery::PatternToWalk(bHeld ? name.data() : "");
    m_shown.RefreshBegins();
    return SLookupChoice{m_strDevice, m_strArea, m_nType, m_strPattern, m_nFlags, bHeld};
}

int CLookup::RowsInView() {
    return std::min(m_list.GetCountPerPage(), m_list.GetItemCount());
}

void CLookup::ShowPatternAndTypes(bool bPattern) {
    // The edit shows the "*" the walk takes; its change notification finds
    // the refresh running.
    if (bPattern) {
        m_strPattern = CStoreQuery::PatternToWalk(m_strPattern);
        m_editItemName.SetWindowText(m_strPattern);
    }
    // Appended in the walk's order: an entry's index is the type's.
    m_cbType.ResetContent();
    const std::vector<STypeEntry> types = CStoreQuery::ListTypes();
    for (const STypeEntry& type : types) {
        const int index = m_cbType.InsertString(-1, type.name);
        m_cbType.SetItemData(index, static_cast<DWORD_PTR>(type.code));
    }
    m_cbType.SetCurSel(CStoreQuery::TypeOfChoice(types, m_nType));
}

void CLookup::ShowNewRows(const SLookupChoice& choice, std::vector<SItemRow>&& rows) {
    m_nCountBefore = m_list.GetItemCount();
    const bool bPicking = m_shown.IsPicking();
    m_shown.Replace(choice, bPicking ? m_list.GetSelectedNames() : CStringArray(),
                    bPicking ? m_list.GetFocusedName() : CString());
    m_bRefilling = true;
    m_list.ShowRows(std::move(rows));
    m_bRefilling = false;
    SelectPickIn(0);
}

void CLookup::SelectPickIn(int nFrom) {
    // Rows a later batch adds may hold the rest of the pick.
    const CShownRows::SPick* pPick = m_shown.GetPickToKeep();
    if (!pPick)
        return;
    m_bRefilling = true;
    m_list.SelectNamed(pPick->names, pPick->focused, nFrom);
    m_bRefilling = false;
}

uint32_t CLookup::PreciseNow() {
    // GetTickCount moves in steps of the timer's tick (15.6 ms on Windows,
    // 16 under Wine): too coarse to tell what a batch of rows cost. The
    // counter is no clock for every storage call: under Wine each read is
    // a trip to the system (10 ms over a walk of 100,000 items).
    static const LONGLONG perMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart / 1000;
    }();
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return static_cast<uint32_t>(count.QuadPart / perMs);
}

void CLookup::ShowFirstRows(const SLookupChoice& choice, const SItemRow* pRows, int nRows) {
    ShowNewRows(choice, std::vector<SItemRow>(pRows, pRows + nRows));
    m_bRowsComing = true;
    ShowRowsComing();
}

void CLookup::AppendRows(const SItemRow* pRows, int nRows) {
    const int from = m_list.GetItemCount();
    m_list.AppendRows(pRows, nRows);
    SelectPickIn(from);
    ShowRowsComing();
}

void CLookup::ShowRowsRead(int nRead) {
    m_staticCount.ShowNumber(nRead, true);
    m_staticCount.UpdateWindow();
}

void CLookup::ShowRowsComing() {
    m_list.UpdateWindow();
    ShowRowsRead(m_list.GetItemCount());
}

void CLookup::ShowListing(const SLookupListing& listing, std::vector<SItemRow>&& rows, int nShown,
                          bool bAnnounce) {
    ShowEntries(m_cbDevice, listing.devices, m_strDevice);
    ShowEntries(m_cbArea, listing.areas, m_strArea);
    if (nShown < 0) {
        ShowNewRows(listing.choice, std::move(rows));
    } else {
        m_list.CompleteRows(std::move(rows));
        SelectPickIn(nShown);
    }
    m_bRowsComing = false;
    const int count = m_list.GetItemCount();
    m_staticCount.ShowNumber(count);
    // Once per refresh from the controls that completes: keys typed ahead,
    // refreshed for once, are not counted aloud one by one; the opening
    // fill is read with the dialog.
    if (bAnnounce && count != m_nCountBefore)
        CScreenReaderNotes::Announce(m_staticCount.m_hWnd);
}

void CLookup::ShowStoppedWalk() {
    // Rows of a walk that did not complete never look complete, nor does
    // the empty list of a first fill stopped before it showed any.
    m_staticCount.ShowNumber(m_list.GetItemCount(), m_bRowsComing || !m_scheduler.HasListing());
}
