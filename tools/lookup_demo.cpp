// lookup-demo: how a program of the suite lets its user pick items with the
// "Lookup" dialog of TAVORIN.dll, and what comes back.
//
//   lookup-demo [--device C:] [--area PATTERNS] [--type 9] [--pattern ""]
//               [--flags LOCAL_DRIVES|DEVICE|AREA|TYPE] [--multiple]
//               [--auto TEXT] [--details] [--hold MS] [--timeout S]
//
// With --auto a second thread plays the user: it waits for the dialog, types
// TEXT into the item name field, waits until the rows of that name are all
// listed, selects the first and presses OK. It prints "dialog ready x y cx
// cy" (the dialog's screen rectangle) first and waits --hold milliseconds,
// so a script can take a picture. Without it, once rows are listed, it
// prints "dialog shown: row 3 NAME at X Y, Cancel at X Y" (screen points),
// for a script that clicks them.
//
// Exit status: 0 an item was chosen, 1 the dialog was cancelled or nothing
// was chosen, 2 bad arguments, 3 the dialog could not be driven in time.
#include "afxstr.h"
#include "lookup_flags.h"
#include "lookup_window.h"
#include "resource.h"
#include "tavorin.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

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

void Usage() {
    std::fputs("usage: lookup-demo [--device D] [--area A] [--type CODE] [--pattern P]\n"
               "                   [--flags F] [--multiple] [--auto TEXT] [--details]\n"
               "                   [--hold MS] [--timeout S]\n"
               "  F: a number or names joined by '|' from DRIVE_A, LOCAL_DRIVES, NETWORK,\n"
               "     DEVICE, AREA, TYPE (default LOCAL_DRIVES|DEVICE|AREA|TYPE)\n",
               stderr);
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
            const ParsedFlags flags = ParseLookupFlags(argv[++i]);
            if (flags.error) {
                std::fprintf(stderr, "lookup-demo: --flags: %s\n", flags.error->c_str());
                return false;
            }
            o.flags = flags.flags;
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

// Plays the user of the typical request: narrows the list by typing, one
// keystroke at a time as the dialog expects, picks the first item, OK.
void Play(const LookupWindow& w, const Options& o) {
    // Without a window manager nothing activates the dialog, and an
    // inactive dialog's list does not show its selection. X gives the focus
    // to the window under the pointer, so the pointer goes there too.
    RECT r;
    GetWindowRect(w.Dialog(), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SetForegroundWindow(w.Dialog());
    w.Send(w.Item(IDC_ITEM_NAME), EM_SETSEL, 0, -1);
    for (char ch : o.autoText)
        w.Send(w.Item(IDC_ITEM_NAME), WM_CHAR, static_cast<unsigned char>(ch), 1);
    if (o.details)
        w.Command(ID_SET_DETAILS);
    // A user picks from the rows of the name typed once they are all there:
    // over a slow store or a busy file server the walk may still be reading
    // them, and the first fill's, stopped by the typing, runs again.
    w.WaitListed(o.timeoutMs);
    const LRESULT count = w.Send(w.Item(IDC_ITEM_LIST), LVM_GETITEMCOUNT);
    if (count > 0)
        w.ClickRow(0);
    // A picture taken now should show the list as it is, not half painted.
    RedrawWindow(w.Dialog(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::printf("dialog ready %ld %ld %ld %ld (%ld items listed)\n", r.left, r.top,
                r.right - r.left, r.bottom - r.top, static_cast<long>(count));
    std::fflush(stdout);
    Sleep(o.holdMs);
    w.Command(count > 0 ? IDOK : IDCANCEL);
}

// A script's mouse goes through the X server, which knows nothing of the
// dialog's controls: it is told where they are. Waits at most timeoutMs
// for the first rows; answers the time it waited.
DWORD ShowWhereToClick(const LookupWindow& w, DWORD timeoutMs) {
    HWND hList = w.Item(IDC_ITEM_LIST);
    const DWORD start = GetTickCount();
    while (w.Send(hList, LVM_GETITEMCOUNT) < 3) {
        if (GetTickCount() - start >= timeoutMs || !w.IsOpen())
            return std::min(GetTickCount() - start, timeoutMs);
        Sleep(50);
    }
    RECT row = {};
    row.left = LVIR_LABEL;
    w.Send(hList, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&row), 2);
    char name[64] = "";
    LVITEMA item = {};
    item.pszText = name;
    item.cchTextMax = sizeof name;
    w.Send(hList, LVM_GETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&item));
    RECT cancel;
    GetWindowRect(w.Item(IDCANCEL), &cancel);
    std::printf("dialog shown: row 3 %s at %ld %ld, Cancel at %ld %ld\n", name,
                (row.left + row.right) / 2, (row.top + row.bottom) / 2,
                (cancel.left + cancel.right) / 2, (cancel.top + cancel.bottom) / 2);
    std::fflush(stdout);
    return std::min(GetTickCount() - start, timeoutMs);
}

} // namespace

int main(int argc, char** argv) {
    EndOnCrash();
    BePerMonitorAware();
    Options o;
    if (!ParseArguments(argc, argv, o)) {
        Usage();
        return 2;
    }

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

    // The dialog never waits for a click longer than --timeout: a dialog
    // still open then is cancelled, and one that never shows, or a call
    // that does not return, ends the program with 3.
    int answer = 0;
    // The entry points let no exception out: a failure answers 0.
    auto lookup = [&] {
        if (o.multiple)
            answer = AtLookupMultipleItem(device, area, &type, o.pattern.c_str(), o.flags, &items);
        else
            answer = AtLookupItem(device, area, &type, o.pattern.c_str(), o.flags, item);
    };
    DriveModal(
        lookup,
        [&](HWND hDlg) {
            const LookupWindow w(hDlg);
            if (o.autoDrive)
                Play(w, o);
            else if (!w.WaitClosed(o.timeoutMs - ShowWhereToClick(w, o.timeoutMs)))
                std::fprintf(stderr, "lookup-demo: dialog still open after %lu s, cancelling it\n",
                             o.timeoutMs / 1000);
        },
        o.timeoutMs, IDC_ITEM_LIST);

    std::printf("answer: %d\n", answer);
    std::fflush(stdout); // a script that ended the dialog reads at once when it did
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
