// Recording fake of the storage library: answers from a script, records
// every call, and never writes more than the interface's buffer sizes.
#define KELVAST_BUILD
#define FAKE_KELVAST_BUILD
#include "fake_kelvast.h"
#include "kelvast.h"
#include "wildcard.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstring>
#include <map>
#include <string>
#include <vector>

int32_t atc_data_size = 0;
int32_t atc_last_mod_time = 0;

namespace {

struct Count {
    int result;
    unsigned long count;
};
struct Item {
    std::string path;
    int type;
    std::string name;
    int size;
    int modTime;
};

struct Fake {
    int connectResult = 1;
    unsigned itemDelayMs = 0;
    int itemResult = 1;
    bool networkNameSet = true;
    std::string networkName = "NET:";
    std::map<std::string, std::vector<std::string>> areas;
    std::map<std::string, Count> counts;
    std::vector<Item> items;
    std::vector<std::string> calls;
    std::vector<std::string> areaWalk;
    size_t areaNext = 0;
    std::vector<const Item*> itemWalk;
    size_t itemNext = 0;
    void* (*probe)(void) = nullptr;
    void* stateAtSetNetwork = nullptr;
};

Fake& F() {
    static Fake* fake = new Fake; // never destroyed: used until the process ends
    return *fake;
}

std::string Text(const char* s) {
    return s ? s : "(null)";
}

void Record(const std::string& line) {
    F().calls.push_back(line);
}

// Copies text into a buffer of size bytes when it fits with its NUL.
bool CopyOut(char* out, size_t size, const std::string& text) {
    if (text.size() >= size)
        return false;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return true;
}

} // namespace

extern "C" {

void fake_set_item_delay(unsigned ms) {
    F().itemDelayMs = ms;
}
void fake_set_item_result(int result) {
    F().itemResult = result;
}
void fake_reset(void) {
    void* (*probe)(void) = F().probe;
    F() = Fake();
    F().probe = probe;
}
void fake_set_connect_result(int result) {
    F().connectResult = result;
}
void fake_set_network_name(const char* name) {
    F().networkNameSet = name != nullptr;
    F().networkName = Text(name);
}
void fake_add_area(const char* pattern, const char* rawName) {
    F().areas[Text(pattern)].push_back(Text(rawName));
}
void fake_set_count(const char* pattern, int result, unsigned long count) {
    F().counts[Text(pattern)] = Count{result, count};
}
void fake_add_item(const char* path, int type, const char* name, int size, int modTime) {
    F().items.push_back(Item{Text(path), type, Text(name), size, modTime});
}
int fake_call_count(void) {
    return static_cast<int>(F().calls.size());
}
const char* fake_call(int index) {
    if (index < 0 || index >= fake_call_count())
        return nullptr;
    return F().calls[static_cast<size_t>(index)].c_str();
}
int fake_count_calls(const char* prefix) {
    int n = 0;
    const size_t len = std::strlen(prefix);
    for (const std::string& c : F().calls)
        n += c.compare(0, len, prefix) == 0;
    return n;
}
void* fake_state_at_set_network(void) {
    return F().stateAtSetNetwork;
}
void fake_set_state_probe(void* (*probe)(void)) {
    F().probe = probe;
}

int at_connect_to_network(void) {
    Record("connect");
    return F().connectResult;
}

int at_set_network_str(const char* text) {
    Record("set_network " + Text(text));
    F().stateAtSetNetwork = F().probe ? F().probe() : nullptr;
    return 1;
}

char* at_get_network_str(const char* computer, int flags) {
    Record("get_network " + Text(computer) + " " + std::to_string(flags));
    return F().networkNameSet ? &F().networkName[0] : nullptr;
}

int at_count_storage_areas(const char* pattern, at_count_t* count) {
    Record("count " + Text(pattern));
    const std::string key = Text(pattern);
    const auto scripted = F().counts.find(key);
    if (scripted != F().counts.end()) {
        *count = static_cast<at_count_t>(scripted->second.count);
        return scripted->second.result;
    }
    const auto found = F().areas.find(key);
    if (found == F().areas.end())
        return 0;
    *count = static_cast<at_count_t>(found->second.size());
    return 1;
}

int at_lookup_storage_areas(char* areaName, const char* pattern, int mode) {
    Record("areas " + Text(pattern) + " " + std::to_string(mode));
    if (mode == 0) {
        const auto found = F().areas.find(Text(pattern));
        F().areaWalk = found == F().areas.end() ? std::vector<std::string>() : found->second;
        F().areaNext = 0;
    }
    if (F().areaNext >= F().areaWalk.size())
        return 0;
    return CopyOut(areaName, AT_AREA_NAME_SIZE, F().areaWalk[F().areaNext++]) ? 1 : 0;
}

int at_lookup_data(int typeCode, const char* itemPath, char* itemName, const char* pattern,
                   int mode) {
    Record("data " + std::to_string(typeCode) + " " + Text(itemPath) + " " + Text(pattern) + " " +
           std::to_string(mode));
    if (F().itemDelayMs) {
#ifdef _WIN32
        Sleep(F().itemDelayMs);
#else
        usleep(F().itemDelayMs * 1000);
#endif
    }
    if (mode == 0) {
        F().itemWalk.clear();
        F().itemNext = 0;
        for (const Item& item : F().items)
            if (item.type == typeCode && item.path == Text(itemPath) &&
                WildcardMatch(Text(pattern).c_str(), item.name.c_str()))
                F().itemWalk.push_back(&item);
    }
    if (F().itemNext >= F().itemWalk.size())
        return 0;
    const Item& item = *F().itemWalk[F().itemNext++];
    if (!CopyOut(itemName, AT_ITEM_NAME_SIZE, item.name))
        return 0;
    atc_data_size = item.size;
    atc_last_mod_time = item.modTime;
    return F().itemResult;
}

} // extern "C"
