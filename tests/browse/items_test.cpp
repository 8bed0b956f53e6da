// Items: the path and pattern sent to the storage library, their limits,
// and the size and time that describe each item.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "kelvast.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Items : public testing::Test {
  protected:
    void SetUp() override { fake_reset(); }
};

TEST_F(Items, PathIsTheDeviceWithOneColonThenTheArea) {
    const struct {
        const char* device;
        const char* area;
        const char* path;
    } cases[] = {
        {"C:", "PATTERNS", "C:PATTERNS"},
        {"C", "PATTERNS", "C:PATTERNS"},
        {"C:", "", "C:"},
        {"3", "", "3:"},
        {"", "X", ":X"},
        {"A:B", "C", "A:BC"},
    };
    for (const auto& c : cases) {
        fake_reset();
        ListFirstItem(c.device, c.area, 9, "AB*");
        ListNextItem();
        const std::vector<std::string> expected = {std::string("data 9 ") + c.path + " AB* 0",
                                                   std::string("data 9 ") + c.path + " AB* 1"};
        EXPECT_EQ(FakeCalls(), expected)
            << "device \"" << c.device << "\", area \"" << c.area << "\"\n"
            << Listing(FakeCalls());
    }
}

TEST_F(Items, WalkGivesMatchingItemsWithTheirSizeAndTime) {
    fake_add_item("C:PATTERNS", 9, "AB1", 100, 1000000000);
    fake_add_item("C:PATTERNS", 9, "XY", 5, 5);
    fake_add_item("C:PATTERNS", 12, "AB2", 6, 6);
    fake_add_item("C:PATTERNS", 9, "ab22", -7, -86400);
    char* first = ListFirstItem("C", "PATTERNS", 9, "AB*");
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "AB1");
    EXPECT_EQ(atc_data_size, 100);
    EXPECT_EQ(atc_last_mod_time, 1000000000);
    char* second = ListNextItem();
    EXPECT_EQ(second, first) << "every item comes back in the one buffer";
    EXPECT_STREQ(first, "ab22");
    EXPECT_EQ(atc_data_size, -7);
    EXPECT_EQ(atc_last_mod_time, -86400);
    EXPECT_EQ(ListNextItem(), nullptr);
    EXPECT_EQ(ListNextItem(), nullptr);
}

TEST_F(Items, ANameOfTwentyThreeCharactersComesBackWhole) {
    const std::string name(23, 'N');
    fake_add_item("C:A", 1, name.c_str(), 1, 1);
    const char* found = ListFirstItem("C:", "A", 1, "*");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::string(found), name);
}

// The path buffer holds 255 characters and the NUL.
TEST_F(Items, PathOfTwoHundredFiftyFiveCharactersIsAccepted) {
    const std::string area(253, 'R');
    for (const char* device : {"C:", "C"}) {
        fake_reset();
        ListFirstItem(device, area.c_str(), 9, "*");
        EXPECT_EQ(FakeCalls(), std::vector<std::string>{"data 9 C:" + area + " * 0"})
            << "device \"" << device << "\" with an area of 253 characters";
    }
}

TEST_F(Items, PathTooLongIsRefusedWithoutAStorageCall) {
    ListFirstItem("C:", "OLD", 9, "OLD*");
    const std::string area(254, 'R');
    for (const char* device : {"C:", "C"}) {
        fake_reset();
        EXPECT_EQ(ListFirstItem(device, area.c_str(), 12, "NEW*"), nullptr)
            << "device \"" << device << "\" with an area of 254 characters";
        EXPECT_TRUE(FakeCalls().empty()) << Listing(FakeCalls());
    }
    const std::string device(300, 'D');
    EXPECT_EQ(ListFirstItem(device.c_str(), "", 12, "NEW*"), nullptr);
    EXPECT_TRUE(FakeCalls().empty()) << Listing(FakeCalls());
    // The old path goes on, with the type code and pattern of the refused call.
    ListNextItem();
    EXPECT_EQ(FakeCalls(), std::vector<std::string>{"data 12 C:OLD NEW* 1"})
        << Listing(FakeCalls());
}

TEST_F(Items, PatternOfTwentyThreeCharactersIsUsedWhole) {
    const std::string pattern = std::string(22, '?') + "*";
    ListFirstItem("C:", "A", 9, pattern.c_str());
    EXPECT_EQ(FakeCalls(), std::vector<std::string>{"data 9 C:A " + pattern + " 0"})
        << Listing(FakeCalls());
}

TEST_F(Items, PatternTooLongIsRefusedWithoutAStorageCall) {
    ListFirstItem("C:", "OLD", 9, "OLD*");
    for (const std::string& pattern : {std::string(24, '*'), std::string(5000, 'P')}) {
        fake_reset();
        EXPECT_EQ(ListFirstItem("C:", "NEW", 9, pattern.c_str()), nullptr)
            << "pattern of " << pattern.size() << " characters";
        EXPECT_TRUE(FakeCalls().empty()) << Listing(FakeCalls());
    }
    // Whatever the walk continues with fits the pattern buffer.
    ListNextItem();
    ASSERT_EQ(FakeCalls().size(), 1u);
    const std::string call = FakeCalls()[0];
    EXPECT_EQ(call.rfind(" 1"), call.size() - 2) << call;
    EXPECT_LE(call.size(), std::string("data 9 C:OLD  1").size() + 23) << call;
}

TEST_F(Items, OnlyAResultOfExactlyOneGivesAnItem) {
    // The fake answers 0 at the end of a walk and when nothing matches.
    fake_add_item("C:A", 1, "ONE", 1, 1);
    EXPECT_EQ(ListFirstItem("C:", "A", 2, "*"), nullptr);
    EXPECT_EQ(ListFirstItem("C:", "B", 1, "*"), nullptr);
    EXPECT_EQ(ListFirstItem("C:", "A", 1, "X*"), nullptr);
    EXPECT_NE(ListFirstItem("C:", "A", 1, "o?E"), nullptr);
    // The same item, its name written back, but the call answers otherwise.
    for (int result : {2, -1}) {
        fake_set_item_result(result);
        EXPECT_EQ(ListFirstItem("C:", "A", 1, "o?E"), nullptr) << "answer " << result;
    }
}

TEST_F(Items, ListNextItemNeverConnectsNorRebuildsThePath) {
    ListFirstItem("C", "AREA", 20, "P?");
    fake_reset();
    ListNextItem();
    EXPECT_EQ(FakeCalls(), std::vector<std::string>{"data 20 C:AREA P? 1"}) << Listing(FakeCalls());
}

} // namespace
