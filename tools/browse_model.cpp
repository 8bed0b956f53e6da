#include "browse_model.h"

#include "afxstr.h"
#include "kelvast.h"
#include "lookup_flags.h"

#include <ctime>

namespace {

// The 24 item types, copied: the names live in the library's table.
std::vector<TypeItems> AllTypes() {
    std::vector<TypeItems> types;
    int code = 0;
    for (const char* name = ListFirstType(&code); name; name = ListNextType(&code))
        types.push_back({code, name, {}});
    return types;
}

// --type as a code or a type name; the code of a name comes from the table.
std::vector<TypeItems> SelectTypes(const std::optional<std::string>& type) {
    std::vector<TypeItems> types = AllTypes();
    if (!type)
        return types;
    const std::optional<int> code = ParseNumber(*type);
    for (const TypeItems& t : types)
        if ((code && t.code == *code) || EqualsIgnoringCase(*type, t.name))
            return {t};
    std::string known;
    for (const TypeItems& t : types)
        known += (known.empty() ? "" : ", ") + t.name + " (" + std::to_string(t.code) + ")";
    throw BrowseError("no item type " + std::string(code ? "has code " : "is named ") + "\"" +
                          *type + "\"; the types are: " + known,
                      kExitNothing);
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
    const std::vector<std::string> areas = o.area ? AskedArea(name, *o.area) : WalkAreas(name);
    for (const std::string& areaName : areas) {
        Area area{areaName, {}};
        for (const TypeItems& t : types) {
            TypeItems found{t.code, t.name, WalkItems(name, areaName, t.code, o.pattern)};
            // Empty types would bury the few that hold items; a type asked
            // for by name is shown even when empty.
            if (!found.items.empty() || o.type)
                area.types.push_back(found);
        }
        device.areas.push_back(area);
    }
    return device;
}

} // namespace

std::vector<Computer> Browse(const Options& o) {
    if (o.failed) {
        CStringList failed;
        for (const std::string& n : *o.failed)
            failed.AddTail(n.c_str());
        StoreFailedConnections(failed);
    }
    const std::vector<TypeItems> types = SelectTypes(o.type);
    std::vector<Computer> computers;
    for (const char* c = ListFirstComputer(); c; c = ListNextComputer())
        computers.push_back({c, {}});
    for (Computer& computer : computers) {
        // An explicit device is browsed even when the device walk would not
        // offer it: that is the question a support call usually asks.
        const std::vector<std::string> devices = o.device
                                                     ? std::vector<std::string>{*o.device}
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
