#include "browse_print.h"

#include <cstdio>

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
