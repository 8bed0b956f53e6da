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
    std::optional<std::string> unknown; // the first word that names no flag
};

// A number ("0x06", "6") or names joined by '|', ',' or '+', in any case,
// with or without "LF_": "LOCAL_DRIVES|NETWORK", "lf_area,type".
ParsedFlags ParseLookupFlags(const std::string& text);

// "LOCAL_DRIVES|NETWORK"; "none" for 0.
std::string LookupFlagNames(int flags);
