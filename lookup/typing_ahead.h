// Typing ahead in the "Lookup" dialog: the user types faster than the item
// list can be refilled for every key, so a changed name waits while further
// keys do, and the list is refilled once for the name they leave.
#ifndef TYPING_AHEAD_H
#define TYPING_AHEAD_H

#include "afxwin.h"

class CTypingAhead {
  public:
    // The timer of a deferred refresh; its WM_TIMER goes through the
    // window's message map to the window's OnTimer, which runs the refresh.
    enum { kDeferredRefreshTimer = 1 };

    explicit CTypingAhead(CWnd& window) : m_window(window) {}
    CTypingAhead(const CTypingAhead&) = delete;
    CTypingAhead& operator=(const CTypingAhead&) = delete;

    // Attributes
    // A refresh runs somewhere in the process; no other may start.
    static bool IsRefreshing() { return s_nRefreshing != 0; }

    // Operations
    // The name changed: true when keys typed ahead wait for the window, and
    // the refresh now waits for them too. A change with nothing typed ahead
    // (a program's text, the last key of a burst), or one raised by a
    // refresh itself, does not wait.
    bool DeferForTypedKeys();
    // The deferred refresh will not run; true when one was deferred.
    bool CancelDeferredRefresh() { return m_window.KillTimer(kDeferredRefreshTimer) != FALSE; }
    // A refresh that could not run to its end runs again once the input
    // that stopped it is handled: a timer fires only once no input waits.
    void DeferRefresh() { m_window.SetTimer(kDeferredRefreshTimer, USER_TIMER_MINIMUM); }

    // What the user asked for while a walk goes on, by the first input of
    // its kind waiting in the queue.
    enum Asked {
        kNothing,   // nothing, or what waits for the walk (OK, Enter, a selector)
        kToEnd,     // Escape, Cancel, the close box, Alt+F4
        kNameTyped, // keys that change the item name field (hNameField)
    };
    // Looks at the queue between two storage calls of a walk, at most every
    // kLookMs: often enough that the user is never kept waiting, seldom
    // enough that a fast walk does not notice. Handles no input.
    Asked LookAtInput(HWND hNameField);
    // Starts the clock of a walk's looks.
    void StartWalk() { m_lastLook = ::GetTickCount(); }
    enum { kLookMs = 25 };

    // Marks a refresh as running for its scope, on every way out.
    class CRefreshScope {
      public:
        CRefreshScope() { s_nRefreshing = 1; }
        ~CRefreshScope() { s_nRefreshing = 0; }
        CRefreshScope(const CRefreshScope&) = delete;
        CRefreshScope& operator=(const CRefreshScope&) = delete;
    };

  private:
    // One for the whole process: filling a control raises change
    // notifications on the same thread, whose refreshes must be turned
    // away, whichever dialog they come from.
    static int s_nRefreshing;

    CWnd& m_window;
    DWORD m_lastLook = 0;
};

#endif
