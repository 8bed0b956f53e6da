// The dialog's store query without a window: what it asks the storage
// library for one choice, in which order, and what a stopped run leaves.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "refresh_scheduler.h"
#include "shown_rows.h"
#include "store_query.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
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
        const SLookupListing& listing = m_query.GetListing();
        EXPECT_EQ(Strings(listing.rows), (Texts{"ABC", "ABD"}));
        EXPECT_EQ(listing.rows[1].modified * 100 + listing.rows[1].size, 234) << "ABD's time, size";
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
    // The choice's entry: its exact name, else the first differing in case.
    const std::vector<CString> areas = {"DATA", "data", "Data"};
    for (auto c : {std::pair<const char*, int>{"data", 1}, {"Data", 2}, {"dATA", 0}, {"X", -1}})
        EXPECT_EQ(CStoreQuery::NameOfChoice(areas, c.first), c.second) << c.first;
    const std::vector<STypeEntry> types = {{"????", 9}, {"????", 9}};
    EXPECT_EQ(CStoreQuery::TypeOfChoice(types, 9) * 10 + CStoreQuery::TypeOfChoice(types, 8), -1);
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
// when negative; only once the dialog is settled when kSettled), in its
// order, and does to the controls what the window's would. The modal loop
// is the dialog's: a message that reads the rows waits at the head of the
// queue for the walk due; the scheduler takes what waits behind it ahead
// only to see whether the user leaves. A typed name is painted once the
// loop has nothing else, and the walk due goes on after it. Every storage
// call takes 25 ms unless told, so every call of a walk looks; the list
// shows 4 rows. What the scheduler does is written to a trace.
enum EStep { kType, kBack, kSend, kDown, kUp, kClick, kEnter, kEscape, kPickOpen, kNested };
const char* const kName[] = {"type",  "Back",  "send",   "Down", "Up",
                             "click", "Enter", "Escape", "pick", "nested"};
const int kSettled = 1 << 30;
struct SStep {
    EStep what;
    int at;
    std::string text = "";
};

struct CScriptedDialog : CRefreshHost {
    CScriptedDialog(const char* area, const std::vector<SStep>& steps)
        : m_area(area), m_queue(steps.begin(), steps.end()) {}

    // As the modal loop does, until the dialog ends or nothing is left.
    void Run() {
        while (!m_queue.empty() && m_queue.front().at < 0)
            Take();
        m_scheduler.FirstFill(Now() - m_openedAgo);
        for (int n = 0; n < 10000 && !m_bEnding; ++n) {
            if (Waits()) {
                const EStep next = Next().what;
                const bool bReads =
                    next == kDown || next == kUp || next == kClick || next == kEnter;
                if (!bReads || !m_scheduler.RowsRead())
                    Take();
            } else if (m_bPaint || m_bPaintAlways) {
                m_bPaint = false;
                m_clock += m_bPaintAlways ? 30 : 0;
                m_trace.push_back("paint");
                m_scheduler.Idle();
            } else if (!m_scheduler.Idle()) {
                if (m_queue.empty())
                    break;
                m_queue.front().at = 0; // the dialog is settled: it comes now
            }
        }
    }
    bool Ready() const {
        return !m_queue.empty() && m_queue.front().at <= fake_count_calls("data");
    }
    bool Waits() const { return !m_ahead.empty() || Ready(); }
    const SStep& Next() const { return m_ahead.empty() ? m_queue.front() : m_ahead.front(); }
    void Take() {
        const SStep step = Next();
        (m_ahead.empty() ? m_queue : m_ahead).pop_front();
        Handle(step);
    }

    bool InputWaits(bool bPainting) override {
        return ++m_nLooks, Waits() || (bPainting && (m_bPaint || m_bPaintAlways));
    }
    bool UserLeaves() override {
        for (size_t i = 0; Ready() || i < m_ahead.size(); ++i) {
            if (i == m_ahead.size())
                m_ahead.push_back(m_queue.front()), m_queue.pop_front();
            if (i > 0 && m_ahead[i].what == kEnter)
                return false;
            if (i > 0 && m_ahead[i].what == kEscape) {
                m_trace.push_back("answer 0");
                return m_bEnding = true;
            }
        }
        return false;
    }
    bool IsClosing() override { return m_bEnding; }
    uint32_t Now() override {
        return m_bRandomClock ? m_clock += m_random() % 80
                              : fake_call_count() * m_msPerCall + m_clock;
    }
    uint32_t PreciseNow() override { return Now(); }
    void ShowPatternAndTypes(bool bPattern) override {
        m_name = bPattern ? "*" : m_name; // the caller's pattern is ""
        m_types = CStoreQuery::ListTypes();
        m_typeShown = CStoreQuery::TypeOfChoice(m_types, 9);
    }
    SLookupChoice Controls() const {
        const int type = m_typeShown < 0 ? -1 : m_types[static_cast<size_t>(m_typeShown)].code;
        return {"C:", m_area.c_str(), type, CStoreQuery::PatternToWalk(m_name.c_str()),
                LF_LOCAL_DRIVES};
    }
    SLookupChoice ReadChoice() override {
        EXPECT_FALSE(m_bListOpen) << "walked with a selector's list open";
        m_trace.push_back("walk " + m_area + " " + Controls().pattern.GetString());
        return Controls();
    }
    void Changed(EChange change) {
        m_shown.Changed(Controls());
        m_scheduler.Changed(change);
    }
    int RowsInView() override { return std::min(4, static_cast<int>(m_rows.size())); }
    void ShowFirstRows(const SLookupChoice& choice, const SItemRow* pRows, int nRows) override {
        Replace(choice, Strings(std::vector<SItemRow>(pRows, pRows + nRows)));
        m_trace.push_back("rows " + std::to_string(nRows));
        ++m_nBatches;
    }
    void AppendRows(const SItemRow* pRows, int nRows) override {
        const Texts added = Strings(std::vector<SItemRow>(pRows, pRows + nRows));
        m_rows.insert(m_rows.end(), added.begin(), added.end());
        KeepPick();
        m_trace.push_back("+" + std::to_string(nRows));
        ++m_nBatches;
    }
    void ShowRowsRead(int nRead) override { EXPECT_GT(nRead, static_cast<int>(m_rows.size())); }
    // A listing from the controls is announced ("!"), the first fill's not.
    void ShowListing(const SLookupListing& listing, std::vector<SItemRow>&& rows, int nShown,
                     bool bAnnounce) override {
        const Texts all = Strings(rows);
        if (nShown < 0)
            Replace(listing.choice, all);
        else
            m_rows = all, KeepPick();
        m_trace.push_back("listed " + std::to_string(all.size()) + (bAnnounce ? "!" : ""));
    }
    void ShowStoppedWalk() override { m_trace.push_back("aside"); }

    // The list's part: a refill keeps the user's pick where it can.
    CStringArray Selection() const {
        CStringArray selected;
        if (m_selected >= 0)
            selected.Add(m_rows[static_cast<size_t>(m_selected)].c_str());
        return selected;
    }
    void Replace(const SLookupChoice& choice, const Texts& rows) {
        m_shown.Replace(choice, Selection(), "");
        m_rows = rows;
        m_selected = -1;
        KeepPick();
    }
    void KeepPick() {
        const CShownRows::SPick* pPick = m_shown.GetPickToKeep();
        for (size_t i = 0; pPick && i < m_rows.size(); ++i)
            m_selected =
                m_rows[i] == pPick->names[0].GetString() ? static_cast<int>(i) : m_selected;
    }
    void Select(int row) { m_selected = row, m_shown.Selected(); }

    void Handle(const SStep& step) {
        const int last = static_cast<int>(m_rows.size()) - 1;
        switch (step.what) {
        case kType: // typed over the "*" the first fill shows
        case kSend:
            m_name = (step.what == kType && m_name != "*" ? m_name : "") + step.text;
            m_bPaint = step.what == kType;
            return Changed(EChange::kName);
        case kBack:
            m_name = m_name.substr(0, m_name.empty() ? 0 : m_name.size() - 1);
            m_bPaint = true;
            return Changed(EChange::kName);
        case kDown:
        case kUp:
            if (last >= 0)
                Select(std::max(0, std::min(m_selected + (step.what == kDown ? 1 : -1), last)));
            return;
        case kClick:
            return Select(std::stoi(step.text) <= last ? std::stoi(step.text) : -1);
        case kEnter: {
            m_scheduler.RowsRead();
            const CStringArray names = Selection();
            const CString area = m_shown.GetChoice().area;
            m_trace.push_back(names.IsEmpty() ? "answer 0"
                                              : "answer 1 " + std::string(names[0].GetString()) +
                                                    " " + area.GetString());
            m_bEnding = true;
            return;
        }
        case kEscape:
            m_trace.push_back("answer 0");
            m_bEnding = true;
            return;
        case kPickOpen: // the selector closes its list once told
            m_area = step.text;
            m_bListOpen = true;
            Changed(EChange::kPickInOpenList);
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
    std::deque<SStep> m_queue, m_ahead;
    std::vector<STypeEntry> m_types;
    Texts m_rows, m_trace;
    int m_typeShown = -1, m_selected = -1;
    bool m_bEnding = false, m_bListOpen = false, m_bPaint = false, m_bPaintAlways = false;
    bool m_bRandomClock = false; // else m_msPerCall a storage call
    uint32_t m_msPerCall = 25, m_openedAgo = 0;
    int m_nLooks = 0;
    std::minstd_rand m_random;
    uint32_t m_clock = 0;
    int m_nBatches = 0;
    CShownRows m_shown;
    CRefreshScheduler m_scheduler{*this};
};

void StoreOfTwelve() {
    fake_reset();
    for (const char* area : {"C:PATTERNS", "C:DATA"})
        fake_add_area("C:*", area);
    for (int i = 0; i < 10; ++i)
        fake_add_item("C:PATTERNS", 9, ("M" + std::to_string(i)).c_str(), 1, 0);
    fake_add_item("C:PATTERNS", 9, "X1", 1, 0);
    fake_add_item("C:DATA", 9, "D1", 1, 0);
}

} // namespace

// Input during a walk over "M0" to "M9" and "X1" (a walk of 12 calls): what
// the scheduler does, in its order, and what the dialog ends with, with the
// rows shown as a walk reads them and (the trace without its batches,
// unless given) only once complete. The first walk ends at call 12; "M*"
// ends at call 23.
TEST_F(StoreQuery, AWalkStepsAsideForInputAndOnlyRowsWaitForIt) {
    struct SCase {
        const char* what;
        std::vector<SStep> steps;
        Texts trace;
        Texts whenComplete = {};
        uint32_t msPerCall = 25, openedAgo = 0;
    };
    // clang-format off
    const SCase cases[] = {
        {"input that changes nothing: the walk steps aside, then goes on from its next call",
         {{kClick, 5, "20"}},
         {"walk PATTERNS *", "rows 0", "+1", "aside", "+10", "listed 11"}},
        {"a character typed ahead: its walk is due, and the row key after it waits for that",
         {{kType, 12, "M"}, {kType, 14, "1"}, {kDown, 14}, {kEnter, 14}},
         {"walk PATTERNS *", "rows 0", "+1", "+10", "listed 11", "walk PATTERNS M*", "aside",
          "paint", "aside", "walk PATTERNS M1*", "listed 1!", "answer 1 M1 PATTERNS"}},
        {"Escape behind a row key ends the dialog at once",
         {{kType, 12, "M"}, {kDown, 14}, {kEscape, 14}},
         {"walk PATTERNS *", "rows 0", "+1", "+10", "listed 11", "walk PATTERNS M*", "aside",
          "paint", "aside", "answer 0"}},
        {"Return before Escape: the rows Return waits for are confirmed",
         {{kType, 12, "M"}, {kDown, 14}, {kEnter, 14}, {kEscape, 14}},
         {"walk PATTERNS *", "rows 0", "+1", "+10", "listed 11", "walk PATTERNS M*", "aside",
          "paint", "aside", "rows 4", "listed 10!", "answer 1 M0 PATTERNS"}},
        {"a change's first rows are due 100 ms after it, not after the opening: a short walk "
         "shows them once", {{kSend, 12, "M"}},
         {"walk PATTERNS *", "rows 0", "+1", "listed 11", "walk PATTERNS M*", "listed 10!"}, {},
         1, 1000},
        {"a text sent before the first fill is the text walked",
         {{kSend, -1, "M1"}},
         {"walk PATTERNS M1*", "rows 0", "+1", "listed 1"}},
        {"a nested walk between two slices: the walk runs again, whole",
         {{kNested, 5}},
         {"walk PATTERNS *", "rows 0", "+1", "aside", "walk PATTERNS *", "rows 1", "+10",
          "listed 11"}},
        {"a pick with its list open: walked once the list has closed",
         {{kPickOpen, 12, "DATA"}},
         {"walk PATTERNS *", "rows 0", "+1", "+10", "listed 11", "aside", "walk DATA *",
          "listed 1!"}},
        {"a pick survives the refill of its own choice",
         {{kClick, 12, "1"}, {kSend, 12, "*"}, {kEnter, 12}},
         {"walk PATTERNS *", "rows 0", "+1", "+10", "listed 11", "aside", "walk PATTERNS *",
          "rows 4", "listed 11!", "answer 1 M1 PATTERNS"},
         {"walk PATTERNS *", "listed 11", "aside", "walk PATTERNS *", "listed 11!",
          "answer 1 M1 PATTERNS"}},
    };
    // clang-format on
    for (const SCase& c : cases) {
        for (bool bStream : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (bStream ? ", streamed" : ", when complete"));
            StoreOfTwelve();
            CScriptedDialog dialog("PATTERNS", c.steps);
            dialog.m_scheduler.StreamRows(bStream);
            dialog.m_msPerCall = c.msPerCall;
            dialog.m_openedAgo = c.openedAgo;
            dialog.Run();
            Texts expected = bStream || c.whenComplete.empty() ? Texts() : c.whenComplete;
            for (const std::string& t : expected.empty() ? c.trace : Texts())
                if (bStream || (t[0] != '+' && t.compare(0, 5, "rows ") != 0))
                    expected.push_back(t);
            EXPECT_EQ(dialog.m_trace, expected);
        }
    }
    // A look is a trip to the system: one every 25 ms of walk at most, also
    // where a paint (30 ms) is never validated and every look steps aside.
    for (bool bPaintAlways : {false, true}) {
        StoreOfTwelve();
        CScriptedDialog dialog("PATTERNS", {});
        dialog.m_msPerCall = 10;
        dialog.m_bPaintAlways = bPaintAlways;
        dialog.Run();
        EXPECT_EQ(std::count(dialog.m_trace.begin(), dialog.m_trace.end(), "listed 11"), 1);
        EXPECT_EQ(dialog.m_nLooks, 5) << "14 calls of 10 ms";
    }
}

// Input typed ahead answers what the same input answers on a settled
// dialog, where each message comes once the walk before it has ended: the
// same answer, and, unless the user left, the same rows and selection.
// Random sequences, each message at a random storage call; a failure
// prints its seed and sequence.
TEST_F(StoreQuery, InputTypedAheadAnswersAsOnASettledDialog) {
    const EStep alphabet[] = {kType, kType, kType,  kBack,   kSend,     kDown,
                              kDown, kUp,   kClick, kEscape, kPickOpen, kNested};
    int walks = 0;
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        std::minstd_rand random(seed);
        std::vector<SStep> steps;
        std::string sequence;
        int at = static_cast<int>(random() % 24); // the first walk ends at call 12
        for (int n = 1 + static_cast<int>(random() % 7); n > 0; --n) {
            const EStep what = alphabet[random() % (sizeof alphabet / sizeof alphabet[0])];
            const std::string text = what == kClick      ? std::to_string(random() % 5)
                                     : what == kPickOpen ? (random() % 2 ? "DATA" : "PATTERNS")
                                                         : std::string(1, "MX1*0"[random() % 5]);
            at += random() % 2 ? 0 : static_cast<int>(random() % 6); // typed at once, or later
            steps.push_back({what, at, text});
            sequence += std::string(kName[what]) + " " + text + "@" + std::to_string(at) + ", ";
        }
        steps.push_back({kEnter, at + static_cast<int>(random() % 6)});
        const bool bStream = random() % 2;
        auto run = [&](bool bSettled) {
            StoreOfTwelve();
            std::vector<SStep> script = steps;
            for (SStep& step : script)
                step.at = bSettled ? kSettled : step.at;
            auto dialog = std::make_unique<CScriptedDialog>("PATTERNS", script);
            dialog->m_scheduler.StreamRows(bStream);
            dialog->Run();
            walks += static_cast<int>(
                std::count_if(dialog->m_trace.begin(), dialog->m_trace.end(),
                              [](const std::string& t) { return t.compare(0, 5, "walk ") == 0; }));
            return dialog;
        };
        const auto settled = run(true);
        const auto ahead = run(false);
        SCOPED_TRACE("seed " + std::to_string(seed) + (bStream ? ", streamed: " : ": ") + sequence);
        ASSERT_TRUE(settled->m_bEnding && ahead->m_bEnding);
        ASSERT_EQ(ahead->m_trace.back(), settled->m_trace.back()) << Listing(ahead->m_trace);
        if (settled->m_trace.back() != "answer 0") {
            ASSERT_EQ(ahead->m_rows, settled->m_rows) << Listing(ahead->m_trace);
        }
    }
    EXPECT_GT(walks, 10000) << "too few walks to try anything";
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
    // 428 with these seeds: more is a clock that forgets when it last showed.
    EXPECT_GT(batches, 80) << "too few batches to show anything";
    EXPECT_LE(batches, 440) << "batches come at most every 240 ms, less often as a walk grows";
}

// When a walk shows what it read: ms since the refresh, the walk, the last
// count and rows; rows read, shown (-1: none yet), in view; the last cost.
TEST(BatchClock, FirstRowsFillTheViewAndLaterOnesSpaceByTheirCost) {
    typedef SBatchClock C;
    struct SRow {
        C::SNow since;
        int nRead, nShown, nInView;
        uint32_t cost;
        C::EShow show;
    } const rows[] = {
        {{99, 99, 0, 0}, 50, -1, 4, 0, C::kNothing}, // not due
        {{400, 9, 0, 0}, 50, -1, 4, 0, C::kNothing}, // a walk run again, too short yet
        {{400, 10, 0, 0}, 50, -1, 4, 0, C::kRows},
        {{100, 100, 0, 0}, 3, -1, 4, 0, C::kNothing}, // the view would shrink
        {{100, 100, 0, 0}, 4, -1, 4, 0, C::kRows},    // it fills the view
        {{2000, 1000, 0, 0}, 0, -1, 4, 0, C::kRows},  // a walk that slow shows what it has
        {{300, 300, 0, 0}, 2, 0, 4, 0, C::kRows},     // after an empty batch: at once
        {{500, 500, 240, 240}, 90, 40, 4, 9, C::kRows},
        {{500, 500, 240, 240}, 90, 40, 4, 20, C::kCount}, // a dear batch: the count alone
        {{900, 900, 240, 500}, 90, 40, 4, 20, C::kRows},
        {{8000, 8000, 240, 999}, 90, 40, 4, 0, C::kCount}, // a long walk: every second
    };
    for (const SRow& r : rows)
        EXPECT_EQ(C::Next(r.since, r.nRead, r.nShown, r.nInView, r.cost), r.show) << &r - rows;
}
