// How far apart two colours read, for text and images that must stay
// readable in every colour scheme.
#ifndef COLOUR_CONTRAST_H
#define COLOUR_CONTRAST_H

#include <windows.h>

// Relative luminance, 0 for black to 1 for white, as WCAG weighs it.
double Luminance(COLORREF c);
// The contrast of two colours, from 1 : 1 to 21 : 1 (WCAG's ratio).
double ColourContrast(COLORREF a, COLORREF b);

#endif
