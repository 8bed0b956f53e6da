// Facts about a process's first calls: the one-time connection, and the
// ListNext... functions called before their ListFirst.... Each test needs a
// process of its own; CTest runs them one at a time with a filter.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "afxstr.h"
#include "tavorin.h"

#if !defined(_WIN32)
#include "afxres_posix.h"
#include "afxstate.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#if !defined(_WIN32)
// Where the core is linked in, the next allocation can fail as when memory
// runs out. Delete is not inlined: g++ would see new's memory go to free.
// Every form that shares a delete with these is replaced too (nothrow and
// array): under ASan the runtime's own would hand out memory this delete
// frees (libstdc++'s std::stable_sort allocates with nothrow new). The
// aligned forms pair only among themselves and stay the runtime's.
static bool g_failNextAllocation = false;
void* operator new(std::size_t size) {
    void* p = g_failNextAllocation ? nullptr : std::malloc(size ? size : 1);
    g_failNextAllocation = false;
    return p ? p : throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
    return operator new(size, nothrow);
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
#endif

namespace {

const std::vector<std::string> kConnect = {"connect", "set_network NETWORK"};

std::vector<std::string> Then(std::vector<std::string> calls,
                              std::initializer_list<std::string> more) {
    calls.insert(calls.end(), more);
    return calls;
}

TEST(FirstContact, CountAreasConnectsOnce) {
    fake_reset();
    CountAreas("C:");
    CountAreas("D:");
    ListFirstArea("C:");
    ListFirstItem("C:", "A", 1, "*");
    ListFirstDevice("x", 0);
    EXPECT_EQ(FakeCalls(),
              Then(kConnect, {"count C:*", "count D:*", "areas C:* 0", "data 1 C:A * 0"}))
        << Listing(FakeCalls());
}

TEST(FirstContact, ListFirstAreaConnects) {
    fake_reset();
    ListFirstArea("C");
    EXPECT_EQ(FakeCalls(), Then(kConnect, {"areas C:* 0"})) << Listing(FakeCalls());
}

TEST(FirstContact, ListFirstItemConnects) {
    fake_reset();
    ListFirstItem("C", "A", 9, "*");
    EXPECT_EQ(FakeCalls(), Then(kConnect, {"data 9 C:A * 0"})) << Listing(FakeCalls());
}

TEST(FirstContact, ListFirstDeviceConnectsEvenForAnotherComputer) {
    fake_reset();
    EXPECT_EQ(ListFirstDevice("\\\\ELSEWHERE", LF_NETWORK), nullptr);
    EXPECT_EQ(FakeCalls(), kConnect) << Listing(FakeCalls());
    // Connected: the network device comes first.
    fake_reset();
    const char* first = ListFirstDevice("\\\\.", LF_NETWORK);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "NET:");
    EXPECT_EQ(FakeCalls(), std::vector<std::string>{"get_network \\\\. 4"}) << Listing(FakeCalls());
}

TEST(FirstContact, AFailedConnectionIsNotRetriedAndHidesTheNetwork) {
    fake_reset();
    fake_set_connect_result(0);
    CountAreas("C:");
    fake_set_connect_result(1);
    CountAreas("C:");
    EXPECT_EQ(FakeCalls(), Then(kConnect, {"count C:*", "count C:*"})) << Listing(FakeCalls());

    // With LF_NETWORK but no connection, the walk starts with the drives.
    fake_reset();
    fake_add_area("7:*", "AREA");
    const char* first = ListFirstDevice(".", LF_NETWORK);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "7:");
    EXPECT_EQ(fake_count_calls("get_network"), 0) << Listing(FakeCalls());
    EXPECT_EQ(fake_count_calls("connect"), 0) << Listing(FakeCalls());
}

TEST(FirstContact, AConnectResultOtherThanOneIsAFailure) {
    fake_reset();
    fake_set_connect_result(2);
    fake_add_area("7:*", "AREA");
    const char* first = ListFirstDevice(".", LF_NETWORK);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "7:");
    EXPECT_EQ(fake_count_calls("get_network"), 0) << Listing(FakeCalls());
}

TEST(Untouched, TypesComputersAndFailedMarksDoNotConnect) {
    fake_reset();
    int code = 0;
    ListFirstType(&code);
    ListNextType(&code);
    ListFirstComputer();
    ListNextComputer();
    CStringList failed;
    failed.AddTail("3");
    StoreFailedConnections(failed);
    EXPECT_EQ(fake_call_count(), 0) << Listing(FakeCalls());
    CountAreas("C:");
    EXPECT_EQ(FakeCalls(), Then(kConnect, {"count C:*"})) << Listing(FakeCalls());
}

TEST(Untouched, ListNextTypeGivesCodesWithEmptyNames) {
    fake_reset();
    const int codes[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12, 13,
                         14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};
    for (int row = 0; row < 24; ++row) {
        int code = -1;
        const char* name = ListNextType(&code);
        ASSERT_NE(name, nullptr) << "row " << row;
        EXPECT_STREQ(name, "") << "row " << row;
        EXPECT_EQ(code, codes[row]) << "row " << row;
    }
    int code = -1;
    EXPECT_EQ(ListNextType(&code), nullptr);
    EXPECT_EQ(code, 0);
    // The names come with the first ListFirstType.
    EXPECT_STREQ(ListFirstType(&code), "Alteration");
    EXPECT_EQ(fake_call_count(), 0) << Listing(FakeCalls());
}

TEST(Untouched, ListNextAreaContinuesAnEmptyPatternWithoutConnecting) {
    fake_reset();
    EXPECT_EQ(ListNextArea(), nullptr);
    EXPECT_EQ(FakeCalls(), std::vector<std::string>{"areas  1"}) << Listing(FakeCalls());
}

TEST(Untouched, ListNextItemContinuesAnEmptyWalkWithoutConnecting) {
    fake_reset();
    EXPECT_EQ(ListNextItem(), nullptr);
    EXPECT_EQ(FakeCalls(), std::vector<std::string>{"data 0   1"}) << Listing(FakeCalls());
}

TEST(Untouched, ListNextDeviceOffersOnlyNumberedDevicesAndConnects) {
    fake_reset();
    // Whatever drives the machine has: the walk has not read them yet.
    fake_add_area("C:*", "AREA");
    fake_add_area("2:*", "AREA");
    fake_add_area("7:*", "AREA");
    std::vector<std::string> names;
    for (const char* d = ListNextDevice(); d && names.size() < 64; d = ListNextDevice())
        names.push_back(d);
    EXPECT_EQ(names, (std::vector<std::string>{"2:", "7:"}));
    std::vector<std::string> expected = kConnect;
    for (char d = '0'; d <= '9'; ++d)
        expected.push_back(std::string("count ") + d + ":*");
    EXPECT_EQ(FakeCalls(), expected) << Listing(FakeCalls());
}

#if !defined(_WIN32)
// Only where the tests link the framework layer can they see module states.

void* CurrentModuleState() {
    return AfxGetModuleState();
}

TEST(ModuleState, NetworkIsHandedOverUnderTheModulesOwnState) {
    fake_reset();
    fake_set_state_probe(&CurrentModuleState);
    AFX_MODULE_STATE caller = {nullptr, nullptr};
    AFX_MODULE_STATE* previous = AfxSetModuleState(&caller);
    CountAreas("C:");
    EXPECT_EQ(AfxGetModuleState(), &caller) << "the caller's state was not restored";
    AfxSetModuleState(previous);
    EXPECT_EQ(fake_state_at_set_network(), AfxGetStaticModuleState());
    EXPECT_NE(fake_state_at_set_network(), &caller);
    fake_set_state_probe(nullptr);
}

const AfxStringResource kForeignStrings[] = {{1, "Fremd"}, {2, "Fremd"}};
const AfxStringTable kForeignTable = {kForeignStrings, 2};

TEST(ModuleState, TypeNamesComeFromTheModulesStringsNotTheCallers) {
    AFX_MODULE_STATE caller = {nullptr, const_cast<AfxStringTable*>(&kForeignTable)};
    AFX_MODULE_STATE* previous = AfxSetModuleState(&caller);
    int code = 0;
    EXPECT_STREQ(ListFirstType(&code), "Alteration");
    EXPECT_STREQ(ListNextType(&code), "Annotation");
    EXPECT_EQ(AfxGetModuleState(), &caller) << "the caller's state was not restored";
    AfxSetModuleState(previous);
}

const AfxStringResource kOddStrings[] = {
    // 1 is missing: row 0 keeps an empty name.
    {2, "A type name of forty-five characters, or more"},
    // 3 is missing: row 2 takes what the shared buffer still holds.
    {4, "A translated name that ends in a wide: \xC3\xA9"}, // 41 bytes
    {5, "Exactly forty characters long, no more!!"},
};
const AfxStringTable kOddTable = {kOddStrings, sizeof kOddStrings / sizeof kOddStrings[0]};

TEST(TypeNames, LongAndMissingStringsAreHeldTerminated) {
    AFX_MODULE_STATE* own = AfxGetStaticModuleState();
    void* const saved = own->m_hCurrentResourceHandle;
    own->m_hCurrentResourceHandle = const_cast<AfxStringTable*>(&kOddTable);
    int code = 0;
    const char* names[24];
    names[0] = ListFirstType(&code);
    for (int row = 1; row < 24; ++row)
        names[row] = ListNextType(&code);
    own->m_hCurrentResourceHandle = saved;

    ASSERT_EQ(std::strlen(kOddStrings[2].text), 40u);
    EXPECT_STREQ(names[0], "");
    EXPECT_EQ(std::string(names[1]), std::string(kOddStrings[0].text, 40));
    EXPECT_EQ(std::string(names[2]), std::string(kOddStrings[0].text, 40));
    EXPECT_STREQ(names[3], "A translated name that ends in a wide: ") << "no half character";
    EXPECT_STREQ(names[4], kOddStrings[2].text);
    // Rows 5 on find nothing and repeat row 4's text.
    for (int row = 5; row < 24; ++row)
        EXPECT_STREQ(names[row], kOddStrings[2].text) << "row " << row;
    // Loaded once: the module's real strings do not replace them.
    EXPECT_STREQ(ListFirstType(&code), "");
    EXPECT_STREQ(ListNextType(&code), names[1]);
}

TEST(TypeNames, RunningOutOfMemoryWritesTheCodeAndLoadsAgain) {
    int code = -1;
    g_failNextAllocation = true; // "Stored Digitize Data" outgrows a short string
    ASSERT_EQ(ListFirstType(&code), nullptr);
    EXPECT_EQ(code, 0) << "the code was not written";
    EXPECT_EQ(ListNextType(&code), nullptr) << "the failed walk goes on";
    const char* name = ListFirstType(&code);
    for (int row = 0; row < 4; ++row)
        name = ListNextType(&code);
    EXPECT_STREQ(name, "Stored Digitize Data") << "the names stay half loaded";
}
#endif

} // namespace
