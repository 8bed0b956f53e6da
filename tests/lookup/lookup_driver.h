// What the tests, the benchmarks and the soak runs want beyond driving the
// dialog (lookup_window.h, shared with the demo host): the screen's pixels,
// row counts waited for, clocks and the heaps' size.
#ifndef LOOKUP_DRIVER_H
#define LOOKUP_DRIVER_H

#include "lookup_window.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

// Pixels as the screen shows them, read back from the screen rather than
// asked of a window: a control can hold the right texts and still show
// blank cells.
class ScreenPicture {
  public:
    // The screen's pixels in rect (screen coordinates), top row first.
    explicit ScreenPicture(const RECT& rect);

    // Pixels in rect (screen coordinates) clearly darker than the brightest
    // one there: drawn text on a light background.
    int DarkPixels(const RECT& rect) const;
    // Pixels in rect (screen coordinates) of exactly this colour.
    int Count(const RECT& rect, COLORREF colour) const;
    // The pixel at x, y (screen coordinates, inside the picture).
    COLORREF At(LONG x, LONG y) const {
        return m_pixels[static_cast<size_t>((y - m_rect.top) * m_width + (x - m_rect.left))];
    }
    bool operator==(const ScreenPicture& other) const { return m_pixels == other.m_pixels; }
    // A 24-bit BMP file, for a person to look at.
    bool Save(const char* path) const;

  private:
    RECT m_rect;
    int m_width, m_height;
    std::vector<COLORREF> m_pixels;
};

// The process's colours switched to a high-contrast black scheme for the
// object's lifetime, as Windows' own sets them; its windows are told
// (WM_SYSCOLORCHANGE) both ways.
class HighContrastColours {
  public:
    HighContrastColours();
    ~HighContrastColours();
    HighContrastColours(const HighContrastColours&) = delete;
    HighContrastColours& operator=(const HighContrastColours&) = delete;

  private:
    std::vector<int> m_elements;
    std::vector<COLORREF> m_saved;
};

// Polls the list view's row count until it reaches rows; answers the last
// count seen. The first poll waits for the list's thread to be free.
int WaitForRows(HWND hList, int rows, DWORD ms);

// Polls done until it holds; false when ms pass first.
bool WaitUntil(const std::function<bool()>& done, DWORD ms = 3000);

// The first descendant of parent of the given window class, or null.
HWND FindDescendant(HWND parent, const char* className);

// Seconds from an arbitrary start, from the performance counter.
double Seconds();

// Bytes in use in every heap of the process: a leak of one string per
// dialog shows here long before it shows in pages.
double HeapBytes();

#endif
