// The stand-in storage library under random input: its wildcard matcher
// against a plain reference matcher, and its area and item walks over a
// small store in a temporary folder, with output buffers of exactly the
// sizes callers give, so that a write past one is caught. With
// KELVAST_FAULTS=<seed>:<n>, one call in n fails, seeded from each input.
#include "kelvast.h"
#include "names.h"
#include "wildcard.h"

#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Textbook matcher: match[i][j] when pattern[i..] matches name[j..], both
// taken a character at a time as names.h tells them apart.
std::vector<const char*> Chars(const std::string& text) {
    std::vector<const char*> chars;
    for (const char* p = text.c_str(); *p; p = NextChar(p))
        chars.push_back(p);
    return chars;
}

bool ReferenceMatch(const std::string& patternText, const std::string& nameText) {
    const std::vector<const char*> pattern = Chars(patternText), name = Chars(nameText);
    const size_t p = pattern.size(), n = name.size();
    std::vector<std::vector<char>> match(p + 1, std::vector<char>(n + 1, 0));
    match[p][n] = 1;
    for (size_t i = p; i-- > 0;) {
        for (size_t j = n + 1; j-- > 0;) {
            if (*pattern[i] == '*')
                match[i][j] = match[i + 1][j] || (j < n && match[i][j + 1]);
            else if (j < n && (*pattern[i] == '?' || SameCharIgnoringCase(pattern[i], name[j])))
                match[i][j] = match[i + 1][j + 1];
        }
    }
    return match[0][0];
}

std::string g_root;
unsigned long g_faultOneIn = 0; // 0: no faults

void MakeDir(const std::string& path) {
    mkdir(path.c_str(), 0700);
}
void MakeFile(const std::string& path, size_t size) {
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

// <root>/C/{AREA, area2, <253 x L>, <254 x M>}/{9,20}/..., <root>/3/..., NETWORK.
void BuildStore() {
    char pattern[] = "/tmp/tavorin-fuzz-store-XXXXXX";
    if (!mkdtemp(pattern))
        Fail("no temporary folder");
    g_root = pattern;
    const std::string areas[] = {"AREA", "area2", std::string(253, 'L'), std::string(254, 'M')};
    for (const char* device : {"C", "3", "NETWORK"}) {
        MakeDir(g_root + "/" + device);
        for (const std::string& area : areas) {
            const std::string a = g_root + "/" + device + "/" + area;
            MakeDir(a);
            for (const char* type : {"9", "20", "-1"}) {
                MakeDir(a + "/" + type);
                for (const std::string& item :
                     {std::string("AB1"), std::string("ab22"), std::string("a?b*"),
                      std::string(23, 'N'), std::string(24, 'O'), std::string("x.y")})
                    MakeFile(a + "/" + type + "/" + item, item.size());
            }
        }
    }
    setenv("KELVAST_STORE", g_root.c_str(), 1);
}

std::string SomeText(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) {
        static const char* const kTexts[] = {"C:*",     "c:A*", "3:*",  "NETWORK:*", "C:AREA",
                                             "3:area2", "*",    "?B*",  "C:",        ":",
                                             "",        "Q:*",  "C:?*?"};
        const std::string longName(255, 'N'); // an area buffer holds it and ':'
        const size_t i = in.ConsumeIntegralInRange<size_t>(0, 14);
        return i < 13 ? kTexts[i] : i == 13 ? longName : longName + ":*";
    }
    // The library sees C strings: the text ends at its first NUL.
    return in.ConsumeRandomLengthString(300).c_str();
}

std::unique_ptr<char[]> Exact(const std::string& s) {
    std::unique_ptr<char[]> p(new char[s.size() + 1]);
    std::memcpy(p.get(), s.c_str(), s.size() + 1);
    return p;
}

void Walks(FuzzedDataProvider& in) {
    std::string itemPattern = "*";
    for (int steps = 0; steps < 16 && in.remaining_bytes() > 0; ++steps) {
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0: {
            const std::string pattern = SomeText(in);
            at_count_t count = 0xDEAD;
            const int result = at_count_storage_areas(Exact(pattern).get(), &count);
            CHECK(result == 0 || result == 1 || g_faultOneIn);
            if (result == 1)
                CHECK(count <= 4);
            break;
        }
        case 1: {
            std::unique_ptr<char[]> name(new char[AT_AREA_NAME_SIZE]);
            const int mode = in.ConsumeIntegralInRange(-1, 2);
            if (at_lookup_storage_areas(name.get(), Exact(SomeText(in)).get(), mode) == 1) {
                CHECK(mode == 0 || mode == 1);
                CHECK(std::memchr(name.get(), '\0', AT_AREA_NAME_SIZE));
                CHECK(std::strchr(name.get(), ':'));
            }
            break;
        }
        case 2: {
            std::unique_ptr<char[]> name(new char[AT_ITEM_NAME_SIZE]);
            const int mode = in.ConsumeIntegralInRange(-1, 2);
            if (mode == 0)
                itemPattern = SomeText(in);
            const int type = in.ConsumeBool() ? 9 : in.ConsumeIntegral<int>();
            if (at_lookup_data(type, Exact(SomeText(in)).get(), name.get(),
                               Exact(itemPattern).get(), mode) == 1) {
                CHECK(mode == 0 || mode == 1);
                CHECK(std::memchr(name.get(), '\0', AT_ITEM_NAME_SIZE));
                CHECK(ReferenceMatch(itemPattern, name.get()));
                CHECK(atc_data_size == static_cast<int32_t>(std::strlen(name.get())));
            }
            break;
        }
        case 3:
            at_set_network_str(in.ConsumeBool() ? nullptr : Exact(SomeText(in)).get());
            break;
        case 4: {
            const char* name =
                at_get_network_str(Exact(SomeText(in)).get(), in.ConsumeIntegral<int>());
            CHECK(!name || *name || g_faultOneIn); // a failure may answer ""
            if (name && *name)
                CHECK(name[std::strlen(name) - 1] == ':');
            break;
        }
        default:
            CHECK(at_count_storage_areas(nullptr, nullptr) != 1);
            CHECK(at_lookup_storage_areas(nullptr, "C:*", 0) != 1);
            CHECK(at_lookup_data(9, nullptr, nullptr, nullptr, 0) != 1);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* faults = std::getenv("KELVAST_FAULTS"))
        if (const char* colon = std::strchr(faults, ':'))
            g_faultOneIn = std::strtoul(colon + 1, nullptr, 10);
    BuildStore();
    std::atexit([] { std::system(("rm -rf '" + g_root + "'").c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (g_faultOneIn) { // the setting off for one call, so that the next one seeds afresh
        setenv("KELVAST_FAULTS", "", 1);
        at_connect_to_network();
        setenv("KELVAST_FAULTS",
               (std::to_string(in.ConsumeIntegral<uint32_t>()) + ":" + std::to_string(g_faultOneIn))
                   .c_str(),
               1);
    }
    const std::string pattern = in.ConsumeRandomLengthString(64).c_str();
    const std::string name = in.ConsumeRandomLengthString(64).c_str();
    if (WildcardMatch(Exact(pattern).get(), Exact(name).get()) != ReferenceMatch(pattern, name))
        Fail("WildcardMatch differs from the reference matcher");
    Walks(in);
    return 0;
}
