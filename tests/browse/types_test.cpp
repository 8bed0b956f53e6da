// The 24 item types: table order, codes, the names from the module's
// strings, and the end of the walk.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const struct {
    int code;
    const char* name;
} kTypes[] = {
    {1, "Alteration"},
    {2, "Annotation"},
    {3, "Block Buffer"},
    {4, "Cut"},
    {5, "Stored Digitize Data"},
    {6, "Lay Limits"},
    {7, "Layrule"},
    {8, "Macro"},
    {9, "Marker"},
    {11, "Matching Rules"},
    {12, "Model"},
    {13, "Order"},
    {14, "P-Cutter"},
    {15, "P-Layrule-Search"},
    {16, "P-Marker-Plot"},
    {17, "P-Notch"},
    {18, "P-Piece-Plot"},
    {19, "P-User-Environ"},
    {20, "Piece"},
    {21, "Piece List"},
    {22, "Plot"},
    {23, "Rule Table"},
    {24, "Size Code"},
    {25, "Text"},
};

class Types : public testing::Test {
  protected:
    void SetUp() override { fake_reset(); }
};

TEST_F(Types, WalkGivesTheTableInOrderThenNullAndZero) {
    int code = -1;
    const char* name = ListFirstType(&code);
    for (size_t row = 0; row < 24; ++row) {
        ASSERT_NE(name, nullptr) << "row " << row;
        EXPECT_EQ(code, kTypes[row].code) << "row " << row;
        EXPECT_STREQ(name, kTypes[row].name) << "row " << row;
        code = -1;
        name = ListNextType(&code);
    }
    EXPECT_EQ(name, nullptr) << "25th call";
    EXPECT_EQ(code, 0) << "25th call";
    for (int i = 0; i < 3; ++i) {
        code = -1;
        EXPECT_EQ(ListNextType(&code), nullptr) << "call " << i << " after the end";
        EXPECT_EQ(code, 0) << "call " << i << " after the end";
    }
    EXPECT_EQ(fake_call_count(), 0) << Listing(FakeCalls());
}

TEST_F(Types, SecondWalkRestartsWithTheSameNames) {
    int code = 0;
    const char* first[24];
    first[0] = ListFirstType(&code);
    for (int row = 1; row < 24; ++row)
        first[row] = ListNextType(&code);
    // Half a walk, then a restart.
    ListFirstType(&code);
    ListNextType(&code);
    EXPECT_EQ(ListFirstType(&code), first[0]);
    EXPECT_EQ(code, 1);
    for (int row = 1; row < 24; ++row) {
        EXPECT_EQ(ListNextType(&code), first[row]) << "row " << row;
        EXPECT_STREQ(first[row], kTypes[row].name) << "row " << row;
    }
}

TEST_F(Types, EveryNameIsTerminatedWithinItsForty) {
    int code = 0;
    int rows = 0;
    for (const char* name = ListFirstType(&code); name && rows < 30; name = ListNextType(&code)) {
        EXPECT_LE(strnlen(name, 41), 40u) << "row " << rows;
        ++rows;
    }
    EXPECT_EQ(rows, 24);
}

} // namespace
