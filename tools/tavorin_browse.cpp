// tavorin-browse: walks the enumeration interface of TAVORIN the way the
// "Lookup" dialog does, and prints what it finds as an indented tree or as
// JSON. It is the first thing to run on a machine where the dialog shows
// nothing: with -v it also tells which libraries were loaded and which store
// root the stand-in storage library reads.
//
//   tavorin-browse [-v] [--json] [--flags F] [--failed N,N] [--device D]
//                  [--area A] [--type T] [--pattern P]
//
// Exit status: 0 listed something, 1 nothing to list or a device, area or
// type asked for that does not exist (a hint goes to stderr), 2 bad
// arguments (usage goes to stderr).
#include "kelvast.h"
#include "afxstr.h"
#include "tavorin.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

const char kUsage[] =
    "usage: tavorin-browse [options]\n"
    "  --device D    browse only device D (\"C:\", \"3:\", the network device's name)\n"
    "  --area A      browse only storage area A\n"
    "  --type T      only item type T: a code (9) or a name (Marker)\n"
    "  --pattern P   item name pattern, \"*\" and \"?\" allowed; \"*\" is appended when\n"
    "                it has no wildcard, as the dialog does (default \"*\")\n"
    "  --flags F     device walk flags: a number (0x06) or names joined by '|' or\n"
    "                ',' from DRIVE_A, LOCAL_DRIVES, NETWORK, DEVICE, AREA, TYPE\n"
    "                (default LOCAL_DRIVES|NETWORK)\n"
    "  --failed L    numbered devices to skip, as a caller marks them: \"3,7\"\n"
    "  --json        print JSON instead of a tree\n"
    "  -v, --verbose tell which libraries and which store root are in use (stderr)\n"
    "  -h, --help    print this help\n"
    "exit status: 0 listed something, 1 nothing to list or no such device, area\n"
    "or type, 2 bad arguments\n";

enum { kExitListed = 0, kExitNothing = 1, kExitUsage = 2 };
// The enumeration interface's own limits: longer texts are refused by it.
enum { kMaxPattern = 23, kMaxDevice = 253, kMaxPath = 255 };

struct FlagName {
    const char* name;
    int bit;
};
const FlagName kFlagNames[] = {{"DRIVE_A", LF_DRIVE_A}, {"LOCAL_DRIVES", LF_LOCAL_DRIVES},
                               {"NETWORK", LF_NETWORK}, {"DEVICE", LF_DEVICE},
                               {"AREA", LF_AREA},       {"TYPE", LF_TYPE}};

struct Options {
    int flags = LF_LOCAL_DRIVES | LF_NETWORK;
    bool haveFailed = false;
    std::vector<std::string> failed;
    std::string device, area, type, pattern = "*";
    bool haveDevice = false, haveArea = false, haveType = false;
    bool json = false, verbose = false, help = false;
};

struct Item {
    std::string name;
    int32_t size;
    int32_t modTime;
};
struct TypeItems {
    int code;
    std::string name;
    std::vector<Item> items;
};
struct Area {
    std::string name;
    std::vector<TypeItems> types;
};
struct Device {
    std::string name;
    unsigned long areaCount;
    std::vector<Area> areas;
};
struct Computer {
    std::string name;
    std::vector<Device> devices;
};

// Something asked for that is not there: message to stderr, exit status 1.
class NotThere {
  public:
    explicit NotThere(std::string text) : m_text(std::move(text)) {}
    const std::string& Text() const { return m_text; }

  private:
    std::string m_text;
};

// A usage error: message and usage to stderr, exit status 2.
class UsageError {
  public:
    explicit UsageError(std::string text) : m_text(std::move(text)) {}
    const std::string& Text() const { return m_text; }

  private:
    std::string m_text;
};

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A whole decimal or 0x-hexadecimal number that fits an int.
bool ParseInt(const std::string& text, long& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 0);
    return errno == 0 && *end == '\0' && value >= INT_MIN && value <= INT_MAX;
}

int ParseFlags(const std::string& text) {
    long number;
    if (ParseInt(text, number))
        return static_cast<int>(number);
    int flags = 0;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find_first_of("|,+", start);
        std::string word = text.substr(start, end == std::string::npos ? end : end - start);
        if (word.compare(0, 3, "LF_") == 0 || word.compare(0, 3, "lf_") == 0)
            word.erase(0, 3);
        bool known = false;
        for (const FlagName& f : kFlagNames)
            if (EqualsIgnoringCase(word, f.name)) {
                flags |= f.bit;
                known = true;
            }
        if (!known)
            throw UsageError("--flags: unknown flag \"" + word + "\"");
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return flags;
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
            throw UsageError("--failed: \"" + word + "\" is not a device number 0 to 9");
        numbers.push_back(word);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return numbers;
}

Options ParseArguments(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw UsageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--json") {
            o.json = true;
        } else if (arg == "-v" || arg == "--verbose") {
            o.verbose = true;
        } else if (arg == "-h" || arg == "--help") {
            o.help = true;
        } else if (arg == "--flags") {
            o.flags = ParseFlags(value());
        } else if (arg == "--failed") {
            o.failed = ParseFailed(value());
            o.haveFailed = true;
        } else if (arg == "--device") {
            o.device = value();
            o.haveDevice = true;
        } else if (arg == "--area") {
            o.area = value();
            o.haveArea = true;
        } else if (arg == "--type") {
            o.type = value();
            o.haveType = true;
        } else if (arg == "--pattern") {
            o.pattern = value();
        } else {
            throw UsageError("unknown argument \"" + arg + "\"");
        }
    }
    if (o.haveDevice && (o.device.empty() || o.device.size() > kMaxDevice))
        throw UsageError("--device: give a device name of 1 to 253 characters");
    // Without --device the longest device name a walk offers is "X:".
    const size_t deviceLength = o.haveDevice ? o.device.size() : 2;
    if (o.haveArea && deviceLength + o.area.size() + 1 > kMaxPath)
        throw UsageError("--area: device and area together exceed 255 characters");
    // An empty pattern or one without wildcards matches as a prefix in the
    // dialog; the tool shows what the dialog would list.
    if (o.pattern.find_first_of("*?") == std::string::npos)
        o.pattern += '*';
    if (o.pattern.size() > kMaxPattern)
        throw UsageError("--pattern: at most 23 characters (with the \"*\" appended)");
    return o;
}

// The 24 item types, copied: the names live in the library's table.
std::vector<TypeItems> AllTypes() {
    std::vector<TypeItems> types;
    int code = 0;
    for (const char* name = ListFirstType(&code); name; name = ListNextType(&code))
        types.push_back({code, name, {}});
    return types;
}

// --type as a code or a type name; the code of a name comes from the table.
std::vector<TypeItems> SelectTypes(const Options& o) {
    std::vector<TypeItems> types = AllTypes();
    if (!o.haveType)
        return types;
    long code;
    for (const TypeItems& t : types)
        if ((ParseInt(o.type, code) && t.code == code) || EqualsIgnoringCase(o.type, t.name))
            return {t};
    std::string known;
    for (const TypeItems& t : types)
        known += (known.empty() ? "" : ", ") + t.name + " (" + std::to_string(t.code) + ")";
    throw NotThere("no item type " +
                   std::string(ParseInt(o.type, code) ? "has code " : "is named ") + "\"" + o.type +
                   "\"; the types are: " + known);
}

// Each family has one cursor for the whole process, so every walk runs to
// its end, copying each name, before the next one starts: a device walk
// counts areas and so would derail an area walk in progress.
std::vector<std::string> WalkDevices(const char* computer, int flags) {
    std::vector<std::string> names;
    for (const char* name = ListFirstDevice(computer, flags); name; name = ListNextDevice())
        names.push_back(name);
    return names;
}

std::vector<std::string> WalkAreas(const std::string& device) {
    std::vector<std::string> names;
    for (const char* name = ListFirstArea(device.c_str()); name; name = ListNextArea())
        names.push_back(name);
    return names;
}

// The size and time of an item are the storage library's until its next call.
std::vector<Item> WalkItems(const std::string& device, const std::string& area, int type,
                            const std::string& pattern) {
    std::vector<Item> items;
    for (const char* name = ListFirstItem(device.c_str(), area.c_str(), type, pattern.c_str());
         name; name = ListNextItem())
        items.push_back({name, atc_data_size, atc_last_mod_time});
    return items;
}

// --area as the device's walk names it; empty when the device has no such
// area.
std::vector<std::string> AskedArea(const std::string& device, const std::string& area) {
    for (const std::string& name : WalkAreas(device))
        if (EqualsIgnoringCase(name, area))
            return {name};
    return {};
}

Device BrowseDevice(const std::string& name, const Options& o,
                    const std::vector<TypeItems>& types) {
    Device device{name, CountAreas(name.c_str()), {}};
    const std::vector<std::string> areas = o.haveArea ? AskedArea(name, o.area) : WalkAreas(name);
    for (const std::string& areaName : areas) {
        Area area{areaName, {}};
        for (const TypeItems& t : types) {
            TypeItems found{t.code, t.name, WalkItems(name, areaName, t.code, o.pattern)};
            // Empty types would bury the few that hold items; a type asked
            // for by name is shown even when empty.
            if (!found.items.empty() || o.haveType)
                area.types.push_back(found);
        }
        device.areas.push_back(area);
    }
    return device;
}

std::vector<Computer> Browse(const Options& o) {
    if (o.haveFailed) {
        CStringList failed;
        for (const std::string& n : o.failed)
            failed.AddTail(n.c_str());
        StoreFailedConnections(failed);
    }
    const std::vector<TypeItems> types = SelectTypes(o);
    std::vector<Computer> computers;
    for (const char* c = ListFirstComputer(); c; c = ListNextComputer())
        computers.push_back({c, {}});
    for (Computer& computer : computers) {
        // An explicit device is browsed even when the device walk would not
        // offer it: that is the question a support call usually asks.
        const std::vector<std::string> devices = o.haveDevice
                                                     ? std::vector<std::string>{o.device}
                                                     : WalkDevices(computer.name.c_str(), o.flags);
        for (const std::string& d : devices)
            computer.devices.push_back(BrowseDevice(d, o, types));
    }
    return computers;
}

std::string LocalTime(int32_t seconds) {
    const time_t t = static_cast<time_t>(seconds); // widened with its sign
    struct tm tmLocal;
#if defined(_WIN32)
    if (localtime_s(&tmLocal, &t) != 0)
        return "?";
#else
    if (!localtime_r(&t, &tmLocal))
        return "?";
#endif
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tmLocal) ? text : "?";
}

void PrintTree(const std::vector<Computer>& computers) {
    for (const Computer& c : computers) {
        std::printf("%s\n", c.name.c_str());
        for (const Device& d : c.devices) {
            std::printf("  %s (%lu area%s)\n", d.name.c_str(), d.areaCount,
                        d.areaCount == 1 ? "" : "s");
            for (const Area& a : d.areas) {
                std::printf("    %s\n", a.name.c_str());
                for (const TypeItems& t : a.types) {
                    std::printf("      %s (%d)%s\n", t.name.empty() ? "?" : t.name.c_str(), t.code,
                                t.items.empty() ? " no items" : "");
                    for (const Item& i : t.items)
                        std::printf("        %-23s %10ld  %s\n", i.name.c_str(),
                                    static_cast<long>(i.size), LocalTime(i.modTime).c_str());
                }
            }
        }
    }
}

// Names are 8-bit text: in the ANSI code page on Windows, as stored
// (UTF-8 as a rule) elsewhere. JSON is UTF-8: Windows text is converted
// through UTF-16; elsewhere a byte that does not begin a well-formed UTF-8
// character becomes U+FFFD, so the output is always valid.
std::string Utf8(const std::string& text) {
#if defined(_WIN32)
    if (text.empty())
        return text;
    const int wide =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &w[0], wide);
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], n, nullptr, nullptr);
    return out;
#else
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        const unsigned char lead = p[i];
        // The sequence a lead byte begins; C0, C1 and F5 to FF begin none.
        const size_t length = lead < 0x80                   ? 1
                              : lead >= 0xC2 && lead < 0xE0 ? 2
                              : lead >= 0xE0 && lead < 0xF0 ? 3
                              : lead >= 0xF0 && lead < 0xF5 ? 4
                                                            : 0;
        uint32_t cp = length == 1   ? lead
                      : length == 2 ? lead & 0x1F
                      : length == 3 ? lead & 0x0F
                                    : lead & 0x07;
        bool ok = length > 0 && i + length <= size;
        for (size_t k = 1; ok && k < length; ++k) {
            ok = (p[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        ok = ok && !(length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) &&
             !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF));
        if (ok) {
            out.append(text, i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
#endif
}

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char ch : Utf8(text)) {
        char esc[8];
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20 || ch == 0x7f) {
            std::snprintf(esc, sizeof esc, "\\u%04x", ch);
            out += esc;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\"";
}

void PrintJson(const std::vector<Computer>& computers, int flags) {
    std::printf("{\n  \"flags\": %d,\n  \"computers\": [", flags);
    const char* sep1 = "";
    for (const Computer& c : computers) {
        std::printf("%s\n    {\"name\": %s, \"devices\": [", sep1, Json(c.name).c_str());
        const char* sep2 = "";
        for (const Device& d : c.devices) {
            std::printf("%s\n      {\"name\": %s, \"areaCount\": %lu, \"areas\": [", sep2,
                        Json(d.name).c_str(), d.areaCount);
            const char* sep3 = "";
            for (const Area& a : d.areas) {
                std::printf("%s\n        {\"name\": %s, \"types\": [", sep3, Json(a.name).c_str());
                const char* sep4 = "";
                for (const TypeItems& t : a.types) {
                    std::printf("%s\n          {\"code\": %d, \"name\": %s, \"items\": [", sep4,
                                t.code, Json(t.name).c_str());
                    const char* sep5 = "";
                    for (const Item& i : t.items) {
                        std::printf("%s\n            {\"name\": %s, \"size\": %ld, \"time\": %ld, "
                                    "\"local\": %s}",
                                    sep5, Json(i.name).c_str(), static_cast<long>(i.size),
                                    static_cast<long>(i.modTime),
                                    Json(LocalTime(i.modTime)).c_str());
                        sep5 = ",";
                    }
                    std::printf("%s]}", t.items.empty() ? "" : "\n          ");
                    sep4 = ",";
                }
                std::printf("%s]}", a.types.empty() ? "" : "\n        ");
                sep3 = ",";
            }
            std::printf("%s]}", d.areas.empty() ? "" : "\n      ");
            sep2 = ",";
        }
        std::printf("%s]}", c.devices.empty() ? "" : "\n    ");
        sep1 = ",";
    }
    std::printf("%s]\n}\n", computers.empty() ? "" : "\n  ");
}

// The file a function was loaded from: which TAVORIN and which Kelvast a
// process really uses is the first thing to doubt.
std::string ModuleOf(const void* address) {
#if defined(_WIN32)
    HMODULE module = nullptr;
    char path[MAX_PATH];
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &module)) {
        const DWORD n = GetModuleFileNameA(module, path, sizeof path);
        if (n > 0 && n < sizeof path)
            return std::string(path, n);
    }
#else
    Dl_info info;
    if (dladdr(address, &info) && info.dli_fname)
        return info.dli_fname;
#endif
    return "(unknown)";
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string FlagNames(int flags) {
    std::string names;
    for (const FlagName& f : kFlagNames)
        if (flags & f.bit)
            names += (names.empty() ? "" : "|") + std::string(f.name);
    return names.empty() ? "none" : names;
}

void PrintSetting(const Options& o) {
    const std::string tavorin = ModuleOf(reinterpret_cast<const void*>(&ListFirstDevice));
    const std::string kelvast = ModuleOf(reinterpret_cast<const void*>(&at_lookup_data));
    const char* env = std::getenv("KELVAST_STORE");
#if defined(_WIN32)
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    std::fprintf(stderr, "TAVORIN: %s\n", tavorin.c_str());
    std::fprintf(stderr, "storage library: %s\n", kelvast.c_str());
    if (env && *env)
        std::fprintf(stderr, "store root (stand-in storage, from KELVAST_STORE): %s\n", env);
    else
        std::fprintf(stderr,
                     "store root (stand-in storage, beside it; KELVAST_STORE unset): %s%cstore\n",
                     FolderOf(kelvast).c_str(), separator);
    std::fprintf(stderr, "device walk flags: 0x%02x (%s)\n", static_cast<unsigned>(o.flags),
                 FlagNames(o.flags).c_str());
    std::fprintf(stderr, "item name pattern: %s\n", o.pattern.c_str());
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = ParseArguments(argc, argv);
        if (options.help) {
            std::fputs(kUsage, stdout);
            return kExitListed;
        }
        if (options.verbose)
            PrintSetting(options);
        const std::vector<Computer> computers = Browse(options);
        if (options.json)
            PrintJson(computers, options.flags);
        else
            PrintTree(computers);

        size_t devices = 0;
        for (const Computer& c : computers)
            devices += c.devices.size();
        if (devices == 0) {
            std::fprintf(stderr,
                         "tavorin-browse: no device holds storage areas under flags 0x%02x (%s); "
                         "run with -v to see which store is read\n",
                         static_cast<unsigned>(options.flags), FlagNames(options.flags).c_str());
            return kExitNothing;
        }
        if (options.haveDevice && computers.front().devices.front().areaCount == 0) {
            std::fprintf(stderr, "tavorin-browse: device %s holds no storage areas\n",
                         options.device.c_str());
            return kExitNothing;
        }
        if (options.haveArea) {
            bool found = false;
            for (const Computer& c : computers)
                for (const Device& d : c.devices)
                    found = found || !d.areas.empty();
            if (!found) {
                std::fprintf(stderr, "tavorin-browse: no storage area \"%s\" on %s\n",
                             options.area.c_str(),
                             options.haveDevice ? options.device.c_str() : "any device listed");
                return kExitNothing;
            }
        }
        return kExitListed;
    } catch (const NotThere& e) {
        std::fprintf(stderr, "tavorin-browse: %s\n", e.Text().c_str());
        return kExitNothing;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "tavorin-browse: %s\n%s", e.Text().c_str(), kUsage);
        return kExitUsage;
    }
}
