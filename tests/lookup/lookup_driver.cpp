#include "lookup_driver.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct DriveContext {
    DWORD callerThread;
    const std::function<void(const LookupWindow&)>* drive;
    HANDLE callDone;
    DWORD patienceMs;
    DriveOutcome outcome;
};

struct FindContext {
    HWND found;
};

BOOL CALLBACK FindLookup(HWND hWnd, LPARAM lParam) {
    char title[32] = "";
    GetWindowTextA(hWnd, title, sizeof title);
    if (strcmp(title, "Lookup") != 0 || !IsWindowVisible(hWnd))
        return TRUE;
    reinterpret_cast<FindContext*>(lParam)->found = hWnd;
    return FALSE;
}

// Other programs on the same display may show a "Lookup" dialog too; only
// the one of the calling thread counts.
HWND WaitForLookup(DWORD threadId, DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        FindContext find = {nullptr};
        EnumThreadWindows(threadId, FindLookup, reinterpret_cast<LPARAM>(&find));
        if (find.found)
            return find.found;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

void GiveUp(const char* why) {
    std::fprintf(stderr, "lookup driver: %s; ending the test program\n", why);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
}

DWORD WINAPI DriverThread(void* param) {
    DriveContext* ctx = static_cast<DriveContext*>(param);
    HWND hDlg = WaitForLookup(ctx->callerThread, ctx->patienceMs);
    if (hDlg) {
        ctx->outcome.appeared = true;
        LookupWindow window(hDlg, ctx->callerThread);
        (*ctx->drive)(window);
        if (IsWindow(hDlg)) {
            ctx->outcome.closedByHarness = true;
            PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
        }
    }
    if (WaitForSingleObject(ctx->callDone, ctx->patienceMs) != WAIT_OBJECT_0)
        GiveUp("the lookup call did not return");
    return 0;
}

} // namespace

DriveOutcome DriveLookup(const std::function<void()>& call,
                         const std::function<void(const LookupWindow&)>& drive, DWORD patienceMs) {
    DriveContext ctx = {GetCurrentThreadId(), &drive, CreateEventA(nullptr, TRUE, FALSE, nullptr),
                        patienceMs, DriveOutcome()};
    HANDLE thread = CreateThread(nullptr, 0, DriverThread, &ctx, 0, nullptr);
    struct Join {
        DriveContext& ctx;
        HANDLE thread;
        ~Join() {
            SetEvent(ctx.callDone);
            if (WaitForSingleObject(thread, ctx.patienceMs + 5000) != WAIT_OBJECT_0)
                GiveUp("the driver did not finish");
            CloseHandle(thread);
            CloseHandle(ctx.callDone);
        }
    } join{ctx, thread};
    call();
    SetEvent(ctx.callDone);
    WaitForSingleObject(thread, patienceMs + 5000);
    EXPECT_TRUE(ctx.outcome.appeared)
        << "no \"Lookup\" dialog appeared within " << patienceMs << " ms";
    return ctx.outcome;
}

LRESULT LookupWindow::Send(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hWnd, msg, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) {
        ADD_FAILURE() << "message 0x" << std::hex << msg << " got no answer within " << std::dec
                      << kSendTimeoutMs << " ms";
        return 0;
    }
    return static_cast<LRESULT>(result);
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
    HWND hCombo = Item(comboId);
    const LRESULT index =
        Send(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
    ASSERT_NE(index, CB_ERR) << "no entry \"" << entry << "\" in combo box " << comboId;
    Send(hCombo, CB_SETCURSEL, static_cast<WPARAM>(index));
    // What a pick in the drop-down list tells the dialog, in this order.
    Command(comboId, CBN_SELCHANGE);
    Command(comboId, CBN_SELENDOK);
}

void LookupWindow::SelectRows(const std::vector<int>& rows) const {
    for (int row : rows) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
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

bool LookupWindow::WaitClosed(DWORD ms) const {
    const DWORD start = GetTickCount();
    while (IsWindow(m_hDlg)) {
        if (GetTickCount() - start >= ms)
            return false;
        Sleep(20);
    }
    return true;
}
