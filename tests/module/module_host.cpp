// A caller of TAVORIN.dll for the start-up tests: loads the library by full
// path, answers every message box it raises and writes what it saw to a
// report file, one fact a line:
//   box <caption>|<text, line feeds as \n>
//   load ok | load failed <error>
//   types <name>|<name>|...
//   module <name> <1 when loaded, else 0>
//   unload ok
// Usage: module_host <report file> <path of TAVORIN.dll> [unload]
#include "message_boxes.h"

#include <windows.h>

#include <cstdio>
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

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) {
    if (g_report) {
        std::fprintf(g_report, "crash\n");
        std::fclose(g_report);
    }
    ExitProcess(3);
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

} // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(EndOnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (argc < 3)
        return 2;
    g_report = std::fopen(argv[1], "w");
    if (!g_report)
        return 2;
    MessageBoxCatcher boxes;

    // The altered search path lets the loader find the storage library
    // beside TAVORIN.dll; TAVORIN's own look for its resource libraries
    // must not depend on it.
    HMODULE hTavorin = LoadLibraryExA(argv[2], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD loadError = GetLastError();
    // Every box the start-up raised has been answered by now.
    ReportBoxes(boxes);
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
    ReportBoxes(boxes);
    std::fclose(g_report);
    return 0;
}
