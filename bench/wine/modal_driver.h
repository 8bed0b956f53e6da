// Drives a modal dialog from a second thread: the call that shows it runs
// on the caller's thread, as it would in a host; the driver finds the
// dialog by its owner thread and works it through window messages. Every
// wait is bounded: a dialog that never appears or never closes ends the
// process instead of hanging it.
#ifndef MODAL_DRIVER_H
#define MODAL_DRIVER_H

#include <windows.h>

#include <functional>

// Runs call on this thread; once a dialog (class "#32770") of this thread
// shows, runs drive with it on a second thread. A dialog still open when
// drive returns is cancelled. Answers whether the dialog appeared within
// patienceMs.
bool DriveModal(const std::function<void()>& call, const std::function<void(HWND)>& drive,
                DWORD patienceMs);

// SendMessage that gives up after ms; ok (when given) says whether it was
// answered.
LRESULT SendBounded(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, DWORD ms = 5000,
                    bool* ok = nullptr);

// The first descendant of parent of the given window class, or null.
HWND FindDescendant(HWND parent, const char* className);

// Polls the list view's row count until it reaches rows; answers the last
// count seen. The first poll waits for the list's thread to be free.
int WaitForRows(HWND hList, int rows, DWORD ms);

// Seconds from an arbitrary start, from the performance counter.
double Seconds();

// Ends the process with a message at once: for faults and hung waits.
void GiveUp(const char* why);

// A crash ends the process with an exit code instead of opening a debugger.
void EndOnCrash();

#endif
