// A caller of TAVORIN.dll for the start-up tests: loads the library by full
// path, answers every message box it raises and writes what it saw to a
// report file, one fact a line:
//   box <caption>|<text, line feeds as \n>
//   load ok | load failed <error>
//   types <name>|<name>|...
//   module <name> <1 when loaded, else 0>
//   unload ok
//   dialog <what> <text>      (what the Lookup dialog shows, see ReadDialog)
//   lookup <answer of AtLookupItem>
// Usage: module_host <report file> <path of TAVORIN.dll> [unload | dialog]
#include "lookup_window.h"
#include "message_boxes.h"

#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

FILE* g_report = nullptr;

std::string EscapeLineFeeds(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void ReportModules() {
    for (const char* name : {"tavorinl.dll", "Dalquintoria.dll"})
        std::fprintf(g_report, "module %s %d\n", name, GetModuleHandleA(name) ? 1 : 0);
}

// Writes the boxes seen since the last report.
void ReportBoxes(const MessageBoxCatcher& boxes) {
    static size_t reported = 0;
    for (; reported < boxes.m_boxes.size(); ++reported) {
        const MessageBoxSeen& box = boxes.m_boxes[reported];
        std::fprintf(g_report, "box %s|%s\n", box.caption.c_str(),
                     EscapeLineFeeds(box.text).c_str());
    }
}

BOOL CALLBACK ReportChild(HWND hwnd, LPARAM) {
    char className[32] = "";
    char text[256] = "";
    GetClassNameA(hwnd, className, sizeof className);
    GetWindowTextA(hwnd, text, sizeof text);
    if (GetDlgCtrlID(hwnd) == 0xFFFF && _stricmp(className, "Static") == 0)
        std::fprintf(g_report, "dialog label %s\n", text);
    else if (_stricmp(className, "Button") == 0)
        std::fprintf(g_report, "dialog button %s\n", text);
    return TRUE;
}

// What the dialog shows, read from the driver's thread; the driver cancels
// it afterwards.
void ReadDialog(const LookupWindow& w) {
    std::fprintf(g_report, "dialog caption %s\n", w.Text(w.Dialog()).c_str());
    EnumChildWindows(w.Dialog(), ReportChild, 0);
    for (const std::string& title : w.Columns())
        std::fprintf(g_report, "dialog column %s\n", title.c_str());
    // The tooltip texts as the toolbar asks for them: a string number and
    // the library to load it from.
    for (UINT id : {ID_SET_DETAILS, ID_SET_LIST}) {
        NMTTDISPINFOA info = {};
        info.hdr.hwndFrom = w.Item(IDC_TOOLBAR);
        info.hdr.idFrom = id;
        info.hdr.code = TTN_GETDISPINFOA;
        w.Send(w.Dialog(), WM_NOTIFY, IDC_TOOLBAR, reinterpret_cast<LPARAM>(&info));
        char tip[64] = "";
        if (info.hinst && IS_INTRESOURCE(info.lpszText))
            LoadStringA(info.hinst, LOWORD(reinterpret_cast<UINT_PTR>(info.lpszText)), tip,
                        sizeof tip);
        std::fprintf(g_report, "dialog tooltip %s\n", tip);
    }
    for (const std::string& name : w.Entries(IDC_DATA_TYPE))
        std::fprintf(g_report, "dialog type %s\n", name.c_str());
    std::fflush(g_report);
}

void RunDialog(HMODULE hTavorin) {
    typedef int(__cdecl * LookupFn)(char*, char*, int*, const char*, int, char*);
    auto lookup = reinterpret_cast<LookupFn>(
        reinterpret_cast<void*>(GetProcAddress(hTavorin, "AtLookupItem")));
    if (!lookup)
        return;
    char device[8] = "C:", area[256] = "", result[64] = "";
    int type = 9, answer = 0;
    DriveLookup([&] { answer = lookup(device, area, &type, "", 0x3A, result); }, ReadDialog, 10000);
    std::fprintf(g_report, "lookup %d\n", answer);
}

} // namespace

int main(int argc, char** argv) {
    EndOnCrash();
    if (argc < 3)
        return 2;
    g_report = std::fopen(argv[1], "w");
    if (!g_report)
        return 2;
    auto boxes = std::make_unique<MessageBoxCatcher>();

    // The integration guide's flags let the loader find the storage library
    // beside TAVORIN.dll; TAVORIN's own look for its resource libraries
    // must not depend on it.
    // A path over MAX_PATH (given in the \\?\ form) loads only through the
    // wide function.
    const DWORD how = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
    wchar_t widePath[1024];
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, widePath, 1024);
    HMODULE hTavorin = std::strlen(argv[2]) < MAX_PATH ? LoadLibraryExA(argv[2], nullptr, how)
                                                       : LoadLibraryExW(widePath, nullptr, how);
    const DWORD loadError = GetLastError();
    // Every box the start-up raised has been answered by now.
    ReportBoxes(*boxes);
    if (!hTavorin) {
        std::fprintf(g_report, "load failed %lu\n", loadError);
        std::fclose(g_report);
        return 1;
    }
    std::fprintf(g_report, "load ok\n");

    typedef char*(__cdecl * ListTypeFn)(int*);
    auto listFirst = reinterpret_cast<ListTypeFn>(
        reinterpret_cast<void*>(GetProcAddress(hTavorin, "ListFirstType")));
    auto listNext = reinterpret_cast<ListTypeFn>(
        reinterpret_cast<void*>(GetProcAddress(hTavorin, "ListNextType")));
    if (listFirst && listNext) {
        std::string names;
        int code = 0;
        for (const char* name = listFirst(&code); name; name = listNext(&code))
            names += (names.empty() ? "" : "|") + std::string(name);
        std::fprintf(g_report, "types %s\n", names.c_str());
    }
    ReportModules();

    if (argc > 3 && std::string(argv[3]) == "unload") {
        FreeLibrary(hTavorin);
        std::fprintf(g_report, "unload ok\n");
        ReportModules();
    }
    // A box raised after the start-up would be a fault of its own.
    ReportBoxes(*boxes);
    if (argc > 3 && std::string(argv[3]) == "dialog") {
        boxes.reset(); // the dialog is no box to answer
        RunDialog(hTavorin);
    }
    std::fclose(g_report);
    return 0;
}
