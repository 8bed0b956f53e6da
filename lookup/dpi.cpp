// The display's dots per inch, and view toolbar images sized for them.
#include "dpi.h"

#include "resource.h"

#include <commctrl.h>

namespace {

// What a toolbar shows when it is given no sizes: 16 x 15 pixels of each
// image, in buttons of 23 x 22.
const int kImageWidth = 16;
const int kImageHeight = 15;
const int kButtonWidth = 23;
const int kButtonHeight = 22;
const int kImageCount = 2;

const char kImagesProperty[] = "TavorinViewImages";
const char kNextProcProperty[] = "TavorinViewImagesNext";

// A toolbar does not free an image list it was given: this window procedure
// frees it once the toolbar is gone. A subclass of the classic kind, since
// SetWindowSubclass is exported only by ordinal from older comctl32.dll.
LRESULT CALLBACK FreeImagesWithToolbar(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC next = reinterpret_cast<WNDPROC>(::GetPropA(hWnd, kNextProcProperty));
    const LRESULT result = ::CallWindowProcA(next, hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemovePropA(hWnd, kNextProcProperty);
        ImageList_Destroy(static_cast<HIMAGELIST>(::RemovePropA(hWnd, kImagesProperty)));
    }
    return result;
}

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

void AddScaledViewImages(HWND hToolbar, HINSTANCE hResources, UINT dpi) {
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
        return;
    HBITMAP hScaled = ScaleImages(hSource, cx, cy);
    ::DeleteObject(hSource);
    if (!hScaled)
        return;
    HIMAGELIST hImages = ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, kImageCount, 0);
    if (hImages)
        ImageList_AddMasked(hImages, hScaled, ::GetSysColor(COLOR_BTNFACE));
    ::DeleteObject(hScaled);
    if (!hImages)
        return;

    ::SetPropA(hToolbar, kImagesProperty, hImages);
    ::SetPropA(hToolbar, kNextProcProperty,
               reinterpret_cast<HANDLE>(::GetWindowLongPtrA(hToolbar, GWLP_WNDPROC)));
    ::SetWindowLongPtrA(hToolbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FreeImagesWithToolbar));
    ::SendMessageA(hToolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(hImages));
    ::SendMessageA(hToolbar, TB_SETBUTTONSIZE, 0,
                   MAKELPARAM(ScaleToDpi(kButtonWidth, dpi), ScaleToDpi(kButtonHeight, dpi)));
}
