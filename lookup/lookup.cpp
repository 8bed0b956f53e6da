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

// What a message does to the rows the user acts on.
enum class EAct {
    kNone,
    kReadsRows, // acts on the rows: it waits for the walk due
    kConfirms,  // the same, and ends the dialog with the rows: Return, OK, a double-click
    kEnds,      // ends the dialog without them: Escape, Alt+F4, Cancel, the close box
};

EAct Act(const MSG& msg, const SDialogWindows& w) {
    const UINT key = static_cast<UINT>(msg.wParam);
    const bool bOurs = msg.hwnd == w.hDlg || ::IsChild(w.hDlg, msg.hwnd);
    switch (msg.message) {
    case WM_QUIT:
    case WM_CLOSE:
        return EAct::kEnds;
    case WM_COMMAND:
        return LOWORD(msg.wParam) == IDOK       ? EAct::kConfirms
               : LOWORD(msg.wParam) == IDCANCEL ? EAct::kEnds
                                                : EAct::kNone;
    case WM_KEYDOWN:
        if (!bOurs)
            return EAct::kNone;
        if (key == VK_ESCAPE || (msg.hwnd == w.hCancel && (key == VK_RETURN || key == VK_SPACE)))
            return EAct::kEnds;
        if (key == VK_RETURN || (msg.hwnd == w.hOK && key == VK_SPACE))
            return EAct::kConfirms;
        return msg.hwnd == w.hList || (msg.hwnd == w.hItemName && CItemList::IsRowKey(key))
                   ? EAct::kReadsRows
                   : EAct::kNone;
    case WM_SYSKEYDOWN:
        return key == VK_F4 ? EAct::kEnds : EAct::kNone;
    case WM_CHAR: // a name's first letters, typed in the list
        return msg.hwnd == w.hList ? EAct::kReadsRows : EAct::kNone;
    case WM_LBUTTONDOWN:
        return msg.hwnd == w.hCancel ? EAct::kEnds
               : msg.hwnd == w.hOK   ? EAct::kConfirms
               : msg.hwnd == w.hList ? EAct::kReadsRows
                                     : EAct::kNone;
    case WM_LBUTTONDBLCLK:
        return msg.hwnd == w.hList ? EAct::kConfirms : EAct::kNone;
    case WM_RBUTTONDOWN:
        return msg.hwnd == w.hList ? EAct::kReadsRows : EAct::kNone;
    case WM_NCLBUTTONDOWN:
        return msg.hwnd == w.hDlg && msg.wParam == HTCLOSE ? EAct::kEnds : EAct::kNone;
    default:
        return EAct::kNone;
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
ON_NOTIFY(LVN_ITEMCHANGED, IDC_ITEM_LIST, OnRowChanged)
ON_NOTIFY(LVN_ODSTATECHANGED, IDC_ITEM_LIST, OnRowsChanged)
ON_NOTIFY_FOR(LVN_GETDISPINFOA, IDC_ITEM_LIST, m_list, OnGetDispInfo)
ON_NOTIFY_FOR(LVN_ODFINDITEMA, IDC_ITEM_LIST, m_list, OnFindItem)
ON_NOTIFY_FOR(LVN_ODFINDITEMW, IDC_ITEM_LIST, m_list, OnFindItem)
ON_NOTIFY_FOR(NM_CUSTOMDRAW, IDC_ITEM_LIST, m_list, OnCustomDraw)
ON_NOTIFY_RANGE(TTN_GETDISPINFOA, 0, 0xFFFFFFFF, OnToolTipText) // a command id, or a window
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
    return 0;
}

void CLookup::OnFilterChanged() {
    const bool bListOpen =
        m_cbDevice.GetDroppedState() || m_cbArea.GetDroppedState() || m_cbType.GetDroppedState();
    m_shown.Changed(ChoiceInControls());
    m_scheduler.Changed(bListOpen ? EChange::kPickInOpenList : EChange::kPick);
}

void CLookup::OnItemNameChanged() {
    m_shown.Changed(ChoiceInControls());
    m_scheduler.Changed(EChange::kName);
}

BOOL CLookup::OnItemNameKeyDown(UINT nChar, LPARAM) {
    // The rows are those of the name before the key: the modal loop let
    // the key wait until they were listed.
    return m_list.TakeRowKey(nChar);
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
    // The user confirms the rows of the choice in force: a walk still due
    // (OK sent by another program) runs to its end first.
    m_scheduler.RowsRead();
    m_chosen = m_list.GetSelectedNames();
    // Before the first listing the rows shown, if any, are the caller's
    // choice's.
    if (m_scheduler.HasListing()) {
        const SLookupChoice& shown = m_shown.GetChoice();
        m_strDevice = shown.device;
        m_strArea = shown.area;
        m_nType = shown.type;
    }
    CDialog::OnOK();
}

// The modal loop's turns.

SDialogWindows CLookup::Windows() const {
    return {m_hWnd, m_editItemName.m_hWnd, m_list.m_hWnd, ::GetDlgItem(m_hWnd, IDOK),
            ::GetDlgItem(m_hWnd, IDCANCEL)};
}

bool CLookup::BeforeMessage(const MSG& msg) {
    const EAct act = Act(msg, Windows());
    return (act == EAct::kReadsRows || act == EAct::kConfirms) && m_scheduler.RowsRead();
}

// The refresh scheduler's questions.

bool CLookup::InputWaits(bool bPainting) {
    // A walk that another program's sent message started (a text set, a
    // pick) completes before that program's SendMessage returns, as a
    // change by message always has, unless the user presses a key or a
    // button meanwhile: painting, timers, the mouse's moves and messages
    // wait for it. Else anything waiting steps a walk aside.
    const UINT kinds = ::InSendMessage() ? QS_KEY | QS_MOUSEBUTTON
                       : bPainting       ? QS_ALLINPUT
                                         : QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE;
    return !GetAhead().empty() || HIWORD(::GetQueueStatus(kinds)) != 0;
}

bool CLookup::UserLeaves() {
    // What waits behind the message the rows wait for (the first taken
    // ahead), in order, until one confirms: once one has, nothing behind it
    // can change what the user sees. A click stays in Windows' queue, and
    // all behind it: a click on Cancel or the close box there leaves too.
    const SDialogWindows windows = Windows();
    MSG msg;
    for (size_t i = 0;; ++i) {
        if (i == GetAhead().size() && !TakeAhead(msg)) {
            const UINT flags = PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE;
            if (i == 0 || !::PeekMessageW(&msg, nullptr, 0, 0, flags) ||
                Act(msg, windows) != EAct::kEnds)
                return false;
            break;
        }
        const EAct act = i == 0 ? EAct::kNone : Act(GetAhead()[i].msg, windows);
        if (act == EAct::kConfirms)
            return false;
        if (act == EAct::kEnds) {
            msg = GetAhead()[i].msg;
            break;
        }
    }
    // The loop further out ends too.
    if (msg.message == WM_QUIT)
        ::PostQuitMessage(static_cast<int>(msg.wParam));
    EndDialog(IDCANCEL);
    return true;
}

SLookupChoice CLookup::ChoiceInControls() const {
    // Until a walk has listed the devices and areas, their selectors are
    // empty and the caller's device, area and (when no type entry names
    // it) type stay in force.
    const bool bListed = m_scheduler.HasListing();
    SLookupChoice choice{m_strDevice, m_strArea, m_nType, "", m_nFlags, true};
    if (bListed) {
        m_cbDevice.GetWindowText(choice.device);
        m_cbArea.GetWindowText(choice.area);
    }
    // The field holds UTF-16 as typed: taken to the code page by the rule
    // of every name, never best fitted ("ł" as "l") nor as a "?" (which
    // would match every name).
    std::wstring typed;
    m_editItemName.GetWindowText(typed);
    std::vector<char> name(typed.size() * 4 + 1);
    choice.bNameHeld =
        AnsiFromWide(typed.c_str(), static_cast<int>(typed.size()), name.data(), name.size()) >= 0;
    const int type = m_cbType.GetCurSel();
    if (bListed || type != CB_ERR)
        choice.type = static_cast<int>(m_cbType.GetItemData(type));
    choice.pattern = CStoreQuery::PatternToWalk(choice.bNameHeld ? name.data() : "");
    return choice;
}

SLookupChoice CLookup::ReadChoice() {
    const SLookupChoice choice = ChoiceInControls();
    m_strDevice = choice.device;
    m_strArea = choice.area;
    m_nType = choice.type;
    m_strPattern = choice.pattern;
    return choice;
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
    const int count = m_list.GetItemCount();
    m_staticCount.ShowNumber(count);
    // Once per refresh from the controls that completes: keys typed ahead,
    // refreshed for once, are not counted aloud one by one; the opening
    // fill is read with the dialog.
    if (bAnnounce && count != m_nCountBefore)
        CScreenReaderNotes::Announce(m_staticCount.m_hWnd);
}

void CLookup::ShowStoppedWalk() {
    // A program that drives the dialog waits for the plain number: rows
    // that are not the choice's never look complete.
    m_staticCount.ShowNumber(m_list.GetItemCount(), true);
}
