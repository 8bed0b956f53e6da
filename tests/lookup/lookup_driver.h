// Drives the real "Lookup" dialog from outside: the entry point runs on the
// test's thread, a second thread finds the dialog and works it through
// window messages, the way a user's input would reach it.
#ifndef LOOKUP_DRIVER_H
#define LOOKUP_DRIVER_H

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

// Every message to the dialog waits at most this long.
const UINT kSendTimeoutMs = 3000;

typedef std::array<std::string, 4> Row; // item, date, time, size

class LookupWindow {
  public:
    LookupWindow(HWND hDlg, DWORD threadId) : m_hDlg(hDlg), m_threadId(threadId) {}

    HWND Dialog() const { return m_hDlg; }
    HWND Item(int id) const { return GetDlgItem(m_hDlg, id); }
    bool IsOpen() const { return IsWindow(m_hDlg) && IsWindowVisible(m_hDlg); }

    // Attributes, read through messages.
    LRESULT Send(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    std::string Text(HWND hWnd) const;
    std::string Text(int id) const { return Text(Item(id)); }
    std::vector<std::string> Entries(int comboId) const;
    std::string Selection(int comboId) const; // "" when none is selected
    std::vector<Row> Rows() const;
    std::vector<std::string> Names() const; // column 0 of Rows()
    HWND Focus() const;
    LONG ListStyle() const;

    // Operations, as a user's input reaches the dialog.
    void SetPattern(const char* text) const;         // one change notification
    void Pick(int comboId, const char* entry) const; // selects and confirms an entry
    void SelectRows(const std::vector<int>& rows) const;
    void Command(int id, int code = 0) const; // WM_COMMAND from a control or button
    void PostKey(UINT vk) const;              // a key press in the focused control
    bool WaitClosed(DWORD ms = 3000) const;

  private:
    HWND m_hDlg;
    DWORD m_threadId;
};

struct DriveOutcome {
    bool appeared = false;
    bool closedByHarness = false; // drive left the dialog open
};

// Runs call on this thread; once the dialog it opens shows, runs drive on a
// second thread. A dialog still open when drive returns is cancelled. A
// dialog that never appears, or one that does not close, fails the test
// within seconds rather than hanging it.
// patienceMs bounds the wait for the dialog to show and then to close.
DriveOutcome DriveLookup(const std::function<void()>& call,
                         const std::function<void(const LookupWindow&)>& drive,
                         DWORD patienceMs = 5000);

#endif
