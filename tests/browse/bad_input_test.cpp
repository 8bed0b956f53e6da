// What other programs may pass: null pointers, empty and overlong texts,
// numbers out of range. Each gets the null or 0 answer and nothing is
// written past a buffer.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "afxstr.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

class BadInput : public testing::Test {
  protected:
    void SetUp() override { fake_reset(); }
};

TEST_F(BadInput, NullTextsGiveNullOrZeroWithoutAStorageCall) {
    EXPECT_EQ(CountAreas(nullptr), 0u);
    EXPECT_EQ(ListFirstArea(nullptr), nullptr);
    EXPECT_EQ(ListFirstDevice(nullptr, LF_NETWORK | LF_LOCAL_DRIVES), nullptr);
    EXPECT_EQ(ListFirstItem(nullptr, "A", 9, "*"), nullptr);
    EXPECT_EQ(ListFirstItem("C:", nullptr, 9, "*"), nullptr);
    EXPECT_EQ(ListFirstItem("C:", "A", 9, nullptr), nullptr);
    EXPECT_EQ(ListFirstType(nullptr), nullptr);
    EXPECT_EQ(ListNextType(nullptr), nullptr);
    EXPECT_EQ(fake_call_count(), 0) << Listing(FakeCalls());
}

TEST_F(BadInput, OverlongTextsAreRefusedEverywhere) {
    const std::string huge(1 << 16, 'Z');
    EXPECT_EQ(CountAreas(huge.c_str()), 0u);
    EXPECT_EQ(ListFirstArea(huge.c_str()), nullptr);
    EXPECT_EQ(ListFirstDevice(huge.c_str(), -1), nullptr);
    EXPECT_EQ(ListFirstItem(huge.c_str(), huge.c_str(), 9, huge.c_str()), nullptr);
    EXPECT_EQ(ListFirstItem("C:", huge.c_str(), 9, "*"), nullptr);
    EXPECT_EQ(fake_call_count(), 0) << Listing(FakeCalls());
}

TEST_F(BadInput, EmptyTextsAreOrdinaryInput) {
    EXPECT_EQ(CountAreas(""), 0u);
    EXPECT_EQ(ListFirstArea(""), nullptr);
    EXPECT_EQ(ListFirstDevice("", 0), nullptr);
    EXPECT_EQ(ListFirstItem("", "", 0, ""), nullptr);
    EXPECT_EQ(FakeCalls(), (std::vector<std::string>{"count :*", "areas :* 0", "data 0 :  0"}))
        << Listing(FakeCalls());
}

TEST_F(BadInput, AnyTypeCodeGoesToTheStorageLibraryAsGiven) {
    for (int code : {INT_MIN, -1, 0, 10, 26, INT_MAX}) {
        fake_reset();
        EXPECT_EQ(ListFirstItem("C:", "A", code, "*"), nullptr);
        EXPECT_EQ(FakeCalls(),
                  std::vector<std::string>{"data " + std::to_string(code) + " C:A * 0"});
    }
}

TEST_F(BadInput, EveryFlagBitSetWalksAsTheKnownBitsSay) {
    fake_add_area("5:*", "AREA");
    CStringList none;
    StoreFailedConnections(none);
    const char* first = ListFirstDevice(".", -1);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "NET:");
    int guard = 0;
    const char* last = nullptr;
    for (const char* d = ListNextDevice(); d && guard < 64; d = ListNextDevice(), ++guard) {
        ASSERT_EQ(std::strlen(d), 2u);
        EXPECT_EQ(d[1], ':');
        last = d;
    }
    ASSERT_NE(last, nullptr);
}

TEST_F(BadInput, StorageNamesThatFillTheBuffersStayTerminated) {
    // Names that use every byte the storage library may write.
    fake_add_area("C:*", std::string(255, 'A').c_str());
    fake_add_item("C:A", 1, std::string(23, 'I').c_str(), 0, 0);
    const char* area = ListFirstArea("C:");
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(std::strlen(area), 255u);
    const char* item = ListFirstItem("C:", "A", 1, "*");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(std::strlen(item), 23u);
}

} // namespace
