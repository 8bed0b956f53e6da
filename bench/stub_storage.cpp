// The cheapest storage library a walk can have: fixed answers from static
// tables, no allocation, no file system. Against it, whatever the
// enumeration interface adds to a storage call shows in full.
//   areas:  "C:*" has kStubAreas areas "C:AREA0000"...; any other drive
//           letter or digit holds one area when its index is odd
//   items:  "C:BIG", every type, kStubItems items "ITEM00000"...
#define KELVAST_BUILD
#include "stub_storage.h"

#include "kelvast.h"

#include <cstdio>
#include <cstring>

int32_t atc_data_size = 0;
int32_t atc_last_mod_time = 0;

namespace {

char g_areaNames[kStubAreas][12];
char g_itemNames[kStubItems][12];
int g_areaNext = 0;
int g_itemNext = 0;
char g_network[] = "NET:";
struct TypeRow {
    char name[41];
    int code;
} g_types[24];

at_count_t CountFor(const char* pattern) {
    if (pattern[0] == 'C')
        return kStubAreas;
    const char c = pattern[0];
    const int index = c >= 'A' && c <= 'Z' ? c - 'A' : c >= '0' && c <= '9' ? 26 + c - '0' : 0;
    return index % 2;
}

} // namespace

long g_stubCounts = 0;

char* StubTypeRow(unsigned row, int* code) {
    if (row >= 24) {
        *code = 0;
        return nullptr;
    }
    *code = g_types[row].code;
    return g_types[row].name;
}

void StubSetTypeRow(unsigned row, const char* name, int code) {
    std::strncpy(g_types[row].name, name, 40);
    g_types[row].code = code;
}

void StubStorageInit() {
    for (int i = 0; i < kStubAreas; ++i)
        std::snprintf(g_areaNames[i], sizeof g_areaNames[i], "C:AREA%04d", i);
    for (int i = 0; i < kStubItems; ++i)
        std::snprintf(g_itemNames[i], sizeof g_itemNames[i], "ITEM%05d", i);
}

extern "C" {

int at_connect_to_network(void) {
    return 1;
}

int at_set_network_str(const char*) {
    return 1;
}

char* at_get_network_str(const char*, int) {
    return g_network;
}

int at_count_storage_areas(const char* pattern, at_count_t* count) {
    ++g_stubCounts;
    *count = CountFor(pattern);
    return 1;
}

int at_lookup_storage_areas(char* areaName, const char* pattern, int mode) {
    if (mode == 0)
        g_areaNext = pattern[0] == 'C' ? 0 : kStubAreas;
    if (g_areaNext >= kStubAreas)
        return 0;
    std::memcpy(areaName, g_areaNames[g_areaNext++], sizeof g_areaNames[0]);
    return 1;
}

int at_lookup_data(int, const char*, char* itemName, const char*, int mode) {
    if (mode == 0)
        g_itemNext = 0;
    if (g_itemNext >= kStubItems)
        return 0;
    std::memcpy(itemName, g_itemNames[g_itemNext], sizeof g_itemNames[0]);
    atc_data_size = g_itemNext;
    atc_last_mod_time = 1000000000 + g_itemNext;
    ++g_itemNext;
    return 1;
}

} // extern "C"
