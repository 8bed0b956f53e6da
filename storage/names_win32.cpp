// Names in the ANSI code page in force, compared as the system compares:
// each character is taken to UTF-16 through that code page and folded with
// the user's locale. CompareStringA would read the bytes in the code page of
// the locale it is given, which need not be the ANSI one. Where that code
// page is UTF-8 (65001, by the system's option or a host's manifest), no
// byte is a lead byte of IsDBCSLeadByte's: characters are UTF-8's then.
#include "names.h"
#include "names_utf8.h"

#include <windows.h>

#include <cstring>

size_t CharLength(const char* text, size_t available);

namespace {

bool AnsiIsUtf8() {
    static const bool utf8 = GetACP() == CP_UTF8;
    return utf8;
}

// A character as the one or two UTF-16 units of its lower case.
struct Wide {
    wchar_t units[2];
    int count;
};

Wide Lower(const char* text) {
    Wide w = {{0, 0}, 0};
    const unsigned char first = static_cast<unsigned char>(text[0]);
    if (first < 0x80) { // the common case costs no system call
        w.units[0] = static_cast<wchar_t>(first >= 'A' && first <= 'Z' ? first + 0x20 : first);
        w.count = 1;
        return w;
    }
    wchar_t units[2];
    const int length = static_cast<int>(CharLength(text, 4));
    const int n = MultiByteToWideChar(CP_ACP, 0, text, length, units, 2);
    w.count = n > 0 ? LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, units, n, w.units, 2) : 0;
    return w;
}

} // namespace

size_t CharLength(const char* text, size_t available) {
    if (AnsiIsUtf8())
        return DecodeUtf8(text, available).length;
    // A lead byte before the terminator is a character of its own.
    if (!IsDBCSLeadByte(static_cast<BYTE>(*text)))
        return 1;
    return available < 2 ? 2 : text[1] ? 2 : 1;
}

bool SameCharIgnoringCase(const char* a, const char* b) {
    const size_t la = CharLength(a, 4), lb = CharLength(b, 4);
    if (la == lb && std::memcmp(a, b, la) == 0)
        return true;
    // Bytes that are not UTF-8 would all convert to U+FFFD: equal only as bytes.
    if (AnsiIsUtf8() && (DecodeUtf8(a, 4).code >= kNotUtf8 || DecodeUtf8(b, 4).code >= kNotUtf8))
        return false;
    const Wide wa = Lower(a), wb = Lower(b);
    return wa.count == wb.count && std::memcmp(wa.units, wb.units, sizeof wa.units) == 0;
}

int AnsiFromWide(const wchar_t* wide, int length, char* out, size_t size) {
    if (size == 0 || length == 0)
        return size == 0 ? -1 : (out[0] = '\0', 0);
    // UTF-8 holds every character but a lone surrogate, and takes neither
    // the flag nor the question.
    const bool utf8 = AnsiIsUtf8();
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                      wide, length, out, static_cast<int>(size) - 1, nullptr,
                                      utf8 ? nullptr : &lost);
    if (n <= 0 || lost)
        return -1;
    // A terminated input brought its terminator along.
    const int text = length < 0 ? n - 1 : n;
    out[text] = '\0';
    return text;
}

void FoldedKey(const char* name, char* key, size_t size) {
    if (size == 0)
        return;
    // The whole name at once: one conversion each way instead of one per
    // character. Where the folded text does not come back whole in the code
    // page, the name itself serves as its key.
    const size_t length = CutLength(name, size);
    // ASCII folds alike in every code page and locale (file system casing,
    // not a language's): most names of a store need no conversion, and a
    // walk's first call keys every name it lists.
    size_t ascii = 0;
    for (; ascii < length && static_cast<unsigned char>(name[ascii]) < 0x80; ++ascii)
        key[ascii] = name[ascii] >= 'A' && name[ascii] <= 'Z'
                         ? static_cast<char>(name[ascii] - 'A' + 'a')
                         : name[ascii];
    if (ascii == length) {
        key[length] = '\0';
        return;
    }
    wchar_t wide[256], lower[256];
    // UTF-8 has no default character to report: bytes that are not UTF-8
    // fail the conversion instead.
    const bool utf8 = AnsiIsUtf8();
    const int n = length < 256 && length > 0
                      ? MultiByteToWideChar(CP_ACP, utf8 ? MB_ERR_INVALID_CHARS : 0, name,
                                            static_cast<int>(length), wide, 256)
                      : 0;
    const int folded =
        n > 0 ? LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, wide, n, lower, 256) : 0;
    const int back = folded > 0 ? AnsiFromWide(lower, folded, key, size) : -1;
    if (back > 0 && static_cast<size_t>(back) == length)
        return;
    std::memcpy(key, name, length);
    key[length] = '\0';
}
