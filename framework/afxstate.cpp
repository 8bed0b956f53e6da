#include "afxstate.h"

namespace {
AFX_MODULE_STATE g_appState = {nullptr, nullptr};
thread_local AFX_MODULE_STATE* t_pCurrent = nullptr;
} // namespace

AFX_MODULE_STATE* AfxGetModuleState() {
    return t_pCurrent ? t_pCurrent : &g_appState;
}

AFX_MODULE_STATE* AfxGetStaticModuleState() {
    return &g_moduleState;
}

AFX_MODULE_STATE* AfxGetAppModuleState() {
    return &g_appState;
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* pNew) {
    AFX_MODULE_STATE* pPrev = AfxGetModuleState();
    t_pCurrent = pNew;
    return pPrev;
}
