// The modal dialog: its run, its window procedure and its data exchange.
#include "afxwin.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CDialog, CCmdTarget)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    // Bound again on every exchange: after an earlier run of the same
    // dialog object the member may still hold a window that is gone.
    rControl.Attach(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC));
}

INT_PTR CDialog::DoModal() {
    // The list view and the toolbar are common controls, whose window
    // classes exist only once registered.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    HINSTANCE hResource = AfxGetModuleState()->m_hCurrentResourceHandle;
    HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : GetDefaultOwner();
    const bool bOwnerWasEnabled = hOwner && ::IsWindowEnabled(hOwner);
    m_pendingException = nullptr;
    m_bEnding = false;
    m_nResult = 0;
    m_ahead.clear();
    // Modal as the system's own dialog box is: the owner takes no input
    // from before the first message until the window is gone.
    if (bOwnerWasEnabled)
        ::EnableWindow(hOwner, FALSE);
    HWND hWnd = ::CreateDialogParamA(hResource, MAKEINTRESOURCEA(m_nIDTemplate), hOwner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (hWnd)
        RunModalLoop(hOwner);
    m_ahead.clear();
    // EndDialog hands the owner back its input and the activation; a run
    // that could not start, or one ended by an exception, must not leave
    // the caller's window disabled or behind another program's.
    if (bOwnerWasEnabled && ::IsWindow(hOwner))
        ::EnableWindow(hOwner, TRUE);
    if (hWnd && ::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
    m_hWnd = nullptr;
    if (bOwnerWasEnabled && ::IsWindow(hOwner) && ::GetActiveWindow() != hOwner)
        ::SetActiveWindow(hOwner);
    if (m_pendingException) {
        std::exception_ptr pending = m_pendingException;
        m_pendingException = nullptr;
        std::rethrow_exception(pending);
    }
    return hWnd ? m_nResult : -1;
}

// The timer that blinks an edit's caret, which no header names.
const UINT kSysTimer = 0x0118;

void CDialog::RunModalLoop(HWND hOwner) {
    // One loop for every message, in the order Windows gives them: a
    // handler never pumps, and work that waits for the queue to empty runs
    // in OnIdle, in slices that step aside when anything waits.
    // Work run from here is a handler too: an exception it raises ends the
    // dialog and waits for DoModal.
    auto idle = [this] {
        bool bMore = false;
        Guard(m_hWnd, [&] { bMore = OnIdle(); });
        return bMore;
    };
    MSG msg;
    while (m_hWnd && !m_bEnding) {
        if (!PeekNext(msg)) {
            // As the system's loop does: a dialog not shown by its
            // initialisation shows once the queue is empty.
            if (!::IsWindowVisible(m_hWnd))
                ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
            if (idle())
                continue;
            if (m_bEnding)
                break;
            if (hOwner && !(::GetWindowLongA(m_hWnd, GWL_STYLE) & DS_NOIDLEMSG))
                ::SendMessageA(hOwner, WM_ENTERIDLE, MSGF_DIALOGBOX,
                               reinterpret_cast<LPARAM>(m_hWnd));
            if (!PeekNext(msg))
                ::WaitMessage();
            continue;
        }
        bool bLookAgain = false;
        Guard(m_hWnd, [&] { bLookAgain = BeforeMessage(msg); });
        if (bLookAgain)
            continue;
        if (!HandleNext(msg))
            break;
        // Painting and timers come only when nothing else waits: work due
        // goes on between them, however often a window asks to be painted.
        if (m_hWnd && !m_bEnding &&
            (msg.message == WM_PAINT || msg.message == WM_TIMER || msg.message == kSysTimer))
            idle();
    }
}

bool CDialog::PeekNext(MSG& msg) const {
    if (!m_ahead.empty()) {
        msg = m_ahead.front().msg;
        return true;
    }
    return ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

bool CDialog::HandleNext(const MSG& next) {
    MSG msg = next;
    const bool bAhead = !m_ahead.empty();
    if (bAhead) {
        // The keys as they were when it came: those after it, taken too,
        // have changed them (Shift let go before its letter is translated).
        ::SetKeyboardState(m_ahead.front().keys);
        m_ahead.pop_front();
    } else if (!::PeekMessageW(&msg, next.hwnd, next.message, next.message, PM_REMOVE)) {
        return true; // a sent message's handler took it meanwhile
    }
    if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    // In UTF-16: a character of a double-byte code page comes as one
    // WM_CHAR, where the ANSI functions would hand it on as a lead and a
    // trail byte that an ANSI edit does not join again.
    if (!::IsDialogMessageW(m_hWnd, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    // What translating it posted (its character) comes before the message
    // after it, which waits in the dialog's own queue.
    MSG posted;
    const UINT flags = PM_REMOVE | PM_QS_POSTMESSAGE;
    while (bAhead && m_hWnd && !m_bEnding &&
           (::PeekMessageW(&posted, msg.hwnd, WM_CHAR, WM_DEADCHAR, flags) ||
            ::PeekMessageW(&posted, msg.hwnd, WM_SYSCHAR, WM_SYSDEADCHAR, flags))) {
        if (!::IsDialogMessageW(m_hWnd, &posted))
            ::DispatchMessageW(&posted);
    }
    return true;
}

bool CDialog::TakeAhead(MSG& msg) {
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE))
        return false;
    const UINT m = msg.message;
    const bool bButton = (m >= WM_LBUTTONDOWN && m <= WM_MOUSELAST) ||
                         (m >= WM_NCLBUTTONDOWN && m <= WM_NCXBUTTONDBLCLK);
    if (bButton ||
        !::PeekMessageW(&msg, msg.hwnd, m, m, PM_REMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE))
        return false;
    m_ahead.push_back(SAhead{msg, {}});
    ::GetKeyboardState(m_ahead.back().keys);
    return true;
}

HWND CDialog::GetDefaultOwner() {
    // The window the user works in on this thread: a dialog owned by no
    // window would leave it usable, and could open behind it.
    HWND hActive = ::GetActiveWindow();
    return hActive ? ::GetAncestor(hActive, GA_ROOT) : nullptr;
}

void CDialog::CenterOverOwner() {
    RECT dialog;
    ::GetWindowRect(m_hWnd, &dialog);
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    const bool bOverOwner = hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(bOverOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTOPRIMARY),
                      &monitor);
    const RECT& work = monitor.rcWork;
    RECT around = work;
    if (bOverOwner)
        ::GetWindowRect(hOwner, &around);
    const int cx = dialog.right - dialog.left;
    const int cy = dialog.bottom - dialog.top;
    int x = around.left + (around.right - around.left - cx) / 2;
    int y = around.top + (around.bottom - around.top - cy) / 2;
    // An owner near an edge of the screen must not push the dialog off it;
    // its caption stays reachable when the dialog is larger than the screen.
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - cx));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - cy));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

template <class Handler> void CDialog::Guard(HWND hWnd, Handler handler) {
    try {
        handler();
    } catch (...) {
        // C++ exceptions cannot unwind through the system's modal loop: the
        // exception waits in the object and DoModal raises it again once the
        // window is gone.
        m_pendingException = std::current_exception();
        m_bEnding = true;
        m_nResult = -1;
        ::EndDialog(hWnd, -1);
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Handlers load resources and use the framework: whoever dispatches the
    // message, this module's state is the one in force while it runs.
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    CDialog* pDialog;
    if (message == WM_INITDIALOG) {
        pDialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDialog->m_hWnd = hWnd;
    } else {
        // Messages before WM_INITDIALOG (WM_SETFONT) find no object yet.
        pDialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (!pDialog || pDialog->m_pendingException)
        return FALSE;
    INT_PTR nResult = FALSE;
    pDialog->Guard(hWnd, [&] { nResult = pDialog->HandleMessage(message, wParam, lParam); });
    return nResult;
}

LRESULT CALLBACK CDialog::ChildProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR uIdSubclass, DWORD_PTR dwRefData) {
    CDialog* pDialog = reinterpret_cast<CDialog*>(dwRefData);
    LRESULT lTaken = FALSE;
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hWnd, ChildProc, uIdSubclass);
    } else if (pDialog->m_hWnd && !pDialog->m_pendingException) {
        AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
        const UINT nID = static_cast<UINT>(::GetDlgCtrlID(hWnd));
        pDialog->Guard(pDialog->m_hWnd, [&] {
            pDialog->Dispatch(message, AFX_CHILD_MESSAGE, nID, wParam, lParam, &lTaken);
        });
    }
    return lTaken ? 0 : ::DefSubclassProc(hWnd, message, wParam, lParam);
}

void CDialog::SubclassChildren() {
    // Every child named by a child-message entry, once: a second
    // SetWindowSubclass with the same procedure and id replaces the first.
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap)
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage != 0; ++entry)
            if (entry->nCode == AFX_CHILD_MESSAGE)
                if (HWND hChild = ::GetDlgItem(m_hWnd, static_cast<int>(entry->nID)))
                    ::SetWindowSubclass(hChild, ChildProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    UINT nCode = 0;
    UINT nID = 0;
    switch (message) {
    case WM_INITDIALOG: {
        const BOOL bDefaultFocus = OnInitDialog();
        CenterOverOwner();
        ::SetForegroundWindow(m_hWnd);
        return bDefaultFocus;
    }
    case WM_NCDESTROY:
        m_hWnd = nullptr;
        return FALSE;
    case WM_COMMAND:
        nCode = HIWORD(wParam);
        nID = LOWORD(wParam);
        break;
    case WM_NOTIFY:
        nCode = reinterpret_cast<const NMHDR*>(lParam)->code;
        nID = static_cast<UINT>(reinterpret_cast<const NMHDR*>(lParam)->idFrom);
        break;
    default:
        break;
    }
    LRESULT lResult = 0;
    if (nCode == 0 && Dispatch(message, AFX_THEN_DEFAULT, 0, wParam, lParam, &lResult))
        return FALSE; // the dialog manager's handling follows
    if (!Dispatch(message, nCode, nID, wParam, lParam, &lResult))
        return FALSE;
    // A dialog procedure answers a message through DWLP_MSGRESULT; the
    // handler may have ended the dialog and destroyed its window.
    if (m_hWnd)
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}

void CDialog::UpdateData(BOOL) {
    // The exchange only binds controls: it moves no value either way, and
    // nothing in it can fail.
    CDataExchange dx(this);
    DoDataExchange(&dx);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    SubclassChildren();
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
