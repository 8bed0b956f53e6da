#include "browse_print.h"

#include <cstdio>

namespace {

// Names come from the store as they are: a line feed in one would forge a
// line of the listing, an ESC would reach the terminal. Such bytes are
// shown as \xNN, as the JSON printer escapes them.
std::string Shown(const std::string& name) {
    std::string out;
    for (unsigned char ch : name) {
        char esc[8];
        if (ch < 0x20 || ch == 0x7f) {
            std::snprintf(esc, sizeof esc, "\\x%02x", ch);
            out += esc;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out;
}

} // namespace

void PrintTree(const std::vector<Computer>& computers) {
    for (const Computer& c : computers) {
        std::printf("%s\n", Shown(c.name).c_str());
        for (const Device& d : c.devices) {
            std::printf("  %s (%lu area%s)\n", Shown(d.name).c_str(), d.areaCount,
                        d.areaCount == 1 ? "" : "s");
            for (const Area& a : d.areas) {
                std::printf("    %s\n", Shown(a.name).c_str());
                for (const TypeItems& t : a.types) {
                    std::printf("      %s (%d)%s\n", t.name.empty() ? "?" : Shown(t.name).c_str(),
                                t.code, t.items.empty() ? " no items" : "");
                    for (const Item& i : t.items)
                        std::printf("        %-23s %10ld  %s\n", Shown(i.name).c_str(),
                                    static_cast<long>(i.size), LocalTime(i.modTime).c_str());
                }
            }
        }
    }
}
