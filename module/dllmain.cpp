// The module's start and end. The C runtime has constructed the application
// object by the time the loader calls DllMain, and destroys it after the
// detach notification below.
#include "afxwin.h"

namespace {
// A refused attach is followed by a detach notification, from the C runtime
// and, by the documentation, from the loader as well: end the application
// once.
bool g_appRunning = false;
} // namespace

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_moduleState.m_hCurrentInstanceHandle = hInstance;
        g_moduleState.m_hCurrentResourceHandle = hInstance;
        // The loader holds its lock here, so the resource library is chosen
        // before any exported call can run. The caller's state is current
        // again once the guard goes out of scope.
        AFX_MAINTAIN_STATE2 state(&g_moduleState);
        g_appRunning = true;
        return AfxGetApp()->InitInstance();
    }
    if (reason == DLL_PROCESS_DETACH && g_appRunning) {
        g_appRunning = false;
        AFX_MAINTAIN_STATE2 state(&g_moduleState);
        AfxGetApp()->ExitInstance();
    }
    return TRUE;
}
