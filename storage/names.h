// How names are compared and cut: by character, never by byte. On Windows a
// character of the ANSI code page in force may take two bytes (code pages
// 932, 936, 949, 950), and its second byte may look like a letter, a "\" or
// a ":"; elsewhere names are UTF-8.
#ifndef NAMES_H
#define NAMES_H

#include <cstddef>

// True when the two names are the same, ignoring case as the system does.
bool SameNameIgnoringCase(const char* a, const char* b);
// True when name begins with prefix, whole characters, ignoring case.
bool NameBeginsWith(const char* name, const char* prefix);
// How many bytes of text fit in size bytes with a terminator, ending on a
// whole character (0 when size is 0).
size_t CutLength(const char* text, size_t size);

#endif
