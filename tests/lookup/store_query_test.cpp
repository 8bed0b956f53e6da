// The dialog's store query without a window: what it asks the storage
// library for one choice, in which order, and what a stopped run leaves.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "store_query.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Texts;

// Answers "go on" until its nth question (counting from 1), then "stop".
struct CStopAt : CQueryObserver {
    explicit CStopAt(int n = 0) : m_nStopAt(n) {}
    bool GoOn() override { return ++m_nAsked != m_nStopAt; }
    void RowsRead(int nRows) override { m_rowsRead.push_back(nRows); }
    int m_nStopAt, m_nAsked = 0;
    std::vector<int> m_rowsRead;
};

Texts Strings(const std::vector<CString>& texts) {
    return Texts(texts.begin(), texts.end());
}
Texts Strings(const std::vector<SItemRow>& rows) {
    Texts names;
    for (const SItemRow& row : rows)
        names.push_back(row.name);
    return names;
}

class StoreQuery : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDriveMask(1u << 2); // C: alone
        CountAreas("C:");      // connected: the calls that follow are a refresh's
        Store();
    }
    static void Store() {
        fake_reset();
        fake_add_area("C:*", "C:PATTERNS");
        fake_add_area("C:*", "C:DATA");
        fake_add_area("3:*", "3:ARCHIVE");
        fake_add_item("C:PATTERNS", 9, "ABC", 1200, 1);
        fake_add_item("C:PATTERNS", 9, "ABD", 34, 2);
        fake_add_item("C:PATTERNS", 9, "XAB", 5, 3);
    }
    static SLookupChoice Choice(const char* area, const char* typed) {
        return {"C:", area, 9, CStoreQuery::PatternToWalk(typed), LF_LOCAL_DRIVES};
    }
    CStoreQuery m_query;
};

} // namespace

// A run asks for the devices, the areas, then the items, and reports the
// rows as it reads them. Stopped at each question of each walk in turn, it
// leaves the result of the run before whole, and the next run asks the
// store everything again.
TEST_F(StoreQuery, ARunAsksInOrderAndAStoppedRunLeavesThePreviousResult) {
    CStopAt never;
    ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "A"), never));
    const Texts calls = FakeCalls();
    EXPECT_EQ(calls.front(), "count C:*") << Listing(calls);
    EXPECT_EQ(Texts(calls.end() - 6, calls.end()),
              (Texts{"areas C:* 0", "areas C:* 1", "areas C:* 1", "data 9 C:PATTERNS A* 0",
                     "data 9 C:PATTERNS A* 1", "data 9 C:PATTERNS A* 1"}))
        << Listing(calls);
    EXPECT_EQ(Strings(m_query.GetListing().devices), (Texts{"C:", "3:"}));
    EXPECT_EQ(Strings(m_query.GetListing().areas), (Texts{"PATTERNS", "DATA"}));
    EXPECT_EQ(never.m_rowsRead, (std::vector<int>{1, 2}));
    ASSERT_EQ(never.m_nAsked, 6) << "two devices, two areas and two items each ask";
    ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "X"), never));
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE("stopped at question " + std::to_string(n));
        CStopAt stop(n);
        EXPECT_FALSE(m_query.Run(Choice("PATTERNS", "A"), stop));
        EXPECT_EQ(Strings(m_query.GetListing().rows), (Texts{"XAB"}));
        EXPECT_EQ(m_query.GetListing().choice.pattern, "X*");
        const size_t before = FakeCalls().size();
        ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "A"), never));
        EXPECT_EQ(FakeCalls().size() - before, calls.size());
        EXPECT_EQ(Strings(m_query.GetListing().rows), (Texts{"ABC", "ABD"}));
        ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "X"), never));
    }
}

TEST_F(StoreQuery, PatternRuleAndWhatTheItemWalkIsNeverAskedFor) {
    for (auto c : {std::pair<const char*, const char*>{"", "*"},
                   {"AB", "AB*"},
                   {"A?C", "A?C"},
                   {"*X", "*X"},
                   {"*", "*"}})
        EXPECT_EQ(CStoreQuery::PatternToWalk(c.first), c.second) << c.first;
    // 22 characters and the "*" are walked, a full 23 as they are; 24 never
    // reach the store, nor does a walk for an area that is not listed.
    const std::string full(23, 'A');
    EXPECT_EQ(CStoreQuery::PatternToWalk(full.c_str()), full.c_str());
    CStopAt never;
    for (size_t length : {22u, 23u})
        EXPECT_TRUE(m_query.Run(Choice("PATTERNS", full.substr(0, length).c_str()), never));
    EXPECT_EQ(fake_count_calls("data"), 2);
    Store();
    EXPECT_TRUE(m_query.Run({"C:", "PATTERNS", 9, (full + "A").c_str(), LF_LOCAL_DRIVES}, never));
    EXPECT_TRUE(m_query.Run(Choice("NONE", "A"), never));
    EXPECT_EQ(fake_count_calls("data"), 0) << Listing(FakeCalls());
    EXPECT_EQ(m_query.GetListing().areas.size(), 2u) << "the rest still lists";
    // A network device longer than a caller's 256 bytes hold is not offered.
    for (size_t length : {255u, 256u}) {
        fake_set_network_name(std::string(length, 'N').c_str());
        SLookupChoice choice = Choice("PATTERNS", "");
        choice.flags |= LF_NETWORK;
        ASSERT_TRUE(m_query.Run(choice, never));
        EXPECT_EQ(m_query.GetListing().devices.front().GetLength(), length == 255 ? 255 : 2);
    }
}
