// What does not depend on the encoding: names_win32.cpp and names_posix.cpp
// say what a character is and when two are the same.
#include "names.h"
#include "names_utf8.h"

#include <cstring>

// The length of the character text begins, reading at most available bytes
// (at least 1). A character begun within them but longer answers its whole
// length, more than available. One in each platform's file.
size_t CharLength(const char* text, size_t available);

const char* NextChar(const char* text) {
    // No character is longer than 4 bytes, and a terminator ends any
    // sequence before it, so a terminated text is never read past its end.
    return *text ? text + CharLength(text, 4) : text;
}

bool SameNameIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; a = NextChar(a), b = NextChar(b))
        if (!SameCharIgnoringCase(a, b))
            return false;
    return *a == '\0' && *b == '\0';
}

bool NameBeginsWith(const char* name, const char* prefix) {
    for (; *prefix; name = NextChar(name), prefix = NextChar(prefix))
        if (!*name || !SameCharIgnoringCase(name, prefix))
            return false;
    return true;
}

size_t CutLength(const char* text, size_t size) {
    if (size == 0)
        return 0;
    const size_t limit = strnlen(text, size - 1);
    // The text may fill its buffer without a terminator (a buffer another
    // library wrote): only the bytes in reach are read. A terminator is in
    // reach: a last byte that would begin a longer sequence ("caf\xE9")
    // ends there, a character of its own, not one cut short.
    const size_t reach = limit < size - 1 ? limit + 1 : limit;
    size_t length = 0;
    while (length < limit) {
        const size_t n = CharLength(text + length, reach - length);
        if (n > limit - length)
            break;
        length += n;
    }
    return length;
}

const char* FindChar(const char* text, char ch) {
    for (; *text; text = NextChar(text))
        if (*text == ch)
            return text;
    return nullptr;
}

Utf8Char DecodeUtf8(const char* text, size_t available) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char lead = p[0];
    // The sequence's length from its lead byte; C0, C1 and F5 to FF begin none.
    const size_t length = lead < 0x80                   ? 1
                          : lead >= 0xC2 && lead < 0xE0 ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    const Utf8Char notUtf8 = {kNotUtf8 + lead, 1};
    if (length == 0)
        return notUtf8;
    uint32_t code = length == 1   ? lead
                    : length == 2 ? lead & 0x1F
                    : length == 3 ? lead & 0x0F
                                  : lead & 0x07;
    for (size_t k = 1; k < length; ++k) {
        if (k >= available)
            return {0, length};
        if ((p[k] & 0xC0) != 0x80)
            return notUtf8;
        code = (code << 6) | (p[k] & 0x3F);
    }
    // Overlong forms and surrogates are no characters either.
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
        return notUtf8;
    return {code, length};
}
