// What does not depend on the encoding: names_win32.cpp and names_posix.cpp
// say what a character is and when two are the same.
#include "names.h"

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
    size_t length = 0;
    // The text may fill its buffer without a terminator (a buffer another
    // library wrote): only the bytes in reach are read.
    while (length < limit) {
        const size_t n = CharLength(text + length, limit - length);
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
