// lookup-demo: how a program of the suite lets its user pick items with the
// "Lookup" dialog of TAVORIN.dll, and what comes back.
//
//   lookup-demo [--device C:] [--area PATTERNS] [--type 9] [--pattern ""]
//               [--flags LOCAL_DRIVES|DEVICE|AREA|TYPE] [--multiple]
//               [--auto TEXT] [--details] [--hold MS] [--timeout S]
//
// With --auto a second thread plays the user: it waits for the dialog, types
// TEXT into the item name field, selects the first item listed and presses
// OK. It prints "dialog ready x y cx cy" (the dialog's screen rectangle)
// first and waits --hold milliseconds, so a script can take a picture.
//
// Exit status: 0 an item was chosen, 1 the dialog was cancelled or nothing
// was chosen, 2 bad arguments, 3 the dialog could not be driven in time.
#include "afxstr.h"
#include "tavorin.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Control ids of the dialog that the auto-driver touches.
enum { kItemNameEdit = 1002, kToolbar = 1003, kItemList = 1004, kSetDetails = 1000 };

struct Options {
    std::string device = "C:";
    std::string area = "PATTERNS";
    int type = 9; // Marker
    std::string pattern;
    int flags = LF_LOCAL_DRIVES | LF_DEVICE | LF_AREA | LF_TYPE;
    bool multiple = false;
    bool autoDrive = false;
    std::string autoText;
    bool details = false;
    DWORD holdMs = 0;
    DWORD timeoutMs = 120000;
};

struct Driver {
    Options options;
    DWORD mainThread;
    volatile LONG lookupDone;
};

void Usage() {
    std::fputs("usage: lookup-demo [--device D] [--area A] [--type CODE] [--pattern P]\n"
               "                   [--flags F] [--multiple] [--auto TEXT] [--details]\n"
               "                   [--hold MS] [--timeout S]\n"
               "  F: a number or names joined by '|' from DRIVE_A, LOCAL_DRIVES, NETWORK,\n"
               "     DEVICE, AREA, TYPE (default LOCAL_DRIVES|DEVICE|AREA|TYPE)\n",
               stderr);
}

bool ParseFlags(const char* text, int& flags) {
    static const struct {
        const char* name;
        int bit;
    } kNames[] = {{"DRIVE_A", LF_DRIVE_A}, {"LOCAL_DRIVES", LF_LOCAL_DRIVES},
                  {"NETWORK", LF_NETWORK}, {"DEVICE", LF_DEVICE},
                  {"AREA", LF_AREA},       {"TYPE", LF_TYPE}};
    char* end = nullptr;
    flags = static_cast<int>(std::strtol(text, &end, 0));
    if (*text && *end == '\0')
        return true;
    flags = 0;
    std::string rest = text;
    while (!rest.empty()) {
        const size_t bar = rest.find('|');
        std::string word = rest.substr(0, bar);
        rest = bar == std::string::npos ? std::string() : rest.substr(bar + 1);
        if (word.compare(0, 3, "LF_") == 0)
            word.erase(0, 3);
        bool known = false;
        for (const auto& n : kNames)
            if (word == n.name) {
                flags |= n.bit;
                known = true;
            }
        if (!known)
            return false;
    }
    return true;
}

bool ParseArguments(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--multiple") {
            o.multiple = true;
        } else if (arg == "--details") {
            o.details = true;
        } else if (!hasValue) {
            std::fprintf(stderr, "lookup-demo: unknown argument or missing value: %s\n", argv[i]);
            return false;
        } else if (arg == "--device") {
            o.device = argv[++i];
        } else if (arg == "--area") {
            o.area = argv[++i];
        } else if (arg == "--type") {
            o.type = std::atoi(argv[++i]);
        } else if (arg == "--pattern") {
            o.pattern = argv[++i];
        } else if (arg == "--flags") {
            if (!ParseFlags(argv[++i], o.flags)) {
                std::fprintf(stderr, "lookup-demo: bad --flags: %s\n", argv[i]);
                return false;
            }
        } else if (arg == "--auto") {
            o.autoDrive = true;
            o.autoText = argv[++i];
        } else if (arg == "--hold") {
            o.holdMs = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--timeout") {
            o.timeoutMs = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10)) * 1000;
        } else {
            std::fprintf(stderr, "lookup-demo: unknown argument: %s\n", argv[i]);
            return false;
        }
    }
    // The library copies device and area back without a bound into the
    // buffers below (256 bytes each); refuse what could not come back.
    if (o.device.size() > 255 || o.area.size() > 255) {
        std::fprintf(stderr, "lookup-demo: --device and --area take at most 255 characters\n");
        return false;
    }
    return true;
}

// The dialog runs modally on the main thread; only its windows are wanted,
// not a "Lookup" of another program on the same desktop. It is told by its
// item list rather than its caption, which a localised library translates.
BOOL CALLBACK FindLookup(HWND wnd, LPARAM found) {
    char className[16];
    if (GetClassNameA(wnd, className, sizeof className) && std::strcmp(className, "#32770") == 0 &&
        GetDlgItem(wnd, kItemList)) {
        *reinterpret_cast<HWND*>(found) = wnd;
        return FALSE;
    }
    return TRUE;
}

// Tick counts wrap after 49 days; differences stay right.
bool InTime(DWORD start, DWORD limitMs) {
    return GetTickCount() - start < limitMs;
}

HWND WaitForDialog(Driver& d, DWORD start) {
    while (InTime(start, d.options.timeoutMs) && !d.lookupDone) {
        HWND dialog = nullptr;
        EnumThreadWindows(d.mainThread, FindLookup, reinterpret_cast<LPARAM>(&dialog));
        // Visible means WM_INITDIALOG, and so the first fill, is over.
        if (dialog && IsWindowVisible(dialog))
            return dialog;
        Sleep(50);
    }
    return nullptr;
}

// Messages to the dialog are handled by its modal loop on the main thread;
// a bound keeps a hung dialog from hanging this thread too.
LRESULT Send(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(wnd, msg, wp, lp, SMTO_NORMAL, 5000, &answer);
    return static_cast<LRESULT>(answer);
}

void PressButton(HWND dialog, int id) {
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
         reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Plays the user of the typical request: narrows the list by typing, one
// keystroke at a time as the dialog expects, picks the first item, OK.
void DriveDialog(Driver& d, HWND dialog) {
    // Without a window manager nothing activates the dialog, and an
    // inactive dialog's list does not show its selection. X gives the focus
    // to the window under the pointer, so the pointer goes there too.
    RECT box;
    GetWindowRect(dialog, &box);
    SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    SetForegroundWindow(dialog);
    HWND edit = GetDlgItem(dialog, kItemNameEdit);
    Send(edit, EM_SETSEL, 0, -1);
    for (char ch : d.options.autoText)
        Send(edit, WM_CHAR, static_cast<unsigned char>(ch), 1);
    if (d.options.details)
        Send(dialog, WM_COMMAND, MAKEWPARAM(kSetDetails, 0),
             reinterpret_cast<LPARAM>(GetDlgItem(dialog, kToolbar)));

    HWND list = GetDlgItem(dialog, kItemList);
    const LRESULT count = Send(list, LVM_GETITEMCOUNT, 0, 0);
    if (count > 0) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        Send(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        // Focus can only be moved by the dialog's own thread; without it the
        // list does not show its selection.
        Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    }
    // A picture taken now should show the list as it is, not half painted.
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r;
    GetWindowRect(dialog, &r);
    std::printf("dialog ready %ld %ld %ld %ld (%ld items listed)\n", r.left, r.top,
                r.right - r.left, r.bottom - r.top, static_cast<long>(count));
    std::fflush(stdout);
    Sleep(d.options.holdMs);
    PressButton(dialog, count > 0 ? IDOK : IDCANCEL);
}

// The driver in --auto mode, the watchdog in both: the dialog never waits
// for a click longer than --timeout.
DWORD WINAPI DriverThread(void* param) {
    Driver& d = *static_cast<Driver*>(param);
    const DWORD start = GetTickCount();
    HWND dialog = WaitForDialog(d, start);
    if (d.lookupDone)
        return 0;
    if (!dialog) {
        std::fprintf(stderr, "lookup-demo: no lookup dialog within %lu s\n",
                     d.options.timeoutMs / 1000);
        ExitProcess(3);
    }
    if (d.options.autoDrive)
        DriveDialog(d, dialog);
    while (InTime(start, d.options.timeoutMs) && !d.lookupDone && IsWindow(dialog))
        Sleep(50);
    if (!d.lookupDone && IsWindow(dialog)) {
        std::fprintf(stderr, "lookup-demo: dialog still open after %lu s, cancelling it\n",
                     d.options.timeoutMs / 1000);
        PressButton(dialog, IDCANCEL);
    }
    // The window goes before the entry point copies back and returns.
    for (int i = 0; i < 100 && !d.lookupDone; ++i)
        Sleep(50);
    if (!d.lookupDone) {
        std::fprintf(stderr, "lookup-demo: the lookup did not return after its dialog closed\n");
        ExitProcess(3);
    }
    return 0;
}

// A crash must end the process at once: under Wine a debugger would
// otherwise wait for a click.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "lookup-demo: crashed with exception 0x%08lx\n",
                 info->ExceptionRecord->ExceptionCode);
    std::fflush(stderr);
    ExitProcess(3);
}

} // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(OnCrash);
    static Driver driver; // shared with the driver thread for the process's life
    if (!ParseArguments(argc, argv, driver.options)) {
        Usage();
        return 2;
    }
    const Options& o = driver.options;
    driver.mainThread = GetCurrentThreadId();
    HANDLE thread = CreateThread(nullptr, 0, DriverThread, &driver, 0, nullptr);

    // The library writes the chosen device and area back into these and
    // does not know their size: give room for the longest it can hand back.
    char device[256];
    char area[256];
    char item[50];
    int type = o.type;
    std::strcpy(device, o.device.c_str());
    std::strcpy(area, o.area.c_str());
    item[0] = '\0';
    CStringArray items;

    int answer = 0;
    try {
        if (o.multiple)
            answer = AtLookupMultipleItem(device, area, &type, o.pattern.c_str(), o.flags, &items);
        else
            answer = AtLookupItem(device, area, &type, o.pattern.c_str(), o.flags, item);
    } catch (const CException&) {
        // The library passes the framework's exceptions on to its caller.
        std::fprintf(stderr, "lookup-demo: the lookup raised an exception\n");
    }
    InterlockedExchange(&driver.lookupDone, 1);
    if (thread) {
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
    }

    std::printf("answer: %d\n", answer);
    std::printf("device: %s\n", device);
    std::printf("area: %s\n", area);
    std::printf("type: %d\n", type);
    if (o.multiple) {
        for (int i = 0; i < items.GetSize(); ++i)
            std::printf("item: %s\n", items[i].GetString());
    } else if (answer) {
        std::printf("item: %s\n", item);
    }
    return answer ? 0 : 1;
}
