// Input that arrives while the "Lookup" dialog refreshes: the user types
// faster than the item list can be refilled for every key, and a walk over
// a slow store takes seconds. A changed name waits while further keys do,
// and the list is refilled once for the name they leave; a walk handles the
// input between two storage calls and stops for a change, which is then
// refreshed for once the input is handled.
#ifndef TYPING_AHEAD_H
#define TYPING_AHEAD_H

#include "afxwin.h"

class CTypingAhead {
  public:
    // The timer of a deferred refresh; its WM_TIMER goes through the
    // window's message map to the window's OnTimer, which runs the refresh.
    enum { kDeferredRefreshTimer = 1 };

    explicit CTypingAhead(CDialog& dialog) : m_dialog(dialog) {}
    CTypingAhead(const CTypingAhead&) = delete;
    CTypingAhead& operator=(const CTypingAhead&) = delete;

    // Attributes
    // A refresh of this dialog runs; no other may start.
    bool IsRefreshing() const { return m_bRefreshing; }

    // Operations
    // The name changed: true when keys typed ahead wait for the window, and
    // the refresh now waits for them too. A change with nothing typed ahead
    // (a program's text, the last key of a burst) does not wait.
    bool DeferForTypedKeys();
    // The deferred refresh will not run; true when one was deferred.
    bool CancelDeferredRefresh() { return m_dialog.KillTimer(kDeferredRefreshTimer) != FALSE; }
    // A timer fires only once no input waits.
    void DeferRefresh() { m_dialog.SetTimer(kDeferredRefreshTimer, USER_TIMER_MINIMUM); }
    // The user or a program changed the choice while a refresh runs. During
    // a walk the change stops it; the refresh's own filling of the controls
    // is no change.
    void NoteChange() { m_bChanged = m_bChanged || m_bWalking; }
    // Between two storage calls of a walk: handles the input waiting, at
    // most every kLookMs, as the modal loop would. False when the walk must
    // stop: the choice changed, or the dialog ends or is gone. Keys that act
    // on the rows (Up, Down, Page Up, Page Down, Enter) wait for the walk's.
    bool HandleInputDuringWalk();
    enum { kLookMs = 25 };

    // Marks a refresh as running for its scope, on every way out.
    class CRefreshScope {
      public:
        explicit CRefreshScope(CTypingAhead& typing) : m_typing(typing) {
            m_typing.m_bRefreshing = true;
        }
        ~CRefreshScope() { m_typing.m_bRefreshing = false; }
        CRefreshScope(const CRefreshScope&) = delete;
        CRefreshScope& operator=(const CRefreshScope&) = delete;

      private:
        CTypingAhead& m_typing;
    };
    // Marks the walks of a refresh, during which input is handled.
    class CWalkScope {
      public:
        explicit CWalkScope(CTypingAhead& typing);
        ~CWalkScope() { m_typing.m_bWalking = false; }
        CWalkScope(const CWalkScope&) = delete;
        CWalkScope& operator=(const CWalkScope&) = delete;

      private:
        CTypingAhead& m_typing;
    };

  private:
    bool WalkGoesOn() const;
    void HandleWaitingInput();

    CDialog& m_dialog;
    // Per dialog: two dialogs on two threads refresh each on their own.
    bool m_bRefreshing = false;
    bool m_bWalking = false;
    bool m_bChanged = false;
    bool m_bQuitting = false; // WM_QUIT waits for the modal loop
    DWORD m_lastLook = 0;
};

#endif
