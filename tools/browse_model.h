// What tavorin-browse found: computers, their devices, areas, the types
// asked for and their items, copied out of the enumeration interface's
// buffers. The printers follow this nesting.
#pragma once

#include "browse_options.h"

#include <cstdint>
#include <string>
#include <vector>

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

// Walks what the options ask for. Throws BrowseError (kExitNothing) for a
// --type that names no type.
std::vector<Computer> Browse(const Options& o);

// An item's time as the machine's clock shows it, "?" when it cannot.
std::string LocalTime(int32_t seconds);
