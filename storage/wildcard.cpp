#include "wildcard.h"

#include "names.h"

bool WildcardMatch(const char* pattern, const char* name) {
    // Greedy with one backtrack point, the last "*": enough for "*" and "?".
    // Both texts move a whole character at a time, so "?" never takes half
    // of one and a trail byte is never read as a wildcard.
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern && SameCharIgnoringCase(pattern, name))) {
            pattern = NextChar(pattern);
            name = NextChar(name);
        } else if (starPattern) {
            pattern = starPattern;
            name = starName = NextChar(starName);
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}
