#include "modal_driver.h"

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
    int childId;
    const std::function<void(HWND)>* drive;
    HANDLE callDone;
    DWORD patienceMs;
    bool settle;
    DriveOutcome outcome;
};

struct FindContext {
    int childId;
    HWND found;
};

// A dialog is told by a control of its own rather than by its caption,
// which a localised library translates. Visible only once its controls
// exist and its set-up has run.
BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
    FindContext* find = reinterpret_cast<FindContext*>(lParam);
    char className[16] = "";
    GetClassNameA(hWnd, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(hWnd) ||
        (find->childId && !GetDlgItem(hWnd, find->childId)))
        return TRUE;
    find->found = hWnd;
    return FALSE;
}

// Other programs on the same display may show such a dialog too; only the
// one of the calling thread counts.
HWND WaitForDialog(const DriveContext& ctx) {
    const DWORD start = GetTickCount();
    do {
        FindContext find = {ctx.childId, nullptr};
        EnumThreadWindows(ctx.callerThread, FindDialog, reinterpret_cast<LPARAM>(&find));
        if (find.found)
            return find.found;
        Sleep(1);
    } while (GetTickCount() - start < ctx.patienceMs &&
             WaitForSingleObject(ctx.callDone, 0) == WAIT_TIMEOUT);
    return nullptr;
}

UINT SettleMessage() {
    static const UINT message = RegisterWindowMessageA("DriveModal.Settle");
    return message;
}

LRESULT CALLBACK SettleHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg.message == SettleMessage())
        SetEvent(reinterpret_cast<HANDLE>(msg.lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A dialog may fill itself after it shows: it is driven once its thread
// has taken from its queue a message posted after it appeared, that is,
// once the work queued before has been done.
void WaitSettled(HWND hDlg, DWORD threadId, DWORD patienceMs) {
    HANDLE settled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, SettleHook, nullptr, threadId);
    const bool posted =
        hook && PostMessageA(hDlg, SettleMessage(), 0, reinterpret_cast<LPARAM>(settled));
    const bool done = posted && WaitForSingleObject(settled, patienceMs) == WAIT_OBJECT_0;
    if (hook)
        UnhookWindowsHookEx(hook);
    if (posted && !done && IsWindow(hDlg))
        g_onFailure("the dialog did not settle after it appeared");
    if (done || !posted)
        CloseHandle(settled); // else the message may still come: the event stays
}

DWORD WINAPI DriverThread(void* param) {
    DriveContext* ctx = static_cast<DriveContext*>(param);
    HWND hDlg = WaitForDialog(*ctx);
    if (hDlg) {
        ctx->outcome.appeared = true;
        if (ctx->settle)
            WaitSettled(hDlg, ctx->callerThread, ctx->patienceMs);
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

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "crash: exception 0x%08lx\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void SetDriverFailureHandler(DriverFailureHandler handler) {
    g_onFailure = handler ? handler : PrintFailure;
}

void DriverFailure(const std::string& text) {
    g_onFailure(text);
}

int DriverFailures() {
    return g_failures;
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

DriveOutcome DriveModal(const std::function<void()>& call, const std::function<void(HWND)>& drive,
                        DWORD patienceMs, int childId, bool settle) {
    DriveContext ctx = {
        GetCurrentThreadId(), childId, &drive,        CreateEventA(nullptr, TRUE, FALSE, nullptr),
        patienceMs,           settle,  DriveOutcome()};
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

void GiveUp(const char* why) {
    std::fprintf(stderr, "%s; ending the program\n", why);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
}

void EndOnCrash() {
    SetUnhandledExceptionFilter(OnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

void BePerMonitorAware() {
    // Looked up: Windows before 10 and older Wine have no such function.
    typedef BOOL(WINAPI * SetContextProc)(HANDLE);
    if (const auto setContext = reinterpret_cast<SetContextProc>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext"))))
        setContext(reinterpret_cast<HANDLE>(-4)); // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
}
