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
class CStopAt : public CQueryObserver {
  public:
    explicit CStopAt(int n = 0) : m_nStopAt(n) {}
    bool GoOn() override { return ++m_nAsked != m_nStopAt; }
    void RowsRead(int nRows) override { m_rowsRead.push_back(nRows); }
    int m_nAsked = 0;
    std::vector<int> m_rowsRead;

  private:
    int m_nStopAt;
};

Texts Names(const std::vector<SItemRow>& rows) {
    Texts names;
    for (const SItemRow& row : rows)
        names.push_back(row.name);
    return names;
}

Texts Strings(const std::vector<CString>& texts) {
    return Texts(texts.begin(), texts.end());
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

TEST_F(StoreQuery, ARunAsksDevicesAreasThenItemsAndHandsBackWhatItFound) {
    CStopAt never;
    ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "AB"), never));
    const Texts calls = FakeCalls();
    ASSERT_GT(calls.size(), 6u) << Listing(calls);
    const Texts tail(calls.end() - 6, calls.end());
    EXPECT_EQ(tail, (Texts{"areas C:* 0", "areas C:* 1", "areas C:* 1", "data 9 C:PATTERNS AB* 0",
                           "data 9 C:PATTERNS AB* 1", "data 9 C:PATTERNS AB* 1"}))
        << Listing(calls);
    EXPECT_EQ(calls.front(), "count C:*") << "the device walk probes C: first";
    const SLookupListing& found = m_query.GetListing();
    EXPECT_EQ(Strings(found.devices), (Texts{"C:", "3:"}));
    EXPECT_EQ(Strings(found.areas), (Texts{"PATTERNS", "DATA"}));
    EXPECT_TRUE(found.bAreaListed);
    ASSERT_EQ(Names(found.rows), (Texts{"ABC", "ABD"}));
    EXPECT_EQ(found.rows[0].size, 1200);
    EXPECT_EQ(found.rows[1].modified, 2);
    EXPECT_EQ(found.choice.pattern, "AB*");
    EXPECT_EQ(never.m_rowsRead, (std::vector<int>{1, 2})) << "progress while the walk reads";
}

TEST_F(StoreQuery, PatternRuleAndWhatTheItemWalkIsNeverAskedFor) {
    for (auto c : {std::pair<const char*, const char*>{"", "*"},
                   {"AB", "AB*"},
                   {"A?C", "A?C"},
                   {"*X", "*X"},
                   {"*", "*"}})
        EXPECT_EQ(CStoreQuery::PatternToWalk(c.first), c.second) << c.first;
    // 23 characters with the "*" are walked; 24 never reach the store.
    CStopAt never;
    EXPECT_TRUE(m_query.Run(Choice("PATTERNS", std::string(22, 'A').c_str()), never));
    EXPECT_EQ(fake_count_calls(("data 9 C:PATTERNS " + std::string(22, 'A') + "* 0").c_str()), 1);
    Store();
    EXPECT_TRUE(m_query.Run(Choice("PATTERNS", std::string(23, 'A').c_str()), never));
    EXPECT_EQ(fake_count_calls("data"), 0) << Listing(FakeCalls());
    EXPECT_EQ(m_query.GetListing().areas.size(), 2u) << "the rest still lists";
    // No area of that name: no item walk either.
    EXPECT_TRUE(m_query.Run(Choice("NONE", "A"), never));
    EXPECT_EQ(fake_count_calls("data"), 0);
    // A network device longer than a caller's 256 bytes hold is not offered.
    for (size_t length : {255u, 256u}) {
        const std::string name(length, 'N');
        fake_set_network_name(name.c_str());
        SLookupChoice choice = Choice("PATTERNS", "");
        choice.flags |= LF_NETWORK;
        ASSERT_TRUE(m_query.Run(choice, never));
        EXPECT_EQ(Strings(m_query.GetListing().devices).front() == name, length == 255) << length;
    }
}

// Stopped at every question of every walk in turn: the result of the run
// before stays whole, and the next run asks the store everything again.
TEST_F(StoreQuery, AStoppedRunLeavesThePreviousResultAndTheRerunAsksAgain) {
    CStopAt never;
    ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "A"), never));
    const int questions = never.m_nAsked;
    const size_t callsOfARun = FakeCalls().size();
    ASSERT_EQ(questions, 6) << "two devices, two areas and two items each ask";
    ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "X"), never));
    for (int n = 1; n <= questions; ++n) {
        SCOPED_TRACE("stopped at question " + std::to_string(n));
        CStopAt stop(n);
        EXPECT_FALSE(m_query.Run(Choice("PATTERNS", "A"), stop));
        EXPECT_EQ(Names(m_query.GetListing().rows), (Texts{"XAB"}));
        EXPECT_EQ(m_query.GetListing().choice.pattern, "X*");
        const size_t before = FakeCalls().size();
        ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "A"), never));
        EXPECT_EQ(FakeCalls().size() - before, callsOfARun);
        EXPECT_EQ(Names(m_query.GetListing().rows), (Texts{"ABC", "ABD"}));
        ASSERT_TRUE(m_query.Run(Choice("PATTERNS", "X"), never));
    }
}
