#include "names.h"

#include <cctype>
#include <cstring>

namespace {
bool SameByte(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}
} // namespace

bool SameNameIgnoringCase(const char* a, const char* b) {
    for (; *a && SameByte(*a, *b); ++a, ++b) {
    }
    return *a == '\0' && *b == '\0';
}

bool NameBeginsWith(const char* name, const char* prefix) {
    for (; *prefix && SameByte(*name, *prefix); ++name, ++prefix) {
    }
    return *prefix == '\0';
}

size_t CutLength(const char* text, size_t size) {
    return size == 0 ? 0 : strnlen(text, size - 1);
}
