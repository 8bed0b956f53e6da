#include "browse_options.h"

#include "lookup_flags.h"
#include "names.h"

#include <cctype>

const char kUsage[] =
    "usage: tavorin-browse [options]\n"
    "  --device D    browse only device D (\"C:\", \"3:\", the network device's name)\n"
    "  --area A      browse only storage area A\n"
    "  --type T      only item type T: a code (9) or a name (Marker)\n"
    "  --pattern P   item name pattern, \"*\" and \"?\" allowed, at most 23 bytes of\n"
    "                the system's text (UTF-8: an accented letter takes 2); \"*\" is\n"
    "                appended when it has no wildcard and is shorter, as the\n"
    "                dialog does (default \"*\")\n"
    "  --flags F     device walk flags: a number from 0 to 0x3f or names joined by\n"
    "                '|' or ',' from DRIVE_A, LOCAL_DRIVES, NETWORK, DEVICE, AREA,\n"
    "                TYPE (default LOCAL_DRIVES|NETWORK)\n"
    "  --failed L    numbered devices to skip, as a caller marks them: \"3,7\"\n"
    "  --json        print JSON (UTF-8) instead of a tree\n"
    "  -v, --verbose tell which libraries, which store folder and what it holds\n"
    "                are in use (stderr)\n"
    "  -h, --help    print this help\n"
    "names: the tree shows a byte that is no character (a control byte; natively\n"
    "one the locale's character set has not) as \\xNN; --json gives a name that\n"
    "is not UTF-8 with U+FFFD in \"name\" and its bytes in hex in \"name_bytes\"\n"
    "exit status: 0 listed at least one item, 1 listed none (no device, an empty\n"
    "area, a pattern that matches nothing) or no such device, area or type,\n"
    "2 bad arguments, 3 the listing could not be written whole (a full disk; a\n"
    "reader that closed the pipe early ends it too, without a message)\n";

namespace {

// The enumeration interface's own limits: longer texts are refused by it.
enum { kMaxPattern = 23, kMaxDevice = 253, kMaxPath = 255 };

BrowseError Usage(const std::string& text) {
    return BrowseError(text, kExitUsage);
}

// "3,7" or "3:,7:": the numbered devices 0 to 9 a caller marks as failed.
std::vector<std::string> ParseFailed(const std::string& text) {
    std::vector<std::string> numbers;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find(',', start);
        const std::string word = text.substr(start, end == std::string::npos ? end : end - start);
        const bool digit = !word.empty() && std::isdigit(static_cast<unsigned char>(word[0]));
        if (!digit || (word.size() > 1 && word != std::string(1, word[0]) + ":"))
            throw Usage("--failed: \"" + word + "\" is not a device number 0 to 9");
        numbers.push_back(word);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return numbers;
}

int ParseFlags(const std::string& text) {
    const ParsedFlags parsed = ParseLookupFlags(text);
    if (parsed.error)
        throw Usage("--flags: " + *parsed.error);
    return parsed.flags;
}

} // namespace

Options ParseArguments(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw Usage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--json")
            o.json = true;
        else if (arg == "-v" || arg == "--verbose")
            o.verbose = true;
        else if (arg == "-h" || arg == "--help")
            o.help = true;
        else if (arg == "--flags")
            o.flags = ParseFlags(value());
        else if (arg == "--failed")
            o.failed = ParseFailed(value());
        else if (arg == "--device")
            o.device = value();
        else if (arg == "--area")
            o.area = value();
        else if (arg == "--type")
            o.type = value();
        else if (arg == "--pattern")
            o.pattern = value();
        else
            throw Usage("unknown argument \"" + arg + "\"");
    }
    if (o.device && (o.device->empty() || o.device->size() > kMaxDevice))
        throw Usage("--device: give a device name of 1 to 253 characters");
    // Without --device the longest device name a walk offers is "X:".
    const size_t deviceLength = o.device ? o.device->size() : 2;
    if (o.area && deviceLength + o.area->size() + 1 > kMaxPath)
        throw Usage("--area: device and area together exceed 255 characters");
    // An empty pattern or one without wildcards matches as a prefix in the
    // dialog; the tool shows what the dialog would list.
    // A name of the full length is taken as it is, as the dialog does.
    if (o.pattern.find_first_of("*?") == std::string::npos && o.pattern.size() < kMaxPattern)
        o.pattern += '*';
    if (o.pattern.size() > kMaxPattern) {
        size_t characters = 0;
        for (const char* p = o.pattern.c_str(); *p; p = NextChar(p))
            ++characters;
        throw Usage("--pattern: " + std::to_string(o.pattern.size()) + " bytes (" +
                    std::to_string(characters) +
                    " characters); item names and patterns hold at most 23 bytes of the system's "
                    "text (the ANSI code page on Windows, the locale's character set natively, "
                    "where an accented letter takes 2 in UTF-8)");
    }
    return o;
}
