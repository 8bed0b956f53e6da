// How the dialog fills itself: the first fill, each keystroke, each pick of
// a device, area or type, and what reaches the storage library.
#include "item_rows.h"
#include "lookup_fixture.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

// The item walks the storage library saw (their first calls), oldest first.
std::vector<std::string> ItemWalks() {
    std::vector<std::string> walks;
    for (int i = 0; i < fake_call_count(); ++i) {
        const std::string call = fake_call(i);
        if (call.compare(0, 5, "data ") == 0 && call.compare(call.size() - 2, 2, " 0") == 0)
            walks.push_back(call);
    }
    return walks;
}

// The count's announcements to screen readers: live-region events on the
// dialog's thread, which raises them.
std::atomic<int> announced{0};
void CALLBACK CountAnnounced(HWINEVENTHOOK, DWORD, HWND hWnd, LONG, LONG, DWORD, DWORD) {
    announced += GetDlgCtrlID(hWnd) == IDC_ITEM_COUNT;
}

void ExpectCountIsRows(const LookupWindow& w) {
    EXPECT_EQ(w.Text(IDC_ITEM_COUNT), std::to_string(w.Rows().size()));
}

void DoubleClickRow(const LookupWindow& w, int row) {
    w.SelectRows({row});
    RECT rect = {};
    rect.left = LVIR_LABEL;
    w.Send(w.Item(IDC_ITEM_LIST), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    w.Send(w.Item(IDC_ITEM_LIST), WM_LBUTTONDBLCLK, MK_LBUTTON,
           MAKELPARAM(rect.left + 2, rect.top + 2));
}

typedef std::vector<std::string> Texts;

} // namespace

TEST_F(LookupTest, TypicalRequestEndToEnd) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    const int answer = LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        EXPECT_EQ(w.Entries(IDC_DEVICE), (Texts{"3:", "C:"}));
        EXPECT_EQ(w.Selection(IDC_DEVICE), "C:");
        EXPECT_EQ(w.Entries(IDC_AREA), (Texts{"DATA", "PATTERNS"}));
        EXPECT_EQ(w.Selection(IDC_AREA), "PATTERNS");
        const Texts types = w.Entries(IDC_DATA_TYPE);
        ASSERT_EQ(types.size(), 24u);
        EXPECT_EQ(types.front(), "Alteration") << "types stay in the order of the walk";
        EXPECT_EQ(types[6], "Layrule");
        EXPECT_EQ(types.back(), "Text");
        EXPECT_EQ(w.Selection(IDC_DATA_TYPE), "Marker");
        EXPECT_EQ(w.Text(IDC_ITEM_NAME), "*");
        EXPECT_EQ(w.Rows(), (std::vector<Row>{{"ABC", "07/03/09", "2:05 PM", "1200"},
                                              {"ABD", "07/03/09", "9:07 AM", "34"},
                                              {"XAB", "07/03/09", "2:05 PM", "5"}}));
        EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "3");

        w.SetPattern("A");
        w.SetPattern("AB");
        EXPECT_EQ(w.Names(), (Texts{"ABC", "ABD"}));
        EXPECT_EQ(w.Text(IDC_ITEM_NAME), "AB") << "the edit keeps what the user typed";
        ExpectCountIsRows(w);
        DoubleClickRow(w, 1);
        EXPECT_TRUE(w.WaitClosed());
    });
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(b.device, "C:");
    EXPECT_STREQ(b.area, "PATTERNS");
    EXPECT_EQ(b.type, kTypeMarker);
    EXPECT_STREQ(b.result, "ABD");
    // One item walk per fill and per keystroke, none for the edit's own echo.
    EXPECT_EQ(ItemWalks(), (Texts{"data 9 C:PATTERNS * 0", "data 9 C:PATTERNS A* 0",
                                  "data 9 C:PATTERNS AB* 0"}));
}

TEST_F(LookupTest, TheEditShowsTheStarOfTheFirstFillButNotOfTheUsersText) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "AB", kAllFlags, [](const LookupWindow& w) {
        EXPECT_EQ(w.Text(IDC_ITEM_NAME), "AB*");
        w.SetPattern("ABC");
        EXPECT_EQ(w.Text(IDC_ITEM_NAME), "ABC");
        EXPECT_EQ(w.Names(), (Texts{"ABC"}));
    });
    EXPECT_EQ(ItemWalks(), (Texts{"data 9 C:PATTERNS AB* 0", "data 9 C:PATTERNS ABC* 0"}));
}

TEST_F(LookupTest, PatternLongerThanTheWalkTakesListsNothingAndEditingGoesOn) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        const std::string tooLong(40, 'A');
        const size_t walksBefore = ItemWalks().size();
        w.SetPattern(tooLong.c_str());
        EXPECT_EQ(w.Text(IDC_ITEM_NAME), tooLong);
        EXPECT_TRUE(w.Rows().empty());
        EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "0");
        EXPECT_EQ(ItemWalks().size(), walksBefore) << "the storage library never sees it";
        EXPECT_EQ(w.Entries(IDC_AREA), (Texts{"DATA", "PATTERNS"})) << "the rest still fills";

        w.SetPattern("AB");
        EXPECT_EQ(w.Names(), (Texts{"ABC", "ABD"}));
        EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "2");
    });
}

TEST_F(LookupTest, RememberedNamesAreSelectedIgnoringCase) {
    // The caller's texts reach the storage library as given; it answers
    // in its own letters.
    fake_add_area("c:*", "C:PATTERNS");
    fake_add_item("c:patterns", kTypeMarker, "ABC", 1, kMorning);
    Buffers b = Start("c:", "patterns", kTypeMarker);
    const int answer = LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        EXPECT_EQ(w.Selection(IDC_DEVICE), "C:");
        EXPECT_EQ(w.Selection(IDC_AREA), "PATTERNS");
        EXPECT_EQ(w.Names(), (Texts{"ABC"}));
        w.SelectRows({0});
        w.Command(IDOK);
    });
    EXPECT_EQ(answer, 1);
    // Untouched selectors hand back exactly what the caller gave.
    EXPECT_STREQ(b.device, "c:");
    EXPECT_STREQ(b.area, "patterns");
}

TEST_F(LookupTest, DeviceNotListedStillListsItsAreasOnTheFirstFill) {
    // "3" names device 3: to the storage library, but the list holds "3:".
    Buffers b = Start("3", "ARCHIVE", kTypeMarker);
    const int answer = LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        EXPECT_EQ(w.Selection(IDC_DEVICE), "");
        EXPECT_EQ(w.Selection(IDC_AREA), "ARCHIVE");
        EXPECT_EQ(w.Names(), (Texts{"OLD1"}));
        // The next refresh reads the empty device text: no areas, no items.
        w.SetPattern("O");
        EXPECT_TRUE(w.Entries(IDC_AREA).empty());
        EXPECT_TRUE(w.Rows().empty());
        EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "0");
    });
    EXPECT_EQ(answer, 0);
    EXPECT_STREQ(b.device, "3");
}

TEST_F(LookupTest, TypeNotListedWalksWithTheCallersCodeThenWithNone) {
    Buffers b = Start("C:", "PATTERNS", 10);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        EXPECT_EQ(w.Selection(IDC_DATA_TYPE), "");
        EXPECT_TRUE(w.Rows().empty());
        w.SetPattern("A");
    });
    EXPECT_EQ(ItemWalks(), (Texts{"data 10 C:PATTERNS * 0", "data -1 C:PATTERNS A* 0"}));
}

TEST_F(LookupTest, PickingDeviceAreaAndTypeRefreshesOncePerPick) {
    fake_add_area("3:*", "3:Patterns");
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    const int answer = LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        w.Pick(IDC_AREA, "DATA");
        EXPECT_EQ(w.Names(), (Texts{"DATA1"}));
        ExpectCountIsRows(w);
        w.Pick(IDC_DATA_TYPE, "Model");
        EXPECT_TRUE(w.Names().empty());
        ExpectCountIsRows(w);
        w.Pick(IDC_AREA, "PATTERNS");
        EXPECT_EQ(w.Names(), (Texts{"MODEL1"}));
        w.Pick(IDC_DATA_TYPE, "Marker");
        // Device 3: has an area of the same name in other letters.
        w.Pick(IDC_DEVICE, "3:");
        EXPECT_EQ(w.Entries(IDC_AREA), (Texts{"ARCHIVE", "Patterns"}));
        EXPECT_EQ(w.Selection(IDC_AREA), "Patterns");
        EXPECT_EQ(w.Names(), (Texts{"OTHER"}));
        ExpectCountIsRows(w);
        w.SelectRows({0});
        w.Command(IDOK);
    });
    EXPECT_EQ(ItemWalks(),
              (Texts{"data 9 C:PATTERNS * 0", "data 9 C:DATA * 0", "data 12 C:DATA * 0",
                     "data 12 C:PATTERNS * 0", "data 9 C:PATTERNS * 0", "data 9 3:PATTERNS * 0"}));
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(b.device, "3:");
    EXPECT_STREQ(b.area, "PATTERNS") << "the area name of the last refresh's reading";
    EXPECT_EQ(b.type, kTypeMarker);
    EXPECT_STREQ(b.result, "OTHER");
}

TEST_F(LookupTest, DeviceWithoutTheAreaEmptiesTheList) {
    Buffers b = Start("C:", "DATA", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        w.Pick(IDC_DEVICE, "3:");
        EXPECT_EQ(w.Selection(IDC_AREA), "");
        EXPECT_TRUE(w.Rows().empty());
        EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "0");
        w.Pick(IDC_AREA, "ARCHIVE");
        EXPECT_EQ(w.Names(), (Texts{"OLD1"}));
        ExpectCountIsRows(w);
    });
}

TEST_F(LookupTest, TimeWithoutLocalTimeLeavesDateAndTimeEmpty) {
    fake_add_item("C:PATTERNS", kTypeMarker, "BEFORE1970", 99, -1);
    fake_add_item("C:PATTERNS", kTypeMarker, "EPOCH", 0, 0);
    fake_add_item("C:PATTERNS", kTypeMarker, "NOON", 0, 1293796800); // 2010-12-31 12:00
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        const std::vector<Row> rows = w.Rows();
        ASSERT_EQ(rows.size(), 6u);
        EXPECT_EQ(rows[3], (Row{"BEFORE1970", "", "", "99"}));
        EXPECT_EQ(rows[4], (Row{"EPOCH", "70/01/01", "12:00 AM", "0"}));
        EXPECT_EQ(rows[5], (Row{"NOON", "10/12/31", "12:00 PM", "0"}));
        EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "6");
    });
}

TEST_F(LookupTest, ARefillShowsTheFirstRowsInEitherView) {
    for (int i = 0; i < 200; ++i)
        fake_add_item("C:DATA", kTypeModel, ("ROW" + std::to_string(i)).c_str(), i, kMorning);
    Buffers b = Start("C:", "DATA", kTypeModel);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        for (int view : {ID_SET_LIST, ID_SET_DETAILS}) {
            w.Command(view);
            w.Send(w.Item(IDC_ITEM_LIST), LVM_ENSUREVISIBLE, 150, FALSE);
            w.SetPattern("ROW1");
            EXPECT_EQ(w.Send(w.Item(IDC_ITEM_LIST), LVM_GETTOPINDEX), 0) << view;
        }
    });
}

// The rows the virtual list shows, without a window.
TEST(ItemRows, KeepWhatTheWalkGaveCutToTheBufferAndFindNamesIgnoringCase) {
    CItemRows rows;
    rows.Assign({{"ABC", 0, 1200}, {"a-name-of-23-characters", -1, -5}, {"abd", 0, 7}});
    auto cell = [&](int row, int column, int size = 9) {
        char text[10];
        std::memset(text, '#', sizeof text);
        rows.GetCellText(row, column, text, size);
        EXPECT_EQ(text[size], '#') << "written past " << size << " bytes";
        return std::string(text);
    };
    EXPECT_EQ((Texts{cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 3), cell(0, 3, 3)}),
              (Texts{"ABC", "70/01/01", "12:00 AM", "1200", "12"}));
    EXPECT_EQ((Texts{cell(1, 1), cell(1, 2), cell(1, 3), cell(-1, 0), cell(3, 0), cell(0, 4)}),
              (Texts{"", "", "-5", "", "", ""}))
        << "no local time for a negative time; no cell outside the rows";
    EXPECT_EQ(
        (std::vector<int>{rows.Find("ab", 0, true, false), rows.Find("AB", 1, true, false),
                          rows.Find("abc", 1, true, false), rows.Find("abc", 1, true, true),
                          rows.Find("AB", 0, false, true), rows.Find("ABD", 9, false, false)}),
        (std::vector<int>{0, 2, -1, 0, -1, 2}))
        << "from the start on, wrapping only when asked; whole names; a start outside is the top";
    rows.Assign({});
    EXPECT_EQ(rows.Find("ab", 0, true, true), -1);
}

// Two keys typed ahead refresh once and the count's change is announced
// once; a name that leaves the count as it was is not announced.
TEST_F(LookupTest, TheCountsChangeIsAnnouncedOncePerSettledRefresh) {
    const DWORD kLiveRegionChanged = 0x8019;
    HWINEVENTHOOK hHook =
        SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, CountAnnounced,
                        GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hHook, nullptr);
    announced = 0;
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        EXPECT_EQ(announced, 0) << "the opening fill";
        w.Send(w.Item(IDC_ITEM_NAME), EM_SETSEL, 0, -1);
        w.Hold([&] { w.PostChar('A'), w.PostChar('B'); });
        EXPECT_TRUE(WaitUntil([] { return announced > 0; }));
        w.SetPattern("ABC"); // 2 items, then 1, then the same 1
        w.SetPattern("A?C");
        Sleep(200);
        EXPECT_EQ(announced, 2);
    });
    UnhookWinEvent(hHook);
}
