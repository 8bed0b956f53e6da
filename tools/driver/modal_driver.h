// Works a modal dialog from outside, for the demo host, the tests, the
// benchmarks and the soak runs alike: the call that opens it runs on the
// caller's thread, as in a host, and a second thread finds the dialog and
// works it through window messages, the way a user's input would reach it.
// Every wait is bounded: a dialog that never appears or never closes ends
// the program within its patience instead of hanging it.
#ifndef MODAL_DRIVER_H
#define MODAL_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>

// Every message to the dialog waits at most this long.
const UINT kSendTimeoutMs = 3000;

// What the driver does with a fault it sees (a message without an answer,
// an entry that is not there, a dialog that never shows): by default it
// prints the text and counts it; a test program reports a test failure.
typedef void (*DriverFailureHandler)(const std::string& text);
void SetDriverFailureHandler(DriverFailureHandler handler);
void DriverFailure(const std::string& text);
int DriverFailures(); // faults seen with the default handler

// A message whose answer is waited for at most ms; none is a fault, and 0.
LRESULT SendBounded(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0,
                    DWORD ms = kSendTimeoutMs);

struct DriveOutcome {
    bool appeared = false;
    bool closedByHarness = false; // drive left the dialog open
};

// Runs call on this thread; once a dialog of this thread shows (one holding
// a control childId, or any dialog-class window when childId is 0), runs
// drive on a second thread. A dialog still open when drive returns is
// cancelled. patienceMs bounds the wait for the dialog to show and then the
// wait for call to return.
// drive starts once the dialog's thread has done the work queued when the
// dialog appeared (a fill after it shows), or at once without settle.
DriveOutcome DriveModal(const std::function<void()>& call, const std::function<void(HWND)>& drive,
                        DWORD patienceMs, int childId = 0, bool settle = true);

// Ends the process with a message at once: for faults and hung waits.
void GiveUp(const char* why);

// A crash ends the process with exit code 3 instead of opening a debugger,
// which under Wine would wait for a click.
void EndOnCrash();

// Declares the process per-monitor aware, as the integration guide asks of a
// host. An unaware program is handed 96-dpi coordinates and its windows are
// scaled as pictures (Windows does so, and Wine since 10): the dialog would
// never see the display's dpi, nor would pixels read back at its rectangle
// be its own.
void BePerMonitorAware();

#endif
