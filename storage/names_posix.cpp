// Names as UTF-8, compared by code point with a case folding of our own:
// the C library's depends on the process's locale, and the store's order
// must not.
#include "names.h"
#include "names_utf8.h"

#include <cstdint>
#include <cstring>

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

} // namespace

size_t CharLength(const char* text, size_t available) {
    return DecodeUtf8(text, available).length;
}

bool SameCharIgnoringCase(const char* a, const char* b) {
    return Folded(DecodeUtf8(a, 4).code) == Folded(DecodeUtf8(b, 4).code);
}

void FoldedKey(const char* name, char* key, size_t size) {
    if (size == 0)
        return;
    const size_t length = CutLength(name, size);
    // No folding above makes a character longer ("\xC4\xB0" becomes "i"),
    // so the key fits wherever the name did.
    size_t out = 0;
    for (size_t i = 0; i < length;) {
        const Utf8Char c = DecodeUtf8(name + i, length - i);
        const uint32_t folded = Folded(c.code);
        if (folded != c.code) {
            out += Encode(folded, key + out);
        } else {
            std::memcpy(key + out, name + i, c.length);
            out += c.length;
        }
        i += c.length;
    }
    key[out] = '\0';
}
