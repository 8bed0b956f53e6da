#include "names.h"

#include <cctype>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>

namespace {
// Stand-in until names compare by character everywhere: the names as
// UTF-16 from the ANSI code page, compared as the system compares.
std::wstring Wide(const char* text, int bytes = -1) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text, bytes, &out[0], n);
    while (!out.empty() && out.back() == L'\0')
        out.pop_back();
    return out;
}
bool SameWide(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}
} // namespace

bool SameNameIgnoringCase(const char* a, const char* b) {
    return SameWide(Wide(a), Wide(b));
}

bool NameBeginsWith(const char* name, const char* prefix) {
    const std::wstring p = Wide(prefix), n = Wide(name);
    return n.size() >= p.size() && SameWide(n.substr(0, p.size()), p);
}

size_t CutLength(const char* text, size_t size) {
    size_t length = 0;
    while (length + 1 < size && text[length]) {
        const size_t step =
            IsDBCSLeadByte(static_cast<BYTE>(text[length])) && text[length + 1] ? 2 : 1;
        if (length + step + 1 > size)
            break;
        length += step;
    }
    return length;
}

#else

namespace {
bool SameByte(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
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

#endif
