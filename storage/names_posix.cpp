// Names as UTF-8, compared by code point with a case folding of our own:
// the C library's depends on the process's locale, and the store's order
// must not.
#include "names.h"

#include <cstdint>
#include <cstring>

size_t CharLength(const char* text, size_t available);

namespace {

// Bytes that begin no well-formed sequence stand for themselves, above
// every code point, so that they never equal a character.
const uint32_t kInvalidByte = 0x110000;

struct Decoded {
    uint32_t code;
    size_t length; // may exceed the bytes available: the sequence goes on
};

// The sequence's length from its lead byte; C0, C1 and F5 to FF begin none.
Decoded Decode(const unsigned char* p, size_t available) {
    const unsigned char lead = p[0];
    const size_t length = lead < 0x80                   ? 1
                          : lead >= 0xC2 && lead < 0xE0 ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (length == 0)
        return {kInvalidByte + lead, 1};
    uint32_t code = length == 1   ? lead
                    : length == 2 ? lead & 0x1F
                    : length == 3 ? lead & 0x0F
                                  : lead & 0x07;
    for (size_t k = 1; k < length; ++k) {
        if (k >= available)
            return {0, length};
        if ((p[k] & 0xC0) != 0x80)
            return {kInvalidByte + lead, 1};
        code = (code << 6) | (p[k] & 0x3F);
    }
    // Overlong forms and surrogates are no characters either.
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
        return {kInvalidByte + lead, 1};
    return {code, length};
}

// Simple one-to-one case folding for the scripts names are written in:
// Latin, Greek, Cyrillic and the full-width Latin letters of East Asian
// text. A character outside these folds to itself.
uint32_t Folded(uint32_t c) {
    const bool even = c % 2 == 0;
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

void Encode(uint32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
    } else if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

size_t CharLength(const char* text, size_t available) {
    return Decode(reinterpret_cast<const unsigned char*>(text), available).length;
}

bool SameCharIgnoringCase(const char* a, const char* b) {
    return Folded(Decode(reinterpret_cast<const unsigned char*>(a), 4).code) ==
           Folded(Decode(reinterpret_cast<const unsigned char*>(b), 4).code);
}

void FoldedKey(const char* name, char* key, size_t size) {
    if (size == 0)
        return;
    const size_t length = CutLength(name, size);
    std::memcpy(key, name, length);
    key[length] = '\0';
    // Every folding above keeps the length of a character's sequence, so a
    // folded character is written over the one it came from.
    for (size_t i = 0; i < length;) {
        const Decoded d = Decode(reinterpret_cast<const unsigned char*>(key + i), length - i);
        const uint32_t folded = Folded(d.code);
        if (folded != d.code)
            Encode(folded, key + i);
        i += d.length;
    }
}
