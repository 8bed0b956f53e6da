// The view toolbar's two images and its button size at a display's dots
// per inch, both in the proportions of the 16 x 15 images in 23 x 22
// buttons that a toolbar has by default on Windows.
#ifndef LOOKUP_TOOLBAR_IMAGES_H
#define LOOKUP_TOOLBAR_IMAGES_H

#include "afxwin.h"

// Makes images hold the two view images sized for dpi, from hResources: the
// larger bitmap when it has one and the size calls for it, else its bitmap
// of 16 x 16 images, scaled. Their colours are mapped to the colour scheme
// in force as a toolbar maps the bitmap it loads itself, or drawn in the
// scheme's text colour where ViewImagesNeedSchemeColours. False, images
// empty, without either bitmap. base is the images' size at 96 dpi: a
// toolbar's own (Wine's are 16 x 16) where the images must match those it
// loaded itself.
const SIZE kViewImageSize = {16, 15};
bool CreateViewImages(CImageList& images, HINSTANCE hResources, UINT dpi,
                      SIZE base = kViewImageSize);

// Whether the colour scheme in force hides the view images' own colours
// (a high-contrast scheme): the system says so, or the images' pixels would
// not stand out from the button face at 4.5 : 1, for at least three of
// each image's four.
bool ViewImagesNeedSchemeColours(HINSTANCE hResources);

// The size of a button that holds one of those images, at dpi.
SIZE ViewButtonSize(UINT dpi);

#endif
