// Drives a modal dialog from outside, for the tests, the benchmarks and the
// soak runs alike: the call that opens it runs on the caller's thread, as
// in a host, and a second thread finds the dialog and works it through
// window messages, the way a user's input would reach it. Every wait is
// bounded: a dialog that never appears or never closes ends the program
// within seconds instead of hanging it.
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

// What the driver does with a fault it sees (a message without an answer,
// an entry that is not there, a dialog that never shows): by default it
// prints the text and counts it; a test program reports a test failure.
typedef void (*DriverFailureHandler)(const std::string& text);
void SetDriverFailureHandler(DriverFailureHandler handler);
int DriverFailures(); // faults seen with the default handler

class LookupWindow {
  public:
    LookupWindow(HWND hDlg, DWORD threadId) : m_hDlg(hDlg), m_threadId(threadId) {}

    HWND Dialog() const { return m_hDlg; }
    HWND Item(int id) const { return GetDlgItem(m_hDlg, id); }
    bool IsOpen() const { return IsWindow(m_hDlg) && IsWindowVisible(m_hDlg); }

    // Attributes, read through messages.
    LRESULT Send(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0,
                 DWORD ms = kSendTimeoutMs) const;
    std::string Text(HWND hWnd) const;
    std::string Text(int id) const { return Text(Item(id)); }
    std::vector<std::string> Entries(int comboId) const;
    std::string Selection(int comboId) const; // "" when none is selected
    std::vector<Row> Rows() const;
    std::vector<std::string> Names() const; // column 0 of Rows()
    std::vector<int> SelectedRows() const;
    HWND Focus() const;
    LONG ListStyle() const;

    // Operations, as a user's input reaches the dialog.
    void SetPattern(const char* text) const;         // one change notification
    void Pick(int comboId, const char* entry) const; // selects and confirms an entry
    void PickIndex(int comboId, int index) const;
    void SelectRows(const std::vector<int>& rows, bool select = true) const;
    void Command(int id, int code = 0) const; // WM_COMMAND from a control or button
    void PostKey(UINT vk) const;              // a key press in the focused control
    void PostChar(char c) const;              // a character typed into the focused control
    bool WaitClosed(DWORD ms = 3000) const;

  private:
    HWND m_hDlg;
    DWORD m_threadId;
};

// Pixels as the screen shows them, read back from the screen rather than
// asked of a window: a control can hold the right texts and still show
// blank cells.
class ScreenPicture {
  public:
    // The screen's pixels in rect (screen coordinates), top row first.
    explicit ScreenPicture(const RECT& rect);

    // Pixels in rect (screen coordinates) clearly darker than the brightest
    // one there: drawn text on a light background.
    int DarkPixels(const RECT& rect) const;
    // Pixels in rect (screen coordinates) of exactly this colour.
    int Count(const RECT& rect, COLORREF colour) const;
    // A 24-bit BMP file, for a person to look at.
    bool Save(const char* path) const;

  private:
    RECT m_rect;
    int m_width, m_height;
    std::vector<COLORREF> m_pixels;
};

struct DriveOutcome {
    bool appeared = false;
    bool closedByHarness = false; // drive left the dialog open
};

// Runs call on this thread; once a dialog of this thread shows (captioned
// caption, or any dialog-class window when caption is null), runs drive on
// a second thread. A dialog still open when drive returns is cancelled.
// patienceMs bounds the wait for the dialog to show and then to close.
DriveOutcome DriveModal(const std::function<void()>& call, const std::function<void(HWND)>& drive,
                        DWORD patienceMs, const char* caption = nullptr);

// DriveModal for the "Lookup" dialog; a dialog that does not appear is a
// fault.
DriveOutcome DriveLookup(const std::function<void()>& call,
                         const std::function<void(const LookupWindow&)>& drive,
                         DWORD patienceMs = 5000);

// Polls the list view's row count until it reaches rows; answers the last
// count seen. The first poll waits for the list's thread to be free.
int WaitForRows(HWND hList, int rows, DWORD ms);

// The first descendant of parent of the given window class, or null.
HWND FindDescendant(HWND parent, const char* className);

// Seconds from an arbitrary start, from the performance counter.
double Seconds();

// Ends the process with a message at once: for faults and hung waits.
void GiveUp(const char* why);

// A crash ends the process with an exit code instead of opening a debugger.
void EndOnCrash();

#endif
