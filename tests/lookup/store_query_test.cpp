// The dialog's store query without a window: what it asks the storage
// library for one choice, in which order, and what a stopped run leaves.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "refresh_scheduler.h"
#include "store_query.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Texts;

// Answers "go on" until its nth question (counting from 1), then "stop".
struct CStopAt : CQueryObserver {
    explicit CStopAt(int n = 0) : m_nStopAt(n) {}
    bool GoOn() override { return ++m_nAsked != m_nStopAt; }
    int m_nStopAt, m_nAsked = 0;
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

// A run asks for the devices, the areas, then the items. Stopped at each
// question of each walk in turn, it leaves the result of the run before
// whole, and the next run asks the store everything again.
TEST_F(StoreQuery, ARunAsksInOrderAndAStoppedRunLeavesThePreviousResult) {
    CStopAt never;
    ASSERT_EQ(m_query.Run(Choice("PATTERNS", "A"), never), CStoreQuery::kComplete);
    const Texts calls = FakeCalls();
    EXPECT_EQ(calls.front(), "count C:*") << Listing(calls);
    EXPECT_EQ(Texts(calls.end() - 6, calls.end()),
              (Texts{"areas C:* 0", "areas C:* 1", "areas C:* 1", "data 9 C:PATTERNS A* 0",
                     "data 9 C:PATTERNS A* 1", "data 9 C:PATTERNS A* 1"}))
        << Listing(calls);
    EXPECT_EQ(Strings(m_query.GetListing().devices), (Texts{"C:", "3:"}));
    EXPECT_EQ(Strings(m_query.GetListing().areas), (Texts{"PATTERNS", "DATA"}));
    ASSERT_EQ(never.m_nAsked, 6) << "two devices, two areas and two items each ask";
    ASSERT_EQ(m_query.Run(Choice("PATTERNS", "X"), never), CStoreQuery::kComplete);
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE("stopped at question " + std::to_string(n));
        CStopAt stop(n);
        EXPECT_EQ(m_query.Run(Choice("PATTERNS", "A"), stop), CStoreQuery::kStopped);
        EXPECT_EQ(Strings(m_query.GetListing().rows), (Texts{"XAB"}));
        EXPECT_EQ(m_query.GetListing().choice.pattern, "X*");
        const size_t before = FakeCalls().size();
        ASSERT_EQ(m_query.Run(Choice("PATTERNS", "A"), never), CStoreQuery::kComplete);
        EXPECT_EQ(FakeCalls().size() - before, calls.size());
        EXPECT_EQ(Strings(m_query.GetListing().rows), (Texts{"ABC", "ABD"}));
        ASSERT_EQ(m_query.Run(Choice("PATTERNS", "X"), never), CStoreQuery::kComplete);
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
        EXPECT_EQ(m_query.Run(Choice("PATTERNS", full.substr(0, length).c_str()), never),
                  CStoreQuery::kComplete);
    EXPECT_EQ(fake_count_calls("data"), 2);
    Store();
    EXPECT_EQ(m_query.Run({"C:", "PATTERNS", 9, (full + "A").c_str(), LF_LOCAL_DRIVES}, never),
              CStoreQuery::kComplete);
    EXPECT_EQ(m_query.Run(Choice("NONE", "A"), never), CStoreQuery::kComplete);
    EXPECT_EQ(fake_count_calls("data"), 0) << Listing(FakeCalls());
    EXPECT_EQ(m_query.GetListing().areas.size(), 2u) << "the rest still lists";
    // A network device longer than a caller's 256 bytes hold is not offered.
    for (size_t length : {255u, 256u}) {
        fake_set_network_name(std::string(length, 'N').c_str());
        SLookupChoice choice = Choice("PATTERNS", "");
        choice.flags |= LF_NETWORK;
        ASSERT_EQ(m_query.Run(choice, never), CStoreQuery::kComplete);
        EXPECT_EQ(m_query.GetListing().devices.front().GetLength(), length == 255 ? 255 : 2);
    }
}

namespace {

// The dialog as the refresh scheduler sees it, scripted: each input arrives
// once the item walks have made its number of calls (before the first fill
// when negative), in its order, and does to the controls what the window's
// would. Every storage call takes 30 ms, so every call of a walk looks.
enum EStep { kType, kSend, kDown, kClick, kEnter, kEscape, kPickOpen, kNested };
const EInput kKind[] = {EInput::kUser, EInput::kOther, EInput::kRowKey, EInput::kUser,
                        EInput::kUser, EInput::kEnds,  EInput::kOther,  EInput::kOther};
struct SStep {
    EStep what;
    int at;
    std::string text = "";
};

struct CScriptedDialog : CRefreshHost {
    CScriptedDialog(const char* area, const std::vector<SStep>& steps)
        : m_area(area), m_queue(steps.begin(), steps.end()) {}

    // As the modal loop would, until the dialog ends or nothing is left.
    void Run() {
        while (!m_queue.empty() && m_queue.front().at < 0)
            TakeInput(false);
        m_scheduler.FirstFill(Now());
        for (int n = 0; n < 1000 && !m_bEnding; ++n) {
            if (NextInput() != EInput::kNone)
                TakeInput(false);
            else if (m_bTimer)
                m_scheduler.TimerFired();
            else if (!m_queue.empty())
                m_queue.front().at = 0; // the dialog is idle: it comes now
            else
                break;
        }
    }

    EInput NextInput() override {
        const bool bReady = !m_queue.empty() && m_queue.front().at <= fake_count_calls("data");
        return bReady ? kKind[m_queue.front().what] : EInput::kNone;
    }
    void TakeInput(bool bHold) override {
        const SStep step = m_queue.front();
        m_queue.pop_front();
        bHold ? m_held.push_back(step) : Handle(step);
    }
    bool HandleHeldInput() override {
        if (m_held.empty())
            return false;
        const SStep step = m_held.front();
        m_held.pop_front();
        Handle(step);
        return true;
    }
    bool TypedKeysWaiting() override { return !m_held.empty() || NextInput() == EInput::kUser; }
    void SetRefreshTimer(bool bSet) override { m_bTimer = bSet; }
    bool IsClosing() override { return m_bEnding; }
    uint32_t Now() override {
        return m_bRandomClock ? m_clock += m_random() % 80 : fake_call_count() * 30;
    }
    uint32_t PreciseNow() override { return Now(); }
    void ShowPatternAndTypes(bool bPattern) override {
        m_name = bPattern ? "*" : m_name; // the caller's pattern is ""
        m_types = CStoreQuery::ListTypes();
        for (STypeEntry& type : m_types)
            type.name = "????"; // as a code page that cannot show them would
        m_typeShown = CStoreQuery::TypeOfChoice(m_types, 9);
    }
    SLookupChoice ReadChoice() override {
        EXPECT_FALSE(m_bListOpen) << "walked with a selector's list open";
        const int type = m_typeShown < 0 ? -1 : m_types[static_cast<size_t>(m_typeShown)].code;
        return {"C:", m_area.c_str(), type, CStoreQuery::PatternToWalk(m_name.c_str()),
                LF_LOCAL_DRIVES};
    }
    // Only the rows of the name the field shows.
    void ShowFirstRows(const SLookupChoice& choice, const SItemRow* pRows, int nRows) override {
        EXPECT_EQ(choice.pattern, CStoreQuery::PatternToWalk(m_name.c_str()).GetString());
        m_rows = Strings(std::vector<SItemRow>(pRows, pRows + nRows));
        m_selected = -1;
        ++m_nBatches;
    }
    void AppendRows(const SItemRow* pRows, int nRows) override {
        const Texts added = Strings(std::vector<SItemRow>(pRows, pRows + nRows));
        m_rows.insert(m_rows.end(), added.begin(), added.end());
        ++m_nBatches;
    }
    void ShowRowsRead(int nRead) override { EXPECT_GT(nRead, static_cast<int>(m_rows.size())); }
    void ShowListing(const SLookupListing& listing, std::vector<SItemRow>&& rows, int nShown,
                     bool) override {
        const int area = CStoreQuery::NameOfChoice(listing.areas, m_area.c_str());
        m_area = area < 0 ? "" : listing.areas[static_cast<size_t>(area)].GetString();
        if (nShown < 0)
            m_rows.clear(), m_selected = -1, nShown = 0;
        AppendRows(rows.data() + nShown, static_cast<int>(rows.size()) - nShown);
    }
    void ShowStoppedWalk() override {}

    void Handle(const SStep& step) {
        auto rows = [&] { return static_cast<int>(m_rows.size()); };
        switch (step.what) {
        case kType: // typed over the "*" the first fill shows
        case kSend:
            m_name = (step.what == kType && m_name != "*" ? m_name : "") + step.text;
            return m_scheduler.Changed(EChange::kName);
        case kDown:
            m_scheduler.BeforeRowKey();
            m_selected = std::min(m_selected + 1, rows() - 1);
            return m_scheduler.AfterRowKey();
        case kClick:
            m_selected = std::stoi(step.text);
            return;
        case kEnter:
            m_scheduler.Confirm();
            if (m_selected >= 0 && m_selected < rows())
                m_rows = {m_rows[static_cast<size_t>(m_selected)]};
            m_answer = m_selected >= 0 ? 1 : 0;
            m_area = m_scheduler.GetListing().choice.area.GetString();
            m_bEnding = true;
            return;
        case kEscape:
            m_rows.clear();
            m_answer = 0;
            m_bEnding = true;
            return;
        case kPickOpen: // the selector closes its list once told
            m_area = step.text;
            m_bListOpen = true;
            m_scheduler.Changed(EChange::kPickInOpenList);
            m_bListOpen = false;
            return;
        case kNested: // the caller's own window walks, or a second Lookup
            for (const char* name = ListFirstItem("C:", "DATA", 9, "*"); name;
                 name = ListNextItem())
                ;
            return;
        }
    }

    std::string m_area, m_name;
    std::deque<SStep> m_queue, m_held;
    std::vector<STypeEntry> m_types;
    Texts m_rows; // shown, or confirmed
    int m_answer = -1, m_typeShown = -1, m_selected = -1;
    bool m_bTimer = false, m_bEnding = false, m_bListOpen = false;
    bool m_bRandomClock = false; // else 30 ms a storage call
    std::minstd_rand m_random;
    uint32_t m_clock = 0;
    int m_nBatches = 0;
    CRefreshScheduler m_scheduler{*this};
};

// The first call of each item walk.
Texts ItemWalks() {
    Texts walks;
    for (const std::string& call : FakeCalls())
        if (call.compare(0, 5, "data ") == 0 && call.compare(call.size() - 2, 2, " 0") == 0)
            walks.push_back(call.substr(9, call.size() - 11)); // after "data 9 C:"
    return walks;
}

} // namespace

// Input in any order during a walk over "M0" to "M9" and "X1" (a walk of 12
// calls): the storage calls each script causes and what the dialog ends
// with. The first walk ends at call 12; "M*" ends at call 23.
TEST_F(StoreQuery, InputDuringAWalkIsHandledInItsOrder) {
    struct SCase {
        const char* what;
        const char* area; // the caller's, then the one shown or confirmed
        std::vector<SStep> steps;
        Texts walks;
        int calls;             // item walk calls in all
        int answer;            // -1: still open
        Texts rows;            // chosen, or shown while open
        const char* areaAfter; // shown, or confirmed
    };
    const Texts all = {"M0", "M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8", "M9", "X1"};
    // clang-format off
    const SCase cases[] = {
        {"a row clicked during a walk, then Enter: the row picked", "PATTERNS",
         {{kType, 12, "M"}, {kClick, 14, "2"}, {kEnter, 14}},
         {"PATTERNS *", "PATTERNS M*"}, 14, 1, {"M2"}, "PATTERNS"},
        {"Down and Enter during a walk wait for its rows", "PATTERNS",
         {{kType, 12, "X"}, {kDown, 13}, {kEnter, 13}},
         {"PATTERNS *", "PATTERNS X*"}, 14, 1, {"X1"}, "PATTERNS"},
        {"Down runs the refresh a typed key deferred; Enter waits for its rows", "PATTERNS",
         {{kType, 5, "X"}, {kDown, 5}, {kEnter, 5}},
         {"PATTERNS *", "PATTERNS X*"}, 7, 1, {"X1"}, "PATTERNS"},
        {"Down, then Escape: Escape does not wait behind Down", "PATTERNS",
         {{kType, 12, "M"}, {kDown, 14}, {kEscape, 14}},
         {"PATTERNS *", "PATTERNS M*"}, 14, 0, {}, "PATTERNS"},
        {"a text sent before the first fill is the text walked", "PATTERNS",
         {{kSend, -1, "M1"}}, {"PATTERNS M1*"}, 2, -1, {"M1"}, "PATTERNS"},
        {"a nested walk during a walk: the walk runs again, whole", "PATTERNS",
         {{kNested, 5}}, {"PATTERNS *", "DATA *", "PATTERNS *"}, 19, -1, all, "PATTERNS"},
        {"a pick with its list open: walked once the list has closed", "PATTERNS",
         {{kPickOpen, 12, "DATA"}}, {"PATTERNS *", "DATA *"}, 14, -1, {"D1"}, "DATA"},
        {"a program's text and keys during a walk: one walk for the last", "PATTERNS",
         {{kType, 12, "M"}, {kSend, 14, "M1"}, {kType, 14, "2"}, {kType, 14, "X"}},
         {"PATTERNS *", "PATTERNS M*", "PATTERNS M12X*"}, 15, -1, {}, "PATTERNS"},
        {"Enter during a walk confirms the rows shown, with their area", "PATTERNS",
         {{kPickOpen, 12, "DATA"}, {kPickOpen, 14, "PATTERNS"}, {kClick, 16, "0"}, {kEnter, 16}},
         {"PATTERNS *", "DATA *", "PATTERNS *"}, 16, 1, {"D1"}, "DATA"},
        {"areas that differ only in case, types that read alike", "data",
         {{kType, 2, "d"}}, {"data *", "data d*"}, 4, -1, {"d2"}, "data"},
    };
    // clang-format on
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        fake_reset();
        for (const char* area : {"C:PATTERNS", "C:DATA", "C:data"})
            fake_add_area("C:*", area);
        for (int i = 0; i < 10; ++i)
            fake_add_item("C:PATTERNS", 9, ("M" + std::to_string(i)).c_str(), 1, 0);
        fake_add_item("C:PATTERNS", 9, "X1", 1, 0);
        fake_add_item("C:DATA", 9, "D1", 1, 0);
        fake_add_item("C:data", 9, "d2", 1, 0);
        CScriptedDialog dialog(c.area, c.steps);
        dialog.m_scheduler.StreamRows(false); // the rows of a walk show when it completes
        dialog.Run();
        EXPECT_EQ(ItemWalks(), c.walks);
        EXPECT_EQ(fake_count_calls("data"), c.calls);
        EXPECT_EQ(dialog.m_answer, c.answer);
        EXPECT_EQ(dialog.m_rows, c.rows);
        EXPECT_EQ(dialog.m_area, c.areaAfter);
    }
}

// Rows shown as a walk reads them, in batches whose boundaries a random
// clock moves, under changes at random calls: the list ends as the rows of
// one walk that showed nothing on the way.
TEST_F(StoreQuery, RowsShownAsTheWalkReadsThemEndAsTheWalksOwn) {
    int batches = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        fake_reset();
        fake_add_area("C:*", "C:PATTERNS");
        for (int i = 0; i < 300; ++i)
            fake_add_item("C:PATTERNS", 9, ("M" + std::to_string(i)).c_str(), 1, 0);
        std::minstd_rand random(seed);
        std::vector<SStep> steps;
        for (int n = static_cast<int>(random() % 4); n > 0; --n)
            steps.push_back({random() % 2 ? kType : kSend, static_cast<int>(random() % 700),
                             std::string(1, "M12X0"[random() % 5])});
        std::sort(steps.begin(), steps.end(),
                  [](const SStep& a, const SStep& b) { return a.at < b.at; });
        CScriptedDialog dialog("PATTERNS", steps);
        dialog.m_bRandomClock = true;
        dialog.m_random.seed(seed);
        dialog.Run();
        batches += dialog.m_nBatches;
        CStopAt never;
        CStoreQuery alone;
        const SLookupChoice last = {"C:", "PATTERNS", 9,
                                    CStoreQuery::PatternToWalk(dialog.m_name.c_str()),
                                    LF_LOCAL_DRIVES};
        ASSERT_EQ(alone.Run(last, never), CStoreQuery::kComplete);
        EXPECT_EQ(dialog.m_rows, Strings(alone.GetListing().rows));
    }
    EXPECT_GT(batches, 80) << "too few batches to show anything";
}
