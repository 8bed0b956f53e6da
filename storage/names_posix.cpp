// Names as bytes in the character set of the locale in force (LC_CTYPE):
// UTF-8 in a UTF-8 locale and in the C locale, which a program that never
// chose one runs in (most names on Linux are UTF-8); another set's
// characters (Shift-JIS in ja_JP.SJIS) as the C library decodes them.
// Compared by code point with a case folding of our own: the C library's
// varies with the locale, and the store's order must not.
#include "names.h"
#include "names_utf8.h"

#include <langinfo.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

size_t CharLength(const char* text, size_t available);

namespace {

// Simple one-to-one case folding for the scripts names are written in:
// Latin, Greek, Cyrillic and the full-width Latin letters of East Asian
// text. A character outside these folds to itself. As Windows folds them:
// the capital I with dot to "i" (never to the dotless one), and the Greek
// capitals with tonos to their small letters.
uint32_t Folded(uint32_t c) {
    const bool even = c % 2 == 0;
    if (c == 0x130)
        return 'i';
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return c + 0x25;
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return c + 0x3F;
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F) ||
        (c >= 0xFF21 && c <= 0xFF3A))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c == 0x178)
        return 0xFF;
    if ((c >= 0x100 && c <= 0x137 && even) || (c >= 0x139 && c <= 0x148 && !even) ||
        (c >= 0x14A && c <= 0x177 && even) || (c >= 0x179 && c <= 0x17E && !even))
        return c + 1;
    return c;
}

// The bytes written: a folded character of the table above.
size_t Encode(uint32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
}

bool LocaleIsUtf8() {
    // nl_langinfo answers from the locale in force: its answer moves only
    // when the locale does, and a thread keeps what it made of the last.
    thread_local const char* s_set = nullptr;
    thread_local bool s_utf8 = true;
    const char* set = nl_langinfo(CODESET);
    if (set != s_set) {
        s_set = set;
        s_utf8 = std::strcmp(set, "UTF-8") == 0 || std::strcmp(set, "ANSI_X3.4-1968") == 0;
    }
    return s_utf8;
}

// A character of the locale's set. A byte that begins none is one of its
// own, compared exactly, as in UTF-8.
Utf8Char Decode(const char* text, size_t available) {
    if (LocaleIsUtf8())
        return DecodeUtf8(text, available);
    std::mbstate_t state{};
    wchar_t wc = 0;
    const size_t most = MB_CUR_MAX;
    const size_t n = std::mbrtowc(&wc, text, std::min(available, most), &state);
    if (n == static_cast<size_t>(-2) && available < most)
        return {0, available + 1}; // the character goes on past what is in reach
    if (n == 0 || n > most)
        return {kNotUtf8 + static_cast<unsigned char>(*text), 1};
    return {static_cast<uint32_t>(wc), n};
}

// The folded character c in the locale's set, at most room bytes; 0 when
// it takes more there, or none.
size_t EncodeLocal(uint32_t c, char* out, size_t room) {
    char bytes[MB_LEN_MAX];
    std::mbstate_t state{};
    const size_t n = std::wcrtomb(bytes, static_cast<wchar_t>(c), &state);
    if (n == static_cast<size_t>(-1) || n > room)
        return 0;
    std::memcpy(out, bytes, n);
    return n;
}

} // namespace

size_t CharLength(const char* text, size_t available) {
    return Decode(text, available).length;
}

bool SameCharIgnoringCase(const char* a, const char* b) {
    return Folded(Decode(a, 4).code) == Folded(Decode(b, 4).code);
}

void FoldedKey(const char* name, char* key, size_t size) {
    if (size == 0)
        return;
    const size_t length = CutLength(name, size);
    // No folding above makes a character longer in UTF-8 ("\xC4\xB0"
    // becomes "i"), so the key fits wherever the name did; in another set
    // a character whose folding takes more bytes keys as itself.
    const bool utf8 = LocaleIsUtf8();
    size_t out = 0;
    for (size_t i = 0; i < length;) {
        const Utf8Char c = Decode(name + i, length - i);
        const uint32_t folded = Folded(c.code);
        const size_t written = folded == c.code ? 0
                               : utf8           ? Encode(folded, key + out)
                                                : EncodeLocal(folded, key + out, c.length);
        if (written > 0) {
            out += written;
        } else {
            std::memcpy(key + out, name + i, c.length);
            out += c.length;
        }
        i += c.length;
    }
    key[out] = '\0';
}
