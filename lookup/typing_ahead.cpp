#include "typing_ahead.h"

#include "item_list.h"

namespace {

// A key press or a typed character for the window waiting in the thread's
// queue. Key releases do not count: the release of the key being handled
// always waits.
bool TypedKeysWaiting(HWND hWnd) {
    MSG msg;
    const UINT flags = PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE;
    return ::PeekMessageA(&msg, hWnd, WM_KEYDOWN, WM_KEYDOWN, flags) ||
           ::PeekMessageA(&msg, hWnd, WM_CHAR, WM_CHAR, flags);
}

// Keys that move through the rows, or confirm one, act on the rows the walk
// finds: handled now, they would act on the rows of the refresh before.
bool WaitsForTheRows(const MSG& msg, HWND hDlg) {
    const UINT key = static_cast<UINT>(msg.wParam);
    return msg.message == WM_KEYDOWN && (msg.hwnd == hDlg || ::IsChild(hDlg, msg.hwnd)) &&
           (CItemList::IsRowKey(key) || key == VK_RETURN);
}

} // namespace

CTypingAhead::CWalkScope::CWalkScope(CTypingAhead& typing) : m_typing(typing) {
    m_typing.m_bWalking = true;
    m_typing.m_bChanged = false;
    m_typing.m_lastLook = ::GetTickCount();
}

bool CTypingAhead::DeferForTypedKeys() {
    // A posted message would come before the keys.
    if (!TypedKeysWaiting(m_dialog.m_hWnd))
        return false;
    DeferRefresh();
    return true;
}

bool CTypingAhead::WalkGoesOn() const {
    return !m_bChanged && !m_bQuitting && m_dialog.m_hWnd && !m_dialog.IsEnding();
}

bool CTypingAhead::HandleInputDuringWalk() {
    const DWORD now = ::GetTickCount();
    if (now - m_lastLook >= kLookMs) {
        m_lastLook = now;
        HandleWaitingInput();
    }
    return WalkGoesOn();
}

void CTypingAhead::HandleWaitingInput() {
    // Every look at the queue also runs what other threads sent meanwhile
    // (a program setting the name, a screen reader pressing Cancel): their
    // handlers see the refresh running and note the change, or end the
    // dialog. Input is taken in its order, so that Shift or Alt is down
    // when the key after it is translated.
    // A window that never validates its paint must not hold the walk.
    const int kMostPerLook = 200;
    MSG msg;
    for (int n = 0;
         n < kMostPerLook && WalkGoesOn() && ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
         ++n) {
        HWND hDlg = m_dialog.m_hWnd;
        if (msg.message == WM_QUIT) {
            m_bQuitting = true;
            return;
        }
        if (WaitsForTheRows(msg, hDlg))
            return;
        if (!::PeekMessageA(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE))
            continue;
        if (!::IsDialogMessageA(hDlg, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}
