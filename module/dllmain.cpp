// Module start: records the module's handles before any exported call runs.
#include "afxstate.h"

#include <windows.h>

extern AFX_MODULE_STATE g_moduleState;

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_moduleState.m_hCurrentInstanceHandle = hInstance;
        g_moduleState.m_hCurrentResourceHandle = hInstance;
    }
    return TRUE;
}
