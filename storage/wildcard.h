#ifndef WILDCARD_H
#define WILDCARD_H

// True when name matches pattern, ignoring case by character (names.h): "*"
// stands for any run of characters, "?" for exactly one. Linear in the
// lengths, no recursion.
bool WildcardMatch(const char* pattern, const char* name);

#endif
