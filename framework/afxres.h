// String resources of the module state in force: from its resource library
// on Windows, from its table of strings elsewhere (afxres_win32.cpp,
// afxres_posix.cpp).
#ifndef AFXRES_H
#define AFXRES_H

class CString;

// Copies string resource nID of the current module state's resource source
// into rText and answers true; leaves rText as it was when there is no such
// string.
bool AfxLoadString(unsigned int nID, CString& rText);

#if defined(_WIN32)
#include <string>
// The same string as the resource holds it, in UTF-16: for the controls
// that take UTF-16, where a translation reads right whatever the ANSI code
// page can hold.
bool AfxLoadStringW(unsigned int nID, std::wstring& rText);
#endif

#endif
