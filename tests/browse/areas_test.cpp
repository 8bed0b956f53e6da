// Storage areas: the pattern sent to the storage library, the name handed
// back, and the one pattern that counts, area walks and device probes share.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "afxstr.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class Areas : public testing::Test {
  protected:
    void SetUp() override { fake_reset(); }
};

TEST_F(Areas, PatternIsTheDeviceWithOneColonThenAStar) {
    const struct {
        const char* device;
        const char* pattern;
    } cases[] = {
        {"C:", "C:*"}, {"C", "C:*"}, {"3:", "3:*"}, {"", ":*"}, {"AB:CD", "AB:CD*"}, {":", ":*"},
    };
    for (const auto& c : cases) {
        fake_reset();
        CountAreas(c.device);
        ListFirstArea(c.device);
        const std::vector<std::string> expected = {std::string("count ") + c.pattern,
                                                   std::string("areas ") + c.pattern + " 0"};
        EXPECT_EQ(FakeCalls(), expected) << "device \"" << c.device << "\"\n"
                                         << Listing(FakeCalls());
    }
}

TEST_F(Areas, CountIsTakenOnlyFromAResultOfExactlyOne) {
    fake_set_count("C:*", 1, 7);
    EXPECT_EQ(CountAreas("C:"), 7u);
    fake_set_count("C:*", 1, 0xFFFFFFFFul);
    EXPECT_EQ(CountAreas("C"), 0xFFFFFFFFul);
    fake_set_count("C:*", 0, 7);
    EXPECT_EQ(CountAreas("C:"), 0u);
    fake_set_count("C:*", 2, 7);
    EXPECT_EQ(CountAreas("C:"), 0u);
    fake_set_count("C:*", -1, 7);
    EXPECT_EQ(CountAreas("C:"), 0u);
}

TEST_F(Areas, NameIsTheTextAfterTheFirstColon) {
    for (const char* raw : {"C:PATTERNS", "PATTERNS", "C:A:B", ":LEADING", "C:", "NET:WORK:X"})
        fake_add_area("C:*", raw);
    const std::vector<std::string> expected = {"PATTERNS", "PATTERNS", "A:B",
                                               "LEADING",  "",         "WORK:X"};
    std::vector<std::string> names;
    for (const char* name = ListFirstArea("C:"); name && names.size() < 16; name = ListNextArea())
        names.push_back(name);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(FakeCalls().back(), "areas C:* 1") << Listing(FakeCalls());
}

TEST_F(Areas, AFullLengthNameComesBackWhole) {
    const std::string raw = "C:" + std::string(253, 'N'); // 255 characters: the buffer's limit
    fake_add_area("C:*", raw.c_str());
    const char* name = ListFirstArea("C:");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::string(name), std::string(253, 'N'));
}

TEST_F(Areas, DeviceWithoutAreasStillLeavesItsPatternForTheNextStep) {
    EXPECT_EQ(ListFirstArea("E:"), nullptr);
    EXPECT_EQ(ListNextArea(), nullptr);
    EXPECT_EQ(FakeCalls(), (std::vector<std::string>{"areas E:* 0", "areas E:* 1"}))
        << Listing(FakeCalls());
}

TEST_F(Areas, ACountBetweenFirstAndNextChangesThePatternNextUses) {
    fake_add_area("C:*", "ONE");
    fake_add_area("C:*", "TWO");
    ASSERT_STREQ(ListFirstArea("C:"), "ONE");
    CountAreas("7");
    ListNextArea();
    EXPECT_EQ(FakeCalls().back(), "areas 7:* 1") << Listing(FakeCalls());
}

TEST_F(Areas, ADeviceWalkBetweenFirstAndNextLeavesThePatternOfItsLastProbe) {
    fake_add_area("C:*", "ONE");
    fake_add_area("C:*", "TWO");
    CStringList none;
    StoreFailedConnections(none);
    ASSERT_STREQ(ListFirstArea("C:"), "ONE");
    for (const char* d = ListFirstDevice(".", LF_LOCAL_DRIVES); d; d = ListNextDevice()) {
    }
    ListNextArea();
    EXPECT_EQ(FakeCalls().back(), "areas 9:* 1") << Listing(FakeCalls());
}

TEST_F(Areas, ListNextAreaNeverConnectsNorRebuildsThePattern) {
    fake_add_area("C:*", "ONE");
    ListFirstArea("C");
    fake_reset();
    ListNextArea();
    ListNextArea();
    EXPECT_EQ(FakeCalls(), (std::vector<std::string>{"areas C:* 1", "areas C:* 1"}))
        << Listing(FakeCalls());
}

// The pattern buffer holds 256 bytes: device, added colon, "*" and the NUL.
TEST_F(Areas, DeviceTextThatFitsThePatternIsUsedWhole) {
    const std::string withColon = std::string(253, 'D') + ":"; // 254 characters
    const std::string withoutColon(253, 'D');
    for (const std::string& device : {withColon, withoutColon}) {
        fake_reset();
        CountAreas(device.c_str());
        ListFirstArea(device.c_str());
        const std::string pattern = std::string(253, 'D') + ":*";
        EXPECT_EQ(FakeCalls(),
                  (std::vector<std::string>{"count " + pattern, "areas " + pattern + " 0"}))
            << "device of " << device.size() << " characters";
    }
}

TEST_F(Areas, DeviceTextTooLongForThePatternIsRefusedWithoutAStorageCall) {
    fake_add_area("C:*", "ONE");
    fake_add_area("C:*", "TWO");
    fake_add_area("C:*", "THREE");
    ASSERT_STREQ(ListFirstArea("C:"), "ONE");
    const std::string withColon = std::string(254, 'D') + ":"; // 255 characters
    const std::string withoutColon(254, 'D');
    const std::string huge(100000, 'D');
    for (const std::string& device : {withColon, withoutColon, huge}) {
        fake_reset();
        fake_add_area("C:*", "ONE");
        EXPECT_EQ(CountAreas(device.c_str()), 0u) << "device of " << device.size() << " characters";
        EXPECT_EQ(ListFirstArea(device.c_str()), nullptr)
            << "device of " << device.size() << " characters";
        EXPECT_TRUE(FakeCalls().empty()) << Listing(FakeCalls());
    }
    // The walk under way keeps its pattern.
    ListNextArea();
    EXPECT_EQ(FakeCalls(), std::vector<std::string>{"areas C:* 1"}) << Listing(FakeCalls());
}

} // namespace
