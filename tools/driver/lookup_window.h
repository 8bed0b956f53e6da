// The "Lookup" dialog as a driver thread sees it: what it shows, read
// through messages, and a user's input, sent as messages.
#ifndef LOOKUP_WINDOW_H
#define LOOKUP_WINDOW_H

#include "modal_driver.h"

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

typedef std::array<std::string, 4> Row; // item, date, time, size

class LookupWindow {
  public:
    explicit LookupWindow(HWND hDlg)
        : m_hDlg(hDlg), m_threadId(GetWindowThreadProcessId(hDlg, nullptr)) {}

    HWND Dialog() const { return m_hDlg; }
    HWND Item(int id) const { return GetDlgItem(m_hDlg, id); }
    bool IsOpen() const { return IsWindow(m_hDlg) && IsWindowVisible(m_hDlg); }

    // Attributes, read through messages.
    LRESULT Send(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0,
                 DWORD ms = kSendTimeoutMs) const {
        return SendBounded(hWnd, msg, wParam, lParam, ms);
    }
    // The count is that of a complete walk; WaitListed waits ms for it.
    bool Listed() const;
    bool WaitListed(DWORD ms) const;
    std::string Text(HWND hWnd) const;
    std::string Text(int id) const { return Text(Item(id)); }
    std::vector<std::string> Entries(int comboId) const;
    std::string Selection(int comboId) const; // "" when none is selected
    std::vector<Row> Rows() const;
    std::vector<std::string> Names() const;   // column 0 of Rows()
    std::vector<std::string> Columns() const; // the item list's column titles
    std::vector<int> SelectedRows() const;
    HWND Focus() const;
    LONG ListStyle() const;

    // Operations, as a user's input reaches the dialog.
    void SetPattern(const char* text) const;         // one change notification
    void Pick(int comboId, const char* entry) const; // selects and confirms an entry
    void PickIndex(int comboId, int index) const;
    void SelectRows(const std::vector<int>& rows, bool select = true) const;
    void ClickRow(int row) const;             // selected, focused, the list focused
    void Command(int id, int code = 0) const; // WM_COMMAND from a control or button
    void PostKey(UINT vk) const;              // a key press in the focused control
    void PostChar(char c) const;              // a character typed into the focused control
    // Runs input with the dialog's thread held: its keys wait as if typed ahead.
    void Hold(const std::function<void()>& input) const;
    bool WaitClosed(DWORD ms = 3000) const;

  private:
    std::string EntryText(int comboId, int index) const;

    HWND m_hDlg;
    DWORD m_threadId;
};

// DriveModal for the "Lookup" dialog; a dialog that does not appear is a
// fault.
DriveOutcome DriveLookup(const std::function<void()>& call,
                         const std::function<void(const LookupWindow&)>& drive,
                         DWORD patienceMs = 5000, bool settle = true);

#endif
