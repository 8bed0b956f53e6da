#include "browse_print.h"

#include "names.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cwchar>
#include <langinfo.h>
#endif

namespace {

#if !defined(_WIN32)
// Names are read as UTF-8 in a UTF-8 locale and in the C locale.
bool UTF8LocaleOrC() {
    const char* set = nl_langinfo(CODESET);
    return std::strcmp(set, "UTF-8") == 0 || std::strcmp(set, "ANSI_X3.4-1968") == 0;
}
#endif

// Names come from the store as they are: a line feed in one would forge a
// line of the listing, an ESC would reach the terminal, and natively a byte
// that is no character of the locale's set (Latin-1's "\xE9" in a UTF-8
// locale) would garble the terminal and shift the columns. Such bytes are
// shown as \xNN; --json carries the bytes themselves.
std::string Shown(const std::string& name) {
#if !defined(_WIN32)
    const bool utf8 = UTF8LocaleOrC();
#endif
    std::string out;
    for (const char* p = name.c_str(); *p;) {
        const char* next = NextChar(p);
        const unsigned char ch = static_cast<unsigned char>(*p);
        bool escaped = ch < 0x20 || ch == 0x7f;
#if !defined(_WIN32)
        // A lone byte above ASCII is a character only in a single-byte set.
        if (next - p == 1 && ch >= 0x80) {
            std::mbstate_t state{};
            wchar_t wc;
            escaped = utf8 || std::mbrtowc(&wc, p, 1, &state) > 1;
        }
#endif
        if (escaped) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02x", ch);
            out += esc;
            next = p + 1;
        } else {
            out.append(p, next);
        }
        p = next;
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
bool Line(const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    std::string line(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(&line[0], line.size() + 1, format, again);
    va_end(again);
    va_end(args);
    return WriteOut(line, kAnsiText);
}

} // namespace

bool WriteOut(const std::string& text, unsigned codePage) {
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
            if (std::fflush(stdout) != 0)
                return false;
            // Older consoles refuse a write of more than 64 KB at once.
            const DWORD kChunk = 8192;
            for (DWORD done = 0, written = 0; done < static_cast<DWORD>(n); done += written) {
                const DWORD chunk = std::min(kChunk, static_cast<DWORD>(n) - done);
                if (!WriteConsoleW(out, wide.data() + done, chunk, &written, nullptr) ||
                    written == 0) {
                    errno = 0; // not the C library's: said as the console's
                    return false;
                }
            }
            return true;
        }
    }
#else
    (void)codePage;
#endif
    return std::fputs(text.c_str(), stdout) != EOF;
}

// The reader of our pipe has gone (| head -1): the ordinary end of a
// listing, not a fault to report. The C runtime on Windows maps the
// system's "pipe is being closed" to EINVAL, so the system's own error
// tells it there.
static bool ReaderGone(int error) {
#if defined(_WIN32)
    const DWORD last = GetLastError();
    if (last == ERROR_NO_DATA || last == ERROR_BROKEN_PIPE)
        return true;
    return error == EINVAL && GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE;
#else
    return error == EPIPE;
#endif
}

void EndOutput(bool bWritten) {
    // Redirected output is buffered: a full disk shows at the flush.
    if (bWritten && std::fflush(stdout) == 0 && !std::ferror(stdout))
        return;
    const int error = errno;
    if (ReaderGone(error))
        throw BrowseError("", kExitNotWritten);
    throw BrowseError(std::string("the listing could not be written whole: ") +
                          (error ? std::string(std::strerror(error)) +
                                       "; write it where there is room (another disk, a pipe)"
                                 : "the console refused it; redirect it to a file"),
                      kExitNotWritten);
}

bool PrintTree(const std::vector<Computer>& computers) {
    // Nothing more is written once output is lost.
    bool ok = true;
    for (const Computer& c : computers) {
        ok = ok && Line("%s\n", Shown(c.name).c_str());
        for (const Device& d : c.devices) {
            ok = ok && Line("  %s (%lu area%s)\n", Shown(d.name).c_str(), d.areaCount,
                            d.areaCount == 1 ? "" : "s");
            for (const Area& a : d.areas) {
                ok = ok && Line("    %s\n", Shown(a.name).c_str());
                for (const TypeItems& t : a.types) {
                    ok = ok &&
                         Line("      %s (%d)%s\n", t.name.empty() ? "?" : Shown(t.name).c_str(),
                              t.code, t.items.empty() ? " no items" : "");
                    for (const Item& i : t.items)
                        ok = ok && Line("        %s %10ld  %s\n", Padded(Shown(i.name), 23).c_str(),
                                        static_cast<long>(i.size), LocalTime(i.modTime).c_str());
                }
            }
        }
    }
    return ok;
}
