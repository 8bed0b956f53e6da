#include "typing_ahead.h"

int CTypingAhead::s_nRefreshing = 0;

namespace {

// The first message of this kind for hWnd or its children waiting in the
// thread's queue, from the input or posted; it stays there. Messages other
// threads sent are delivered meanwhile, as by every look at the queue, and
// under Wine a look that delivered one finds nothing else (seen on a busy
// machine): while the queue's status still shows input or posted messages,
// it is looked at again.
bool FirstWaiting(MSG& msg, HWND hWnd, UINT message) {
    const UINT kinds = QS_INPUT | QS_POSTMESSAGE;
    for (int look = 0; look < 3; ++look) {
        if (::PeekMessageA(&msg, hWnd, message, message,
                           PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE))
            return true;
        if (!(HIWORD(::GetQueueStatus(kinds)) & kinds))
            return false;
    }
    return false;
}

// A key press or a typed character for the window. Key releases do not
// count: the release of the key being handled always waits.
bool TypedKeysWaiting(HWND hWnd) {
    MSG msg;
    return FirstWaiting(msg, hWnd, WM_KEYDOWN) || FirstWaiting(msg, hWnd, WM_CHAR);
}

// A key that changes the text of a one-line edit, or moves its caret: the
// walk for the text before it is no longer wanted. Enter, Tab and the keys
// that move through the rows act on what the walk finds: they wait for it.
bool TypingKey(const MSG& msg) {
    if (msg.message == WM_CHAR)
        return msg.wParam != '\r' && msg.wParam != '\n' && msg.wParam != '\t' && msg.wParam != 0x1B;
    switch (msg.wParam) {
    case VK_RETURN:
    case VK_TAB:
    case VK_ESCAPE:
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
        return false;
    default:
        return true;
    }
}

} // namespace

bool CTypingAhead::DeferForTypedKeys() {
    // A timer fires only once no input waits; a posted message would come
    // before the keys.
    if (IsRefreshing() || !TypedKeysWaiting(m_window.m_hWnd))
        return false;
    DeferRefresh();
    return true;
}

CTypingAhead::Asked CTypingAhead::LookAtInput(HWND hNameField) {
    const DWORD now = ::GetTickCount();
    if (now - m_lastLook < kLookMs)
        return kNothing;
    m_lastLook = now;
    HWND hDlg = m_window.m_hWnd;
    MSG msg;
    if (FirstWaiting(msg, hDlg, WM_KEYDOWN) && msg.wParam == VK_ESCAPE)
        return kToEnd;
    if ((FirstWaiting(msg, hDlg, WM_SYSKEYDOWN) && msg.wParam == VK_F4) ||
        (FirstWaiting(msg, ::GetDlgItem(hDlg, IDCANCEL), WM_LBUTTONDOWN)) ||
        (FirstWaiting(msg, hDlg, WM_NCLBUTTONDOWN) && msg.wParam == HTCLOSE) ||
        (FirstWaiting(msg, hDlg, WM_SYSCOMMAND) && (msg.wParam & 0xFFF0) == SC_CLOSE) ||
        FirstWaiting(msg, hDlg, WM_CLOSE) ||
        (FirstWaiting(msg, hDlg, WM_COMMAND) && LOWORD(msg.wParam) == IDCANCEL))
        return kToEnd;
    if ((FirstWaiting(msg, hNameField, WM_KEYDOWN) && TypingKey(msg)) ||
        (FirstWaiting(msg, hNameField, WM_CHAR) && TypingKey(msg)))
        return kNameTyped;
    return kNothing;
}
