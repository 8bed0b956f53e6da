#include "lookup_flags.h"

#include "names.h"
#include "tavorin.h"

#include <cctype>
#include <cerrno>
#include <climits>
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
    if (const std::optional<int> number = ParseNumber(text))
        return {*number, std::nullopt};
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
            return {0, word};
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
