#include "typing_ahead.h"

int CTypingAhead::s_nRefreshing = 0;

namespace {

// A key press or a typed character for the window waiting in the thread's
// queue, from the keyboard or posted. Key releases do not count: the
// release of the key being handled always waits. Sent messages are left
// alone: they may not run in the middle of a notification.
bool TypedKeysWaiting(HWND hWnd) {
    MSG msg;
    const UINT flags = PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE;
    return ::PeekMessageA(&msg, hWnd, WM_KEYDOWN, WM_KEYDOWN, flags) ||
           ::PeekMessageA(&msg, hWnd, WM_CHAR, WM_CHAR, flags);
}

} // namespace

bool CTypingAhead::WaitForKeys() {
    // A timer fires only once no input waits; a posted message would come
    // before the keys.
    if (IsRefreshing() || !TypedKeysWaiting(m_window.m_hWnd))
        return false;
    m_window.SetTimer(kTimerId, USER_TIMER_MINIMUM);
    return true;
}
