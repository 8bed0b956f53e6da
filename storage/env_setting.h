// The stand-in's modes are set in the environment and read at every call,
// so that a program can change them between runs of its own.
#ifndef STORE_ENV_SETTING_H
#define STORE_ENV_SETTING_H

#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The variable's text (empty when unset) when it differs from last, which
// then holds it (cut to fit: a text too long for it is never valid, and
// its cut copy keeps it from being read, and reported, again); nullptr
// when unchanged.
template <size_t N> const char* ChangedSetting(const char* name, char (&last)[N]) {
    const char* text = std::getenv(name);
    if (!text)
        text = "";
    if (std::strncmp(text, last, N - 1) == 0)
        return nullptr;
    std::snprintf(last, N, "%s", text);
    return text;
}

// The decimal number text begins with (digits, no sign or space); end is
// where it stops. False when text holds none, or one too large.
inline bool ReadDecimal(const char* text, unsigned long long& value, const char*& end) {
    char* stop = nullptr;
    errno = 0;
    value = std::strtoull(text, &stop, 10);
    end = stop;
    return std::isdigit(static_cast<unsigned char>(*text)) && errno == 0;
}

#endif
