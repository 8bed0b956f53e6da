#include "toolbar_images.h"

#include "dpi.h"
#include "resource.h"

namespace {

// What a toolbar shows when it is given no sizes: 16 x 15 pixels of each
// image, in buttons of 23 x 22.
const int kImageWidth = 16;
const int kImageHeight = 15;
const int kButtonWidth = 23;
const int kButtonHeight = 22;
const int kImageCount = 2;

// Both images of hSource, cut to the toolbar's 16:15 proportion and each
// stretched on its own (so that neither bleeds into the other) to cx x cy.
HBITMAP ScaleImages(HBITMAP hSource, int cx, int cy) {
    BITMAP source = {};
    if (!::GetObjectA(hSource, sizeof source, &source))
        return nullptr;
    const int sourceWidth = source.bmWidth / kImageCount;
    const int sourceHeight = MulDiv(sourceWidth, kImageHeight, kImageWidth);

    HDC hScreen = ::GetDC(nullptr);
    HBITMAP hScaled = ::CreateCompatibleBitmap(hScreen, cx * kImageCount, cy);
    HDC hFrom = ::CreateCompatibleDC(hScreen);
    HDC hTo = ::CreateCompatibleDC(hScreen);
    ::ReleaseDC(nullptr, hScreen);
    if (hScaled && hFrom && hTo) {
        HGDIOBJ hOldFrom = ::SelectObject(hFrom, hSource);
        HGDIOBJ hOldTo = ::SelectObject(hTo, hScaled);
        // Shrinking averages the pixels it merges, where the other modes
        // would drop whole rows and columns of strokes two pixels wide;
        // enlarging repeats pixels, keeping the drawing's hard edges.
        ::SetStretchBltMode(hTo, cx < sourceWidth ? HALFTONE : COLORONCOLOR);
        ::SetBrushOrgEx(hTo, 0, 0, nullptr);
        for (int i = 0; i < kImageCount; ++i)
            ::StretchBlt(hTo, i * cx, 0, cx, cy, hFrom, i * sourceWidth, 0, sourceWidth,
                         sourceHeight, SRCCOPY);
        ::SelectObject(hFrom, hOldFrom);
        ::SelectObject(hTo, hOldTo);
    }
    if (hFrom)
        ::DeleteDC(hFrom);
    if (hTo)
        ::DeleteDC(hTo);
    return hScaled;
}

} // namespace

bool CreateViewImages(CImageList& images, HINSTANCE hResources, UINT dpi) {
    images.DeleteImageList();
    const int cx = ScaleToDpi(kImageWidth, dpi);
    const int cy = ScaleToDpi(kImageHeight, dpi);
    // Shrinking the larger images keeps more of their strokes than
    // enlarging the small ones; a localised library made before the larger
    // images existed has only the small ones.
    const bool large =
        cx > kImageWidth && ::FindResourceA(hResources, MAKEINTRESOURCEA(IDB_VIEW_BUTTONS_LARGE),
                                            MAKEINTRESOURCEA(2)) != nullptr;
    // Mapped as the toolbar maps the bitmap it loads itself: light grey
    // becomes the button face and is then left out by the mask.
    HBITMAP hSource = ::CreateMappedBitmap(
        hResources, large ? IDB_VIEW_BUTTONS_LARGE : IDB_VIEW_BUTTONS, 0, nullptr, 0);
    if (!hSource)
        return false;
    HBITMAP hScaled = ScaleImages(hSource, cx, cy);
    ::DeleteObject(hSource);
    if (!hScaled)
        return false;
    if (images.Create(cx, cy, ILC_COLOR24 | ILC_MASK, kImageCount, 0))
        images.Add(hScaled, ::GetSysColor(COLOR_BTNFACE));
    ::DeleteObject(hScaled);
    return images.m_hImageList != nullptr;
}

SIZE ViewButtonSize(UINT dpi) {
    return {ScaleToDpi(kButtonWidth, dpi), ScaleToDpi(kButtonHeight, dpi)};
}
