#include "browse_print.h"

#include "names.h"

#include <cstdarg>
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// Names come from the store as they are: a line feed in one would forge a
// line of the listing, an ESC would reach the terminal. Such bytes are
// shown as \xNN, as the JSON printer escapes them.
std::string Shown(const std::string& name) {
    std::string out;
    for (unsigned char ch : name) {
        char esc[8];
        if (ch < 0x20 || ch == 0x7f) {
            std::snprintf(esc, sizeof esc, "\\x%02x", ch);
            out += esc;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out;
}

// name followed by blanks to width columns. In UTF-8 (natively, and on
// Windows whose ANSI code page is 65001) a character takes a column
// whatever its bytes; the other ANSI code pages give a byte to a column (a
// double-byte character is a wide one), which is what printf's padding
// counts.
std::string Padded(const std::string& name, size_t width) {
    size_t columns = name.size();
#if defined(_WIN32)
    if (GetACP() == CP_UTF8)
#endif
    {
        columns = 0;
        for (const char* p = name.c_str(); *p; p = NextChar(p))
            ++columns;
    }
    return columns < width ? name + std::string(width - columns, ' ') : name;
}

// One line of the tree, in the system's 8-bit text, however long.
void Line(const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    std::string line(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(&line[0], line.size() + 1, format, again);
    va_end(again);
    va_end(args);
    WriteOut(line, kAnsiText);
}

} // namespace

void WriteOut(const std::string& text, unsigned codePage) {
#if defined(_WIN32)
    // A console shows its own code page (a Hebrew one 862, a Western one
    // 850), not the ANSI one the text is in: it is given UTF-16 instead.
    // Redirected output gets the bytes as they are.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        const UINT from = codePage == kAnsiText ? CP_ACP : codePage;
        const int n =
            MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(n), L'\0');
        if (n > 0 &&
            MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], n)) {
            std::fflush(stdout);
            DWORD written = 0;
            WriteConsoleW(out, wide.data(), static_cast<DWORD>(n), &written, nullptr);
            return;
        }
    }
#else
    (void)codePage;
#endif
    std::fputs(text.c_str(), stdout);
}

void PrintTree(const std::vector<Computer>& computers) {
    for (const Computer& c : computers) {
        Line("%s\n", Shown(c.name).c_str());
        for (const Device& d : c.devices) {
            Line("  %s (%lu area%s)\n", Shown(d.name).c_str(), d.areaCount,
                 d.areaCount == 1 ? "" : "s");
            for (const Area& a : d.areas) {
                Line("    %s\n", Shown(a.name).c_str());
                for (const TypeItems& t : a.types) {
                    Line("      %s (%d)%s\n", t.name.empty() ? "?" : Shown(t.name).c_str(), t.code,
                         t.items.empty() ? " no items" : "");
                    for (const Item& i : t.items)
                        Line("        %s %10ld  %s\n", Padded(Shown(i.name), 23).c_str(),
                             static_cast<long>(i.size), LocalTime(i.modTime).c_str());
                }
            }
        }
    }
}
