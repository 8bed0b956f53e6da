// UTF-8 as names read it: natively always, on Windows where the ANSI code
// page is UTF-8 (65001).
#ifndef NAMES_UTF8_H
#define NAMES_UTF8_H

#include <cstddef>
#include <cstdint>

struct Utf8Char {
    // A code point, or above every code point (kNotUtf8 and more) for bytes
    // that are not UTF-8: those compare exactly, never folded.
    uint32_t code;
    size_t length; // may exceed the bytes available: the sequence goes on
};
const uint32_t kNotUtf8 = 0x110000;

// The character text begins, reading at most available bytes (at least 1).
// A byte that begins no well-formed sequence (Latin-1's "\xE9") is a
// character of its own, compared exactly; the byte after it is read anew,
// so that a "*" or "." after it stays one.
Utf8Char DecodeUtf8(const char* text, size_t available);

#endif
