#include "lookup_flags.h"

#include "names.h"
#include "tavorin.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

struct FlagName {
    const char* name;
    int bit;
};
const FlagName kFlagNames[] = {{"DRIVE_A", LF_DRIVE_A}, {"LOCAL_DRIVES", LF_LOCAL_DRIVES},
                               {"NETWORK", LF_NETWORK}, {"DEVICE", LF_DEVICE},
                               {"AREA", LF_AREA},       {"TYPE", LF_TYPE}};

} // namespace

std::optional<int> ParseNumber(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    // Base 0 would read "011" as octal 9: a type code or flag value with a
    // leading zero is still decimal, only "0x" says hexadecimal.
    const size_t digits = text[0] == '-' || text[0] == '+' ? 1 : 0;
    const bool hex = text.compare(digits, 2, "0x") == 0 || text.compare(digits, 2, "0X") == 0;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return SameNameIgnoringCase(a.c_str(), b.c_str());
}

ParsedFlags ParseLookupFlags(const std::string& text) {
    const int kAllFlags = LF_DRIVE_A | LF_LOCAL_DRIVES | LF_NETWORK | LF_DEVICE | LF_AREA | LF_TYPE;
    const size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (sign < text.size() && std::isdigit(static_cast<unsigned char>(text[sign]))) {
        const std::optional<int> number = ParseNumber(text);
        if (!number || *number < 0)
            return {0, "\"" + text + "\" is no flag value: give a number from 0 to 0x3f or names"};
        if (*number & ~kAllFlags) {
            char bits[16];
            std::snprintf(bits, sizeof bits, "0x%x", static_cast<unsigned>(*number & ~kAllFlags));
            return {0, "\"" + text + "\" sets bits no flag has (" + bits +
                           "); the flags are 0x01 to 0x20, together at most 0x3f"};
        }
        return {*number, std::nullopt};
    }
    ParsedFlags parsed;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find_first_of("|,+", start);
        std::string word = text.substr(start, end == std::string::npos ? end : end - start);
        if (word.compare(0, 3, "LF_") == 0 || word.compare(0, 3, "lf_") == 0)
            word.erase(0, 3);
        bool known = false;
        for (const FlagName& f : kFlagNames)
            if (EqualsIgnoringCase(word, f.name)) {
                parsed.flags |= f.bit;
                known = true;
            }
        if (!known)
            return {0,
                    "unknown flag \"" + word + "\"; the names are " + LookupFlagNames(kAllFlags)};
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parsed;
}

std::string LookupFlagNames(int flags) {
    std::string names;
    for (const FlagName& f : kFlagNames)
        if (flags & f.bit)
            names += (names.empty() ? "" : "|") + std::string(f.name);
    return names.empty() ? "none" : names;
}
