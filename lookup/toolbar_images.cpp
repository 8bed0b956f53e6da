#include "toolbar_images.h"

#include "colour_contrast.h"
#include "dpi.h"
#include "resource.h"

#include <algorithm>
#include <vector>

namespace {

// A toolbar given no sizes shows its images (kViewImageSize) in buttons of
// 23 x 22.
const int kButtonWidth = 23;
const int kButtonHeight = 22;
const int kImageCount = 2;
// The face the images are drawn on, and the contrast a glyph needs on its
// face to be read with low vision (WCAG's for text).
const COLORREF kDrawnOnFace = RGB(192, 192, 192);
const double kReadableContrast = 4.5;

// A bitmap's pixels, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours;
};

Pixels ReadBitmap(HINSTANCE hResources, UINT id) {
    Pixels pixels;
    HBITMAP hBitmap = static_cast<HBITMAP>(
        ::LoadImageA(hResources, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP bitmap = {};
    if (!hBitmap || !::GetObjectA(hBitmap, sizeof bitmap, &bitmap) || bitmap.bmWidth <= 0 ||
        bitmap.bmHeight <= 0) {
        if (hBitmap)
            ::DeleteObject(hBitmap);
        return pixels;
    }
    BITMAPINFO info = {};
    info.bmiHeader = {
        sizeof info.bmiHeader, bitmap.bmWidth, -bitmap.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> bits(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    HDC hScreen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(hScreen, hBitmap, 0, static_cast<UINT>(bitmap.bmHeight),
                                 bits.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hScreen);
    ::DeleteObject(hBitmap);
    if (rows != bitmap.bmHeight)
        return pixels;
    pixels.width = bitmap.bmWidth;
    pixels.height = bitmap.bmHeight;
    for (DWORD bgr : bits) // 0x00RRGGBB
        pixels.colours.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    return pixels;
}

HBITMAP MakeBitmap(const Pixels& pixels) {
    BITMAPINFO info = {};
    info.bmiHeader = {
        sizeof info.bmiHeader, pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!hBitmap || !bits)
        return hBitmap;
    DWORD* out = static_cast<DWORD*>(bits);
    for (COLORREF c : pixels.colours)
        *out++ = static_cast<DWORD>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
    return hBitmap;
}

// The colours a toolbar gives the standard ones of a bitmap it loads
// itself (CreateMappedBitmap's defaults); every other colour stays.
COLORREF ToolbarColour(COLORREF c) {
    switch (c) {
    case RGB(0, 0, 0):
        return ::GetSysColor(COLOR_BTNTEXT);
    case RGB(128, 128, 128):
        return ::GetSysColor(COLOR_BTNSHADOW);
    case RGB(192, 192, 192):
        return ::GetSysColor(COLOR_BTNFACE);
    case RGB(255, 255, 255):
        return ::GetSysColor(COLOR_BTNHIGHLIGHT);
    default:
        return c;
    }
}

// As the system draws its own toolbars' glyphs in a high-contrast scheme:
// the strokes, darker than the face they were drawn on, in the scheme's
// text colour; what is lighter (an icon's yellow centre, a white corner)
// becomes the face, so that an icon keeps its outline.
COLORREF SchemeColour(COLORREF c) {
    return ::GetSysColor(Luminance(c) < Luminance(kDrawnOnFace) ? COLOR_BTNTEXT : COLOR_BTNFACE);
}

bool NeedsSchemeColours(const Pixels& pixels) {
    // Wine always answers "off" here: the pixels decide as well.
    HIGHCONTRASTA highContrast = {sizeof highContrast, 0, nullptr};
    if (::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
        (highContrast.dwFlags & HCF_HIGHCONTRASTON))
        return true;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const int imageWidth = pixels.width / kImageCount;
    for (int image = 0; image < kImageCount; ++image) {
        int drawn = 0, readable = 0;
        for (int y = 0; y < pixels.height; ++y)
            for (int x = image * imageWidth; x < (image + 1) * imageWidth; ++x) {
                const COLORREF c = ToolbarColour(pixels.colours[y * pixels.width + x]);
                if (c == face)
                    continue;
                ++drawn;
                readable += ColourContrast(c, face) >= kReadableContrast;
            }
        if (readable * 4 < drawn * 3)
            return true;
    }
    return false;
}

// Both images of hSource, cut to the proportion of base and each stretched
// on its own (so that neither bleeds into the other) to cx x cy.
HBITMAP ScaleImages(HBITMAP hSource, SIZE base, int cx, int cy) {
    BITMAP source = {};
    if (!::GetObjectA(hSource, sizeof source, &source))
        return nullptr;
    const int sourceWidth = source.bmWidth / kImageCount;
    const int sourceHeight =
        std::min(static_cast<int>(source.bmHeight), MulDiv(sourceWidth, base.cy, base.cx));

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

bool CreateViewImages(CImageList& images, HINSTANCE hResources, UINT dpi, SIZE base) {
    images.DeleteImageList();
    const int cx = ScaleToDpi(base.cx, dpi);
    const int cy = ScaleToDpi(base.cy, dpi);
    // Shrinking the larger images keeps more of their strokes than
    // enlarging the small ones; a localised library made before the larger
    // images existed has only the small ones.
    const bool large =
        cx > base.cx && ::FindResourceA(hResources, MAKEINTRESOURCEA(IDB_VIEW_BUTTONS_LARGE),
                                        MAKEINTRESOURCEA(2)) != nullptr;
    // Light grey becomes the button face and is then left out by the mask.
    Pixels pixels = ReadBitmap(hResources, large ? IDB_VIEW_BUTTONS_LARGE : IDB_VIEW_BUTTONS);
    if (pixels.colours.empty())
        return false;
    const bool scheme = NeedsSchemeColours(pixels);
    for (COLORREF& c : pixels.colours)
        c = scheme ? SchemeColour(c) : ToolbarColour(c);
    HBITMAP hSource = MakeBitmap(pixels);
    if (!hSource)
        return false;
    HBITMAP hScaled = ScaleImages(hSource, base, cx, cy);
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

bool ViewImagesNeedSchemeColours(HINSTANCE hResources) {
    const Pixels pixels = ReadBitmap(hResources, IDB_VIEW_BUTTONS);
    return !pixels.colours.empty() && NeedsSchemeColours(pixels);
}
