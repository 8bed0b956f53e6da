#include "modal_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

struct Context {
    DWORD callerThread;
    const std::function<void(HWND)>* drive;
    DWORD patienceMs;
    HANDLE callDone;
    bool appeared;
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
    char cls[16] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    // Visible only once its controls exist and its set-up has run.
    if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(hWnd))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

DWORD WINAPI DriverThread(void* param) {
    Context* ctx = static_cast<Context*>(param);
    const DWORD start = GetTickCount();
    HWND hDlg = nullptr;
    while (!hDlg && GetTickCount() - start < ctx->patienceMs &&
           WaitForSingleObject(ctx->callDone, 0) == WAIT_TIMEOUT) {
        EnumThreadWindows(ctx->callerThread, FindDialog, reinterpret_cast<LPARAM>(&hDlg));
        if (!hDlg)
            Sleep(1);
    }
    if (hDlg) {
        ctx->appeared = true;
        (*ctx->drive)(hDlg);
        if (IsWindow(hDlg))
            PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    }
    if (WaitForSingleObject(ctx->callDone, ctx->patienceMs) != WAIT_OBJECT_0)
        GiveUp("the dialog did not close");
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

} // namespace

bool DriveModal(const std::function<void()>& call, const std::function<void(HWND)>& drive,
                DWORD patienceMs) {
    Context ctx = {GetCurrentThreadId(), &drive, patienceMs,
                   CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    HANDLE thread = CreateThread(nullptr, 0, DriverThread, &ctx, 0, nullptr);
    if (!thread)
        GiveUp("no driver thread");
    call();
    SetEvent(ctx.callDone);
    if (WaitForSingleObject(thread, patienceMs + 5000) != WAIT_OBJECT_0)
        GiveUp("the driver did not finish");
    CloseHandle(thread);
    CloseHandle(ctx.callDone);
    return ctx.appeared;
}

LRESULT SendBounded(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD ms, bool* ok) {
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutA(hWnd, msg, wParam, lParam, SMTO_NORMAL, ms, &result) != 0;
    if (ok)
        *ok = answered;
    return answered ? static_cast<LRESULT>(result) : 0;
}

HWND FindDescendant(HWND parent, const char* className) {
    FindClass find = {className, nullptr};
    EnumChildWindows(parent, FindByClass, reinterpret_cast<LPARAM>(&find));
    return find.found;
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
