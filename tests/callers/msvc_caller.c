/* A caller as an MSVC-built program sees TAVORIN.dll: C only, compiled by
 * clang for the MSVC target, linked by lld-link against TAVORIN.lib, with no
 * C runtime (its own entry point, kernel32 and user32). It walks the sample
 * store, marks a failed device through the C list, and runs the "Lookup"
 * dialog through AtLookupItemList while a second thread works the dialog.
 * Exit status 0 when every check held; each check prints one line. */
#include "tavorin.h"

#include <stddef.h>

#define WINAPI __stdcall
#define IMPORT __declspec(dllimport)
typedef void* HANDLE;
typedef void* HWND;
typedef unsigned long DWORD;
typedef int BOOL;
typedef unsigned int UINT;
#if defined(_WIN64)
typedef unsigned long long WPARAM;
typedef long long LPARAM;
#else
typedef unsigned int WPARAM;
typedef long LPARAM;
#endif
typedef BOOL(WINAPI* WNDENUMPROC)(HWND, LPARAM);
typedef DWORD(WINAPI* THREADPROC)(void*);

IMPORT void WINAPI ExitProcess(UINT code);
IMPORT HANDLE WINAPI GetStdHandle(DWORD which);
IMPORT BOOL WINAPI WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written,
                             void* overlapped);
IMPORT HANDLE WINAPI CreateThread(void* security, size_t stack, THREADPROC start, void* param,
                                  DWORD flags, DWORD* id);
IMPORT DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD ms);
IMPORT BOOL WINAPI CloseHandle(HANDLE handle);
IMPORT void WINAPI Sleep(DWORD ms);
IMPORT DWORD WINAPI GetCurrentThreadId(void);
IMPORT void* WINAPI LocalFree(void* block);
IMPORT BOOL WINAPI EnumThreadWindows(DWORD thread, WNDENUMPROC proc, LPARAM param);
IMPORT int WINAPI GetWindowTextA(HWND window, char* text, int size);
IMPORT BOOL WINAPI IsWindowVisible(HWND window);
IMPORT HWND WINAPI GetDlgItem(HWND dialog, int id);
IMPORT LPARAM WINAPI SendMessageTimeoutA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT flags, UINT ms, size_t* result);
IMPORT BOOL WINAPI PostMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define WM_COMMAND 0x0111
#define IDOK 1
#define IDC_ITEM_LIST 1004
#define IDC_ITEM_COUNT 1005
#define LVM_SETITEMSTATE 0x102B
#define LVIS_SELECTED 0x0002
#define SMTO_NORMAL 0

/* LVITEMA as comctl32 version 6 reads it. */
typedef struct {
    UINT mask;
    int iItem, iSubItem;
    UINT state, stateMask;
    char* pszText;
    int cchTextMax, iImage;
    LPARAM lParam;
    int iIndent, iGroupId;
    UINT cColumns;
    UINT* puColumns;
    int* piColFmt;
    int iGroup;
} LVITEMA;

/* Without a C runtime the compiler's own struct copies and clears still
 * call these. */
void* memset(void* dest, int c, size_t n) {
    unsigned char* d = (unsigned char*)dest;
    while (n--)
        *d++ = (unsigned char)c;
    return dest;
}
void* memcpy(void* dest, const void* src, size_t n) {
    unsigned char* d = (unsigned char*)dest;
    const unsigned char* s = (const unsigned char*)src;
    while (n--)
        *d++ = *s++;
    return dest;
}

static int g_failures;
static volatile long g_callDone;

static size_t Length(const char* s) {
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

static int Same(const char* a, const char* b) {
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

static int SameBytes(const char* a, const char* b, size_t n) {
    size_t i;
    for (i = 0; i < n; ++i)
        if (a[i] != b[i])
            return 0;
    return 1;
}

static void Print(const char* text) {
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)Length(text), &written, NULL);
}

static void PrintNumber(unsigned long n) {
    char digits[24];
    int i = 23;
    digits[i] = '\0';
    do
        digits[--i] = (char)('0' + n % 10);
    while ((n /= 10) != 0);
    Print(digits + i);
}

static void Check(int ok, const char* what) {
    Print(ok ? "ok   " : "FAIL ");
    Print(what);
    Print("\n");
    if (!ok)
        ++g_failures;
}

/* Whether the device walk offers name. */
static int DeviceOffered(const char* name) {
    const char* d;
    int found = 0;
    for (d = ListFirstDevice("\\\\.", LF_LOCAL_DRIVES | LF_NETWORK); d; d = ListNextDevice())
        found |= Same(d, name);
    return found;
}

static void Walk(void) {
    const char* name;
    int code = 0, types = 0, items = 0;
    char first[32] = "";

    Check(Same(ListFirstComputer(), "\\\\."), "the local computer is offered");
    name = ListFirstDevice("\\\\.", LF_LOCAL_DRIVES | LF_NETWORK);
    Check(name && Same(name, "NETWORK:"), "the network device comes first");
    Check(DeviceOffered("C:") && DeviceOffered("3:"), "drive C: and device 3: are offered");
    Check(CountAreas("C:") == 3, "C: holds three areas");
    name = ListFirstArea("C:");
    Check(name && Same(name, "ARCHIVE"), "the first area of C: is ARCHIVE");
    for (name = ListFirstType(&code); name; name = ListNextType(&code))
        if (++types == 9)
            Check(code == 9 && Same(name, "Marker"), "the ninth type is Marker, code 9");
    Check(types == 24, "24 item types");
    for (name = ListFirstItem("C:", "PATTERNS", 9, "AB*"); name; name = ListNextItem())
        if (items++ == 0)
            memcpy(first, name, Length(name) + 1);
    Check(items == 3 && Same(first, "AB1042"), "three Marker items AB* in C:PATTERNS");

    StoreFailedConnectionList("3\0"
                              "7:\0");
    Check(!DeviceOffered("3:") && DeviceOffered("C:"), "a device marked failed is skipped");
    StoreFailedConnectionList(NULL);
    Check(DeviceOffered("3:"), "null clears the marks");
}

/* A "Lookup" dialog whose first walk is complete: its count is a number ("12..." before). */
static BOOL WINAPI FindLookup(HWND window, LPARAM param) {
    char text[16] = "";
    int n;
    GetWindowTextA(window, text, sizeof text);
    if (!Same(text, "Lookup") || !IsWindowVisible(window))
        return 1;
    n = GetWindowTextA(GetDlgItem(window, IDC_ITEM_COUNT), text, sizeof text);
    if (n == 0 || text[n - 1] < '0' || text[n - 1] > '9')
        return 1;
    *(HWND*)param = window;
    return 0;
}

static void SelectRow(HWND list, int row) {
    LVITEMA item;
    size_t result;
    memset(&item, 0, sizeof item);
    item.state = LVIS_SELECTED;
    item.stateMask = LVIS_SELECTED;
    SendMessageTimeoutA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item, SMTO_NORMAL, 3000,
                        &result);
}

/* Finds the caller's listed "Lookup" dialog, picks rows 0 and 2 and presses OK.
 * Every wait is bounded: a dialog that does not list or close ends the process. */
static DWORD WINAPI Driver(void* param) {
    const DWORD caller = *(const DWORD*)param;
    HWND dialog = NULL;
    int i;
    for (i = 0; i < 500 && !dialog; ++i) {
        EnumThreadWindows(caller, FindLookup, (LPARAM)&dialog);
        if (!dialog)
            Sleep(20);
    }
    if (!dialog) {
        Print("FAIL no \"Lookup\" dialog with its rows listed within 10 s\n");
        ExitProcess(4);
    }
    SelectRow(GetDlgItem(dialog, IDC_ITEM_LIST), 0);
    SelectRow(GetDlgItem(dialog, IDC_ITEM_LIST), 2);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    for (i = 0; i < 500 && !g_callDone; ++i)
        Sleep(20);
    if (!g_callDone) {
        Print("FAIL the dialog did not close\n");
        ExitProcess(3);
    }
    return 0;
}

static void Lookup(void) {
    char device[8] = "C:", area[256] = "PATTERNS";
    TAVORIN_LOOKUP request;
    DWORD caller = GetCurrentThreadId();
    HANDLE driver;
    int answer;

    memset(&request, 0, sizeof request);
    request.structSize = sizeof request - 4;
    request.error = 77;
    Check(AtLookupItemList(&request) == 0 && request.error == 77,
          "a structure size it does not know is refused untouched");

    request.structSize = sizeof request;
    request.device = device;
    request.deviceSize = sizeof device;
    request.area = area;
    request.areaSize = sizeof area;
    request.type = 9;
    request.pattern = "AB";
    request.flags = LF_LOCAL_DRIVES | LF_DEVICE | LF_AREA | LF_TYPE;
    driver = CreateThread(NULL, 0, Driver, &caller, 0, NULL);
    answer = AtLookupItemList(&request);
    g_callDone = 1;
    WaitForSingleObject(driver, 15000);
    Check(driver != NULL, "driver thread started");

    Check(answer == 1, "AtLookupItemList answers 1 after OK");
    Check(request.error == 0, "no error");
    Check(request.nameCount == 2 && request.namesSize == 19 && request.names &&
              SameBytes(request.names, "AB1042\0ABX-SLEEVE\0", 19),
          "names: AB1042 and ABX-SLEEVE, double-NUL-terminated, in list order");
    Check(Same(device, "C:") && Same(area, "PATTERNS") && request.type == 9,
          "device, area and type handed back");
    Check(LocalFree(request.names) == NULL, "the names are freed with LocalFree");
    CloseHandle(driver);
}

void __cdecl CallerMain(void) {
    Print("TAVORIN_LOOKUP: ");
    PrintNumber(sizeof(TAVORIN_LOOKUP));
    Print(" bytes\n");
    Walk();
    Lookup();
    Print(g_failures ? "FAILED\n" : "all checks passed\n");
    ExitProcess(g_failures ? 1 : 0);
}
