// How names are compared and cut: by character, never by byte. On Windows a
// character of the ANSI code page in force may take two bytes (code pages
// 932, 936, 949, 950), and its second byte may look like a letter, a "\" or
// a ":"; elsewhere names are UTF-8 (and on Windows too where the ANSI code
// page is 65001), where a byte that begins no well-formed sequence makes one
// character with the byte after it, compared exactly (see names_utf8.h).
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

// Where the character after the one text points at begins; text itself at
// the terminator.
const char* NextChar(const char* text);
// True when the characters a and b point at are the same ignoring case.
bool SameCharIgnoringCase(const char* a, const char* b);
// The first ch (an ASCII separator such as "\\" or ":") in text that is a
// character of its own, never the second byte of one; null when none.
const char* FindChar(const char* text, char ch);
// name with each character's case folded into key (size bytes, terminated,
// cut on a whole character): names the same ignoring case get the same key,
// so keys sort a listing without a system call per comparison.
void FoldedKey(const char* name, char* key, size_t size);

#if defined(_WIN32)
// wide (length units, -1 when terminated) in the ANSI code page in force,
// terminated, in out (size bytes); its length, or -1 when that code page
// cannot hold one of its characters, or out cannot hold them all. Never a
// best fit ("Ł" as "L" names another entry) nor a "?" (a wildcard): every
// name that crosses from UTF-16 to the code page crosses here.
int AnsiFromWide(const wchar_t* wide, int length, char* out, size_t size);
#endif

#endif
