// tavorin-browse: walks the enumeration interface of TAVORIN the way the
// "Lookup" dialog does, and prints what it finds as an indented tree or as
// JSON. It is the first thing to run on a machine where the dialog shows
// nothing: with -v it also tells which libraries were loaded and which store
// root the stand-in storage library reads.
//
//   tavorin-browse [-v] [--json] [--flags F] [--failed N,N] [--device D]
//                  [--area A] [--type T] [--pattern P]
//
// Exit status: 0 listed at least one item, 1 listed none or a device, area
// or type asked for that does not exist (one line on stderr says why and
// what to try), 2 bad arguments (usage goes to stderr), 3 the output could
// not be written whole (one line on stderr; none when the reader closed the
// pipe, which ends a native tool by SIGPIPE before it can tell).
//
// browse_options: the command line and the error that ends the tool;
// browse_model: the walk and the tree it builds; browse_text, browse_json:
// the printers; browse_setting: what -v tells. Here: the order and the exit
// rules.
#include "browse_print.h"
#include "lookup_flags.h"

#include <clocale>
#include <cstdio>

namespace {

// After the listing, which is printed also when it names nothing asked for:
// why nothing was listed, and what to try.
void CheckListed(const Options& o, const std::vector<Computer>& computers) {
    size_t devices = 0, areas = 0, items = 0;
    for (const Computer& c : computers)
        for (const Device& d : c.devices) {
            ++devices;
            areas += d.areas.size();
            for (const Area& a : d.areas)
                for (const TypeItems& t : a.types)
                    items += t.items.size();
        }
    if (items > 0)
        return;
    if (devices == 0) {
        const StoreFolder store = InspectStore();
        if (!store.hint.empty())
            throw BrowseError("no device holds storage areas: the store folder " +
                                  (store.path.empty() ? std::string() : store.path + " ") + "(" +
                                  store.from + ") is " + store.found + "; " + store.hint,
                              kExitNothing);
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%02x", static_cast<unsigned>(o.flags));
        throw BrowseError("no device holds storage areas under flags " + std::string(flags) + " (" +
                              LookupFlagNames(o.flags) + ") in " + store.path + ", which " +
                              store.found +
                              "; drives are offered only where the system has them and the flags "
                              "ask: try --flags DRIVE_A|LOCAL_DRIVES|NETWORK or fewer --failed",
                          kExitNothing);
    }
    if (o.device && computers.front().devices.front().areaCount == 0)
        throw BrowseError("device " + *o.device +
                              " holds no storage areas; leave --device out to see the devices",
                          kExitNothing);
    if (o.area && areas == 0)
        throw BrowseError("no storage area \"" + *o.area + "\" on " +
                              (o.device ? *o.device : "any device listed") +
                              "; leave --area out to see the areas",
                          kExitNothing);
    const std::string of = o.type ? " of type " + *o.type : "";
    if (o.pattern == "*")
        throw BrowseError("no items" + of + " in the " + std::to_string(areas) +
                              " storage area(s) listed; try another --area or --type",
                          kExitNothing);
    throw BrowseError("no item" + of + " matches \"" + o.pattern + "\" in the " +
                          std::to_string(areas) +
                          " storage area(s) listed; try a shorter --pattern, or \"*\"",
                      kExitNothing);
}

} // namespace

int main(int argc, char** argv) {
#if !defined(_WIN32)
    // Names are read in the user's character set, as any tool of theirs.
    std::setlocale(LC_CTYPE, "");
#endif
    try {
        const Options options = ParseArguments(argc, argv);
        if (options.help) {
            EndOutput(WriteOut(kUsage, kAnsiText));
            return kExitListed;
        }
        if (options.verbose)
            PrintSetting(options);
        const std::vector<Computer> computers = Browse(options);
        EndOutput(options.json ? PrintJson(computers, options.flags) : PrintTree(computers));
        CheckListed(options, computers);
        return kExitListed;
    } catch (const BrowseError& e) {
        if (!e.Text().empty())
            std::fprintf(stderr, "tavorin-browse: %s\n%s", e.Text().c_str(),
                         e.ExitCode() == kExitUsage ? kUsage : "");
        return e.ExitCode();
    }
}
