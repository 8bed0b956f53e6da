#include "dpi.h"

UINT WindowDpi(HWND hWnd) {
    // GetDpiForWindow came with Windows 10 version 1607: looked up, so the
    // library still loads where it is missing.
    typedef UINT(WINAPI * GetDpiForWindowProc)(HWND);
    const auto pGetDpiForWindow =
        reinterpret_cast<GetDpiForWindowProc>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (pGetDpiForWindow) {
        const UINT dpi = pGetDpiForWindow(hWnd);
        if (dpi != 0)
            return dpi;
    }
    HDC hScreen = ::GetDC(nullptr);
    const int dpi = hScreen ? ::GetDeviceCaps(hScreen, LOGPIXELSX) : 0;
    if (hScreen)
        ::ReleaseDC(nullptr, hScreen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}
