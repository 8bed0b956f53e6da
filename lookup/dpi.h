// The display's dots per inch, for the "Lookup" dialog's pixel-counted
// parts. The template's dialog units follow the font already; the list
// columns and the toolbar images are counted in pixels and need these.
#ifndef LOOKUP_DPI_H
#define LOOKUP_DPI_H

#include <windows.h>

// The dots per inch that pixel counts in this code are written for.
const UINT kBaseDpi = USER_DEFAULT_SCREEN_DPI;

// The dots per inch of the display hWnd is shown on: the window's own where
// the system keeps one per window, else the screen's.
UINT WindowDpi(HWND hWnd);

// A length of pixels at kBaseDpi, at dpi.
inline int ScaleToDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

#endif
