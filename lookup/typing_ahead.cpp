#include "typing_ahead.h"

int CTypingAhead::s_nRefreshing = 0;

namespace {

// A key press or a typed character for the window waiting in the thread's
// queue, from the keyboard or posted. Key releases do not count: the
// release of the key being handled always waits. Sent messages are left
// alone: they may not run in the middle of a notification. A message sent
// by another thread while the queue is looked at can make the look find
// nothing though keys wait (seen under Wine on a busy machine): where the
// queue's status still shows input or posted messages, it is looked at
// again.
bool TypedKeysWaiting(HWND hWnd) {
    MSG msg;
    const UINT flags = PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE;
    for (int look = 0; look < 3; ++look) {
        if (::PeekMessageA(&msg, hWnd, WM_KEYDOWN, WM_KEYDOWN, flags) ||
            ::PeekMessageA(&msg, hWnd, WM_CHAR, WM_CHAR, flags))
            return true;
        if (!(HIWORD(::GetQueueStatus(QS_KEY | QS_POSTMESSAGE)) & (QS_KEY | QS_POSTMESSAGE)))
            return false;
    }
    return false;
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
