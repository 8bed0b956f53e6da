#include "lookup_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

struct FindClass {
    const char* className;
    HWND found;
};

BOOL CALLBACK FindByClass(HWND hWnd, LPARAM lParam) {
    FindClass* find = reinterpret_cast<FindClass*>(lParam);
    char cls[64] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (std::strcmp(cls, find->className) != 0)
        return TRUE;
    find->found = hWnd;
    return FALSE;
}

} // namespace

ScreenPicture::ScreenPicture(const RECT& rect)
    : m_rect(rect), m_width(std::max(0, static_cast<int>(rect.right - rect.left))),
      m_height(std::max(0, static_cast<int>(rect.bottom - rect.top))),
      m_pixels(static_cast<size_t>(m_width) * m_height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = -m_height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC hScreen = GetDC(nullptr);
    HDC hMem = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateDIBSection(hScreen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (hBitmap && bits && !m_pixels.empty()) {
        HGDIOBJ old = SelectObject(hMem, hBitmap);
        BitBlt(hMem, 0, 0, m_width, m_height, hScreen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const DWORD* p = static_cast<const DWORD*>(bits);
        for (size_t i = 0; i < m_pixels.size(); ++i) // 0x00RRGGBB to COLORREF
            m_pixels[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
        SelectObject(hMem, old);
    }
    if (hBitmap)
        DeleteObject(hBitmap);
    DeleteDC(hMem);
    ReleaseDC(nullptr, hScreen);
}

int ScreenPicture::DarkPixels(const RECT& rect) const {
    RECT r;
    if (!IntersectRect(&r, &rect, &m_rect))
        return 0;
    auto light = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    int brightest = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            brightest = std::max(
                brightest,
                light(
                    m_pixels[static_cast<size_t>((y - m_rect.top) * m_width + (x - m_rect.left))]));
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            dark +=
                light(
                    m_pixels[static_cast<size_t>((y - m_rect.top) * m_width + (x - m_rect.left))]) <
                brightest - 240;
    return dark;
}

int ScreenPicture::Count(const RECT& rect, COLORREF colour) const {
    RECT r;
    if (!IntersectRect(&r, &rect, &m_rect))
        return 0;
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += m_pixels[static_cast<size_t>((y - m_rect.top) * m_width + (x - m_rect.left))] ==
                 colour;
    return n;
}

bool ScreenPicture::Save(const char* path) const {
    const int stride = (m_width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = m_width;
    info.biHeight = m_height; // bottom row first, as BMP files are read
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * m_height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info, sizeof info, 1, out) == 1;
    std::vector<unsigned char> line(static_cast<size_t>(stride));
    for (int y = m_height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < m_width; ++x) {
            const COLORREF c = m_pixels[static_cast<size_t>(y * m_width + x)];
            line[static_cast<size_t>(3 * x)] = GetBValue(c);
            line[static_cast<size_t>(3 * x + 1)] = GetGValue(c);
            line[static_cast<size_t>(3 * x + 2)] = GetRValue(c);
        }
        ok = std::fwrite(line.data(), line.size(), 1, out) == 1;
    }
    return std::fclose(out) == 0 && ok;
}

HighContrastColours::HighContrastColours() {
    const std::pair<int, COLORREF> scheme[] = {
        {COLOR_BTNFACE, RGB(0, 0, 0)},
        {COLOR_BTNTEXT, RGB(255, 255, 255)},
        {COLOR_BTNSHADOW, RGB(128, 128, 128)},
        {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)},
        {COLOR_WINDOW, RGB(0, 0, 0)},
        {COLOR_WINDOWTEXT, RGB(255, 255, 255)},
        {COLOR_HIGHLIGHT, RGB(26, 235, 255)},
        {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)},
        {COLOR_ACTIVECAPTION, RGB(128, 0, 128)},
        {COLOR_CAPTIONTEXT, RGB(255, 255, 255)},
    };
    std::vector<COLORREF> colours;
    for (const auto& element : scheme) {
        m_elements.push_back(element.first);
        m_saved.push_back(GetSysColor(element.first));
        colours.push_back(element.second);
    }
    SetSysColors(static_cast<int>(m_elements.size()), m_elements.data(), colours.data());
}

HighContrastColours::~HighContrastColours() {
    SetSysColors(static_cast<int>(m_elements.size()), m_elements.data(), m_saved.data());
}

int WaitForRows(HWND hList, int rows, DWORD ms) {
    const DWORD start = GetTickCount();
    int count = 0;
    do {
        count = static_cast<int>(SendBounded(hList, LVM_GETITEMCOUNT, 0, 0, ms));
        if (count >= rows)
            break;
        Sleep(1);
    } while (GetTickCount() - start < ms);
    return count;
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(10))
        if (GetTickCount() - start >= ms)
            return false;
    return true;
}

HWND FindDescendant(HWND parent, const char* className) {
    FindClass find = {className, nullptr};
    EnumChildWindows(parent, FindByClass, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

double Seconds() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double HeapBytes() {
    HANDLE heaps[64];
    const DWORD n = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
    SIZE_T busy = 0;
    for (DWORD i = 0; i < n; ++i) {
        PROCESS_HEAP_ENTRY e = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &e))
            if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += e.cbData;
        HeapUnlock(heaps[i]);
    }
    return static_cast<double>(busy);
}
