// LookupFlags by name, for the programs that take a caller's request on
// their command line (tavorin-browse, lookup-demo): one table for both, so
// that a name one of them accepts the other accepts too.
#pragma once

#include <optional>
#include <string>

// A whole decimal or 0x-hexadecimal number that fits an int.
std::optional<int> ParseNumber(const std::string& text);

bool EqualsIgnoringCase(const std::string& a, const std::string& b);

struct ParsedFlags {
    int flags = 0;
    // What is wrong, for the user: a word that names no flag, a number out
    // of range or with bits no flag has.
    std::optional<std::string> error;
};

// A number ("0x06", "6") of known bits or names joined by '|', ',' or '+',
// in any case, with or without "LF_": "LOCAL_DRIVES|NETWORK", "lf_area,type".
ParsedFlags ParseLookupFlags(const std::string& text);

// "LOCAL_DRIVES|NETWORK"; "none" for 0.
std::string LookupFlagNames(int flags);
