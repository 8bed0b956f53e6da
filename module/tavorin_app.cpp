#include "tavorin_app.h"

#include "afxstate.h"
#include "resource_dll.h"

namespace {
CTavorinApp theApp;
} // namespace

CWinApp* AfxGetApp() {
    return &theApp;
}

BOOL CTavorinApp::InitInstance() {
    // Runs with the module's own state current (see DllMain), so the handle
    // and the resource source are the module's.
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    HINSTANCE hResources = LoadResourceDll(pState->m_hCurrentInstanceHandle, "tavorinl.dll");
    if (hResources)
        pState->m_hCurrentResourceHandle = hResources;
    return CWinApp::InitInstance();
}
