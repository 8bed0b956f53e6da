// The application object of a regular library, reduced to what this module
// uses: a start hook and an end hook that the library's entry point calls
// around the module's life. There is no main window and no message loop.
#ifndef WINAPP_H
#define WINAPP_H

#include <windows.h>

class CWinApp {
  public:
    explicit CWinApp(const char* pszAppName = nullptr) : m_pszAppName(pszAppName) {}
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Attributes
    const char* m_pszAppName;

    // Operations
    // Runs once at process attach with the module's state current; FALSE
    // makes the loading of the module fail.
    virtual BOOL InitInstance() { return TRUE; }
    // Runs once when the module ends, whatever InitInstance answered.
    virtual int ExitInstance() { return 0; }
};

// The module's one application object.
CWinApp* AfxGetApp();

#endif
