// The view toolbar's two images and its button size at a display's dots
// per inch, both in the proportions of the 16 x 15 images in 23 x 22
// buttons that a toolbar has by default.
#ifndef LOOKUP_TOOLBAR_IMAGES_H
#define LOOKUP_TOOLBAR_IMAGES_H

#include "afxwin.h"

// Makes images hold the two view images sized for dpi, from hResources: the
// larger bitmap when it has one and the size calls for it, else its bitmap
// of 16 x 16 images, scaled. False, images empty, without either.
bool CreateViewImages(CImageList& images, HINSTANCE hResources, UINT dpi);

// The size of a button that holds one of those images, at dpi.
SIZE ViewButtonSize(UINT dpi);

#endif
