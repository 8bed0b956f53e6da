#include "lookup_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

int g_failures = 0;

void PrintFailure(const std::string& text) {
    std::fprintf(stderr, "driver: %s\n", text.c_str());
    std::fflush(stderr);
    ++g_failures;
}

DriverFailureHandler g_onFailure = PrintFailure;

struct DriveContext {
    DWORD callerThread;
    const char* caption;
    const std::function<void(HWND)>* drive;
    HANDLE callDone;
    DWORD patienceMs;
    DriveOutcome outcome;
};

struct FindContext {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
    FindContext* find = reinterpret_cast<FindContext*>(lParam);
    char text[32] = "";
    if (find->caption)
        GetWindowTextA(hWnd, text, sizeof text);
    else
        GetClassNameA(hWnd, text, sizeof text);
    // Visible only once its controls exist and its set-up has run.
    if (std::strcmp(text, find->caption ? find->caption : "#32770") != 0 || !IsWindowVisible(hWnd))
        return TRUE;
    find->found = hWnd;
    return FALSE;
}

// Other programs on the same display may show such a dialog too; only the
// one of the calling thread counts.
HWND WaitForDialog(const DriveContext& ctx) {
    const DWORD start = GetTickCount();
    do {
        FindContext find = {ctx.caption, nullptr};
        EnumThreadWindows(ctx.callerThread, FindDialog, reinterpret_cast<LPARAM>(&find));
        if (find.found)
            return find.found;
        Sleep(1);
    } while (GetTickCount() - start < ctx.patienceMs &&
             WaitForSingleObject(ctx.callDone, 0) == WAIT_TIMEOUT);
    return nullptr;
}

DWORD WINAPI DriverThread(void* param) {
    DriveContext* ctx = static_cast<DriveContext*>(param);
    HWND hDlg = WaitForDialog(*ctx);
    if (hDlg) {
        ctx->outcome.appeared = true;
        (*ctx->drive)(hDlg);
        if (IsWindow(hDlg)) {
            ctx->outcome.closedByHarness = true;
            PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
        }
    }
    if (WaitForSingleObject(ctx->callDone, ctx->patienceMs) != WAIT_OBJECT_0)
        GiveUp("the dialog's call did not return");
    return 0;
}

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

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "crash: exception 0x%08lx\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

LRESULT SendBounded(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD ms) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hWnd, msg, wParam, lParam, SMTO_NORMAL, ms, &result)) {
        char text[96];
        std::snprintf(text, sizeof text, "message 0x%x got no answer within %lu ms", msg,
                      static_cast<unsigned long>(ms));
        g_onFailure(text);
        return 0;
    }
    return static_cast<LRESULT>(result);
}

} // namespace

void SetDriverFailureHandler(DriverFailureHandler handler) {
    g_onFailure = handler ? handler : PrintFailure;
}

int DriverFailures() {
    return g_failures;
}

DriveOutcome DriveModal(const std::function<void()>& call, const std::function<void(HWND)>& drive,
                        DWORD patienceMs, const char* caption) {
    DriveContext ctx = {
        GetCurrentThreadId(), caption,       &drive, CreateEventA(nullptr, TRUE, FALSE, nullptr),
        patienceMs,           DriveOutcome()};
    HANDLE thread = CreateThread(nullptr, 0, DriverThread, &ctx, 0, nullptr);
    if (!thread)
        GiveUp("no driver thread");
    struct Join { // also when call raises
        DriveContext& ctx;
        HANDLE thread;
        ~Join() {
            SetEvent(ctx.callDone);
            if (WaitForSingleObject(thread, ctx.patienceMs + 5000) != WAIT_OBJECT_0)
                GiveUp("the driver did not finish");
            CloseHandle(thread);
            CloseHandle(ctx.callDone);
        }
    };
    {
        Join join{ctx, thread};
        call();
    }
    return ctx.outcome;
}

DriveOutcome DriveLookup(const std::function<void()>& call,
                         const std::function<void(const LookupWindow&)>& drive, DWORD patienceMs) {
    const DWORD threadId = GetCurrentThreadId();
    const DriveOutcome outcome = DriveModal(
        call, [&](HWND hDlg) { drive(LookupWindow(hDlg, threadId)); }, patienceMs, "Lookup");
    if (!outcome.appeared)
        g_onFailure("no \"Lookup\" dialog appeared within " + std::to_string(patienceMs) + " ms");
    return outcome;
}

LRESULT LookupWindow::Send(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD ms) const {
    return SendBounded(hWnd, msg, wParam, lParam, ms);
}

std::string LookupWindow::Text(HWND hWnd) const {
    char buffer[512] = "";
    Send(hWnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::vector<std::string> LookupWindow::Entries(int comboId) const {
    std::vector<std::string> entries;
    const int n = static_cast<int>(Send(Item(comboId), CB_GETCOUNT));
    for (int i = 0; i < n; ++i) {
        char buffer[512] = "";
        Send(Item(comboId), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
        entries.push_back(buffer);
    }
    return entries;
}

std::string LookupWindow::Selection(int comboId) const {
    const int sel = static_cast<int>(Send(Item(comboId), CB_GETCURSEL));
    if (sel < 0)
        return "";
    char buffer[512] = "";
    Send(Item(comboId), CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::vector<Row> LookupWindow::Rows() const {
    std::vector<Row> rows;
    HWND hList = Item(1004);
    const int n = static_cast<int>(Send(hList, LVM_GETITEMCOUNT));
    for (int i = 0; i < n; ++i) {
        Row row;
        for (int col = 0; col < 4; ++col) {
            char buffer[128] = "";
            LVITEMA item = {};
            item.iSubItem = col;
            item.pszText = buffer;
            item.cchTextMax = sizeof buffer;
            Send(hList, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            row[col] = buffer;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> LookupWindow::Names() const {
    std::vector<std::string> names;
    for (const Row& row : Rows())
        names.push_back(row[0]);
    return names;
}

std::vector<int> LookupWindow::SelectedRows() const {
    std::vector<int> rows;
    HWND hList = Item(1004);
    for (int row = -1;
         (row = static_cast<int>(
              Send(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

HWND LookupWindow::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(m_threadId, &info);
    return info.hwndFocus;
}

LONG LookupWindow::ListStyle() const {
    return GetWindowLongA(Item(1004), GWL_STYLE);
}

void LookupWindow::SetPattern(const char* text) const {
    Send(Item(1002), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void LookupWindow::Pick(int comboId, const char* entry) const {
    const LRESULT index = Send(Item(comboId), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(entry));
    if (index == CB_ERR) {
        g_onFailure("no entry \"" + std::string(entry) + "\" in combo box " +
                    std::to_string(comboId));
        return;
    }
    PickIndex(comboId, static_cast<int>(index));
}

void LookupWindow::PickIndex(int comboId, int index) const {
    Send(Item(comboId), CB_SETCURSEL, static_cast<WPARAM>(index));
    // What a pick in the drop-down list tells the dialog, in this order.
    Command(comboId, CBN_SELCHANGE);
    Command(comboId, CBN_SELENDOK);
}

void LookupWindow::SelectRows(const std::vector<int>& rows, bool select) const {
    for (int row : rows) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = select ? LVIS_SELECTED : 0;
        Send(Item(1004), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
}

void LookupWindow::Command(int id, int code) const {
    Send(m_hDlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
}

void LookupWindow::PostKey(UINT vk) const {
    HWND target = Focus() ? Focus() : m_hDlg;
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

void LookupWindow::PostChar(char c) const {
    HWND target = Focus() ? Focus() : m_hDlg;
    PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
}

bool LookupWindow::WaitClosed(DWORD ms) const {
    const DWORD start = GetTickCount();
    while (IsWindow(m_hDlg)) {
        if (GetTickCount() - start >= ms)
            return false;
        Sleep(20);
    }
    return true;
}

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

void GiveUp(const char* why) {
    std::fprintf(stderr, "%s; ending the program\n", why);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
}

void EndOnCrash() {
    SetUnhandledExceptionFilter(OnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}
