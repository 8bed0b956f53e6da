// Sizes of the "Lookup" dialog's pixel-counted parts on the display it is
// shown on. The template's dialog units follow the font already; the list
// columns and the toolbar images are counted in pixels and need this.
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

// Gives a toolbar that has no images yet the two view images and buttons,
// both in the proportions of the 16 x 15 images in 23 x 22 buttons that a
// toolbar has by default, sized for dpi. The images come from hResources:
// the larger bitmap when it has one and the size calls for it, else its
// bitmap of 16 x 16 images, scaled. Without either the toolbar stays
// without images. The toolbar frees the images when it is destroyed.
void AddScaledViewImages(HWND hToolbar, HINSTANCE hResources, UINT dpi);

#endif
