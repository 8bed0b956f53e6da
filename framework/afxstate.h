// Module state of the framework layer: which module's resources are in
// force on the calling thread, and the guard that switches to this module's
// own state for a stretch of code.
#ifndef AFXSTATE_H
#define AFXSTATE_H

#if defined(_WIN32)
#include <windows.h>
#else
typedef void* HINSTANCE;
#endif

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
};

// This module's own state: its instance handle and the source of its
// resources. Defined beside the resources (afxres_win32.cpp,
// afxres_posix.cpp); the module's entry point records its handles in it.
extern AFX_MODULE_STATE g_moduleState;

// The state current on this thread; a thread that never switched sees the
// process's default state (the caller's, in a library).
AFX_MODULE_STATE* AfxGetModuleState();
// This module's own state.
AFX_MODULE_STATE* AfxGetStaticModuleState();
// Makes pNew current on this thread and returns the state it replaces.
AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* pNew);
// The process's default state, current wherever nobody switched.
AFX_MODULE_STATE* AfxGetAppModuleState();

// Makes a module state current for its scope and puts the previous one back
// on every way out, exceptions included.
class AFX_MAINTAIN_STATE2 {
  public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState)
        : m_pPrevState(AfxSetModuleState(pNewState)) {}
    ~AFX_MAINTAIN_STATE2() { AfxSetModuleState(m_pPrevState); }
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

  private:
    AFX_MODULE_STATE* m_pPrevState;
};

#endif
