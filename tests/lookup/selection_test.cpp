// Confirming and cancelling: what the entry points hand back, the result
// array in row order, keys, and the view commands.
#include "lookup_fixture.h"

#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

typedef std::vector<std::string> Texts;

bool SameBytes(const void* a, const void* b, size_t n) {
    return std::memcmp(a, b, n) == 0;
}

} // namespace

TEST_F(LookupTest, EnterConfirmsAndEscapeCancels) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    int answer = LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        w.SelectRows({2});
        w.PostKey(VK_RETURN);
        EXPECT_TRUE(w.WaitClosed()) << "Enter did not end the dialog";
    });
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(b.result, "XAB");

    b = Start("C:", "PATTERNS", kTypeMarker);
    const Buffers before = b;
    DriveOutcome outcome;
    answer = LookupItem(
        b, "", kAllFlags,
        [](const LookupWindow& w) {
            w.SelectRows({0});
            w.PostKey(VK_ESCAPE);
            EXPECT_TRUE(w.WaitClosed()) << "Escape did not end the dialog";
        },
        &outcome);
    EXPECT_FALSE(outcome.closedByHarness);
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(SameBytes(&b, &before, sizeof b)) << "a cancelled lookup wrote to the caller";
}

TEST_F(LookupTest, CancelAnswersZeroAndWritesNothing) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    const Buffers before = b;
    const int answer = LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        w.Pick(IDC_AREA, "DATA");
        w.Pick(IDC_DATA_TYPE, "Model");
        w.SelectRows({0});
        w.Command(IDCANCEL);
    });
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(SameBytes(&b, &before, sizeof b));
}

TEST_F(LookupTest, FlagsZeroHandBackOnlyTheName) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    const Buffers before = b;
    const int answer = LookupItem(b, "", 0, [](const LookupWindow& w) {
        // Disabled selectors are still filled from the caller's choice.
        EXPECT_EQ(w.Selection(IDC_AREA), "PATTERNS");
        w.SelectRows({1});
        w.Command(IDOK);
    });
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(b.result, "ABD");
    EXPECT_TRUE(SameBytes(b.device, before.device, sizeof b.device));
    EXPECT_TRUE(SameBytes(b.area, before.area, sizeof b.area));
    EXPECT_EQ(b.type, before.type);
}

TEST_F(LookupTest, EachFlagHandsBackItsOwnValue) {
    struct Case {
        int flags;
        const char* device;
        const char* area;
        int type;
    } cases[] = {
        {LF_LOCAL_DRIVES | LF_DEVICE, "3:", "PATTERNS", kTypeMarker},
        {LF_LOCAL_DRIVES | LF_AREA, "C:", "ARCHIVE", kTypeMarker},
        {LF_LOCAL_DRIVES | LF_TYPE, "C:", "PATTERNS", kTypeModel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags));
        fake_reset();
        SetUp();
        fake_add_item("3:ARCHIVE", kTypeModel, "M3", 1, kMorning);
        Buffers b = Start("C:", "PATTERNS", kTypeMarker);
        // All three change (through messages, disabled or not); only the
        // flagged one comes back.
        const int answer = LookupItem(b, "", c.flags, [](const LookupWindow& w) {
            w.Pick(IDC_DEVICE, "3:");
            w.Pick(IDC_AREA, "ARCHIVE");
            w.Pick(IDC_DATA_TYPE, "Model");
            w.SelectRows({0});
            w.Command(IDOK);
        });
        EXPECT_EQ(answer, 1);
        EXPECT_STREQ(b.device, c.device);
        EXPECT_STREQ(b.area, c.area);
        EXPECT_EQ(b.type, c.type);
        EXPECT_STREQ(b.result, "M3");
    }
}

TEST_F(LookupTest, SelectedRowsReachTheArrayInRowOrder) {
    for (int i = 0; i < 10; ++i)
        fake_add_item("C:DATA", kTypeModel, ("ROW" + std::to_string(i)).c_str(), i, kMorning);
    CStringArray results;
    for (const char* old : {"a", "b", "c", "d", "e"})
        results.Add(old);
    Buffers b = Start("C:", "DATA", kTypeModel);
    const int answer = LookupMultiple(b, "", kAllFlags, &results, [](const LookupWindow& w) {
        w.SelectRows({9, 2, 5});
        w.Command(IDOK);
    });
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(Strings(results), (Texts{"ROW2", "ROW5", "ROW9"}));

    // AtLookupItem takes the topmost of several.
    b = Start("C:", "DATA", kTypeModel);
    EXPECT_EQ(LookupItem(b, "", kAllFlags,
                         [](const LookupWindow& w) {
                             w.SelectRows({7, 4});
                             w.Command(IDOK);
                         }),
              1);
    EXPECT_STREQ(b.result, "ROW4");
}

TEST_F(LookupTest, NothingSelectedAnswersZeroWithAnEmptyArray) {
    CStringArray results;
    results.Add("old");
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    const Buffers before = b;
    EXPECT_EQ(
        LookupMultiple(b, "", kAllFlags, &results, [](const LookupWindow& w) { w.Command(IDOK); }),
        0);
    EXPECT_EQ(results.GetSize(), 0);
    EXPECT_TRUE(SameBytes(&b, &before, sizeof b));

    // A double-click on the list's empty part confirms all the same.
    results.Add("old");
    EXPECT_EQ(LookupMultiple(b, "", kAllFlags, &results,
                             [](const LookupWindow& w) {
                                 RECT rect;
                                 GetClientRect(w.Item(IDC_ITEM_LIST), &rect);
                                 w.Send(w.Item(IDC_ITEM_LIST), WM_LBUTTONDBLCLK, MK_LBUTTON,
                                        MAKELPARAM(rect.right - 5, rect.bottom - 5));
                                 EXPECT_TRUE(w.WaitClosed());
                             }),
              0);
    EXPECT_EQ(results.GetSize(), 0);
}

TEST_F(LookupTest, CancelLeavesTheArrayAsItWas) {
    CStringArray results;
    results.Add("kept1");
    results.Add("kept2");
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    EXPECT_EQ(LookupMultiple(b, "", kAllFlags, &results,
                             [](const LookupWindow& w) {
                                 w.SelectRows({0, 1});
                                 w.Command(IDCANCEL);
                             }),
              0);
    EXPECT_EQ(Strings(results), (Texts{"kept1", "kept2"}));
}

TEST_F(LookupTest, NullResultsStillConfirmsAndCopiesTheChoice) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    const int answer = LookupMultiple(b, "", kAllFlags, nullptr, [](const LookupWindow& w) {
        w.Pick(IDC_AREA, "DATA");
        w.SelectRows({0});
        w.Command(IDOK);
    });
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(b.area, "DATA");
    EXPECT_STREQ(b.result, "untouched");
}

TEST_F(LookupTest, ViewCommandsChangeOnlyTheView) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        w.SelectRows({0, 2});
        const std::vector<Row> rows = w.Rows();
        const int calls = fake_call_count();
        // The list view shows and hides its own scroll bars, which sets and
        // clears WS_HSCROLL and WS_VSCROLL in its style (ShowScrollBar): in
        // details view Windows' shows the horizontal one when the columns
        // are wider than the list, as here, and Wine's does so after a view
        // change since version 10. Those two bits are the control's.
        const LONG kScrollBars = WS_HSCROLL | WS_VSCROLL;
        const LONG listStyle = w.ListStyle() & ~kScrollBars;
        HWND hBar = w.Item(IDC_TOOLBAR);
        auto press = [&](int command) {
            w.Send(w.Dialog(), WM_COMMAND, MAKEWPARAM(command, 0), reinterpret_cast<LPARAM>(hBar));
        };
        for (int command :
             {ID_SET_DETAILS, ID_SET_DETAILS, ID_SET_LIST, ID_SET_LIST, ID_SET_DETAILS}) {
            press(command);
            const LONG view = command == ID_SET_DETAILS ? LVS_REPORT : LVS_LIST;
            EXPECT_EQ(w.ListStyle() & ~kScrollBars, (listStyle & ~LVS_TYPEMASK) | view)
                << "command " << command;
            EXPECT_EQ(w.Rows(), rows);
            EXPECT_EQ(w.Send(w.Item(IDC_ITEM_LIST), LVM_GETSELECTEDCOUNT), 2);
            EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "3");
            EXPECT_EQ(fake_call_count(), calls) << "a view command refreshed the dialog";
        }
        // The selectors' own notifications with code 0 are the toolbar's.
        EXPECT_EQ(w.Entries(IDC_DEVICE), (Texts{"3:", "C:"}));
        w.Command(IDOK);
    });
    EXPECT_STREQ(b.result, "ABC");
}

namespace {

RECT ScreenRect(HWND hWnd, RECT r) {
    MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Row row's cell in column column, in screen coordinates (details view).
RECT CellOnScreen(const LookupWindow& w, int row, int column) {
    HWND hList = w.Item(IDC_ITEM_LIST);
    RECT r = {LVIR_LABEL, column, 0, 0};
    w.Send(hList, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    return ScreenRect(hList, r);
}

// The screen as it stands within a second of a command, nothing else
// repainting the list meanwhile; true as soon as shows holds.
bool ScreenShows(HWND hWnd, const std::function<bool(const ScreenPicture&)>& shows) {
    RECT r;
    GetWindowRect(hWnd, &r);
    for (const DWORD start = GetTickCount();; Sleep(50)) {
        if (shows(ScreenPicture(r)))
            return true;
        if (GetTickCount() - start > 1000)
            return false;
    }
}

} // namespace

// The texts and the list's own item rectangles can be right while the
// screen still shows the old view: read the screen back after each command.
TEST_F(LookupTest, ViewCommandsShowTheNewViewAtOnce) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        HWND hList = w.Item(IDC_ITEM_LIST);
        HWND hHeader = reinterpret_cast<HWND>(w.Send(hList, LVM_GETHEADER));

        w.Command(ID_SET_DETAILS);
        ASSERT_TRUE(IsWindowVisible(hHeader));
        RECT header, dateTitle;
        GetWindowRect(hHeader, &header);
        w.Send(hHeader, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&dateTitle));
        dateTitle = ScreenRect(hHeader, dateTitle);
        const RECT date0 = CellOnScreen(w, 0, 1), size0 = CellOnScreen(w, 0, 3);
        const RECT size1 = CellOnScreen(w, 1, 3);
        EXPECT_GE(date0.top, header.bottom) << "the first row's place is under the header";
        // Row 0's size "1200" draws more than row 1's "34": the first row is
        // drawn at its own place, below the header.
        std::string seen;
        const bool details = ScreenShows(hList, [&](const ScreenPicture& screen) {
            const int title = screen.DarkPixels(dateTitle), date = screen.DarkPixels(date0),
                      big = screen.DarkPixels(size0), small = screen.DarkPixels(size1);
            seen = "title " + std::to_string(title) + ", date " + std::to_string(date) +
                   ", sizes " + std::to_string(big) + " and " + std::to_string(small) +
                   " dark pixels";
            return title > 0 && date > 0 && big > small && small > 0;
        });
        EXPECT_TRUE(details) << "details view not drawn: " << seen;
        if (const char* dir = getenv("TAVORIN_PICTURE_DIR")) {
            // The rest of the dialog may still be painting its first
            // appearance: let it finish, invalidating nothing.
            RedrawWindow(w.Dialog(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            Sleep(200);
            RECT dialog;
            GetWindowRect(w.Dialog(), &dialog);
            EXPECT_TRUE(
                ScreenPicture(dialog).Save((std::string(dir) + "/lookup-details.bmp").c_str()));
        }

        // Names only again: no column titles, no dates, the first name at
        // the top.
        w.Command(ID_SET_LIST);
        RECT name0 = {LVIR_LABEL, 0, 0, 0};
        w.Send(hList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&name0));
        name0 = ScreenRect(hList, name0);
        const bool list = ScreenShows(hList, [&](const ScreenPicture& screen) {
            const int title = screen.DarkPixels(dateTitle), date = screen.DarkPixels(date0),
                      name = screen.DarkPixels(name0);
            seen = "title " + std::to_string(title) + ", date " + std::to_string(date) + ", name " +
                   std::to_string(name) + " dark pixels";
            return !IsWindowVisible(hHeader) && title == 0 && date == 0 && name > 0;
        });
        EXPECT_TRUE(list) << "list view not drawn: " << seen;
        w.Command(IDOK);
    });
}

// The list keeps no texts of its own, yet typing a name's first letters in
// it still finds that name.
TEST_F(LookupTest, TypingANamesFirstLettersInTheListSelectsIt) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        HWND hList = w.Item(IDC_ITEM_LIST);
        auto type = [&](const char* text) {
            for (const char* c = text; *c; ++c)
                w.Send(hList, WM_CHAR, static_cast<unsigned char>(*c), 1);
        };
        type("x");
        EXPECT_EQ(w.SelectedRows(), (std::vector<int>{2}));
        Sleep(1000); // a new search, not "xabd"
        type("abd");
        EXPECT_EQ(w.SelectedRows(), (std::vector<int>{1}));
        w.Command(IDOK);
    });
    EXPECT_STREQ(b.result, "ABD");
}

// Keys posted to the name field: "AB" and Down typed ahead walk once, Down
// acts on the rows of "AB", the focus stays, Home stays the field's; Enter
// typed ahead of a refresh takes the row shown, and the refresh never runs.
TEST_F(LookupTest, KeysFromTheNameFieldSelectARowAndEnterTakesIt) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    const int answer = LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        HWND hEdit = w.Item(IDC_ITEM_NAME);
        w.Send(hEdit, EM_SETSEL, 0, -1);
        w.Hold([&] { w.PostChar('A'), w.PostChar('B'), w.PostKey(VK_DOWN); });
        const std::pair<UINT, int> steps[] = {{0, 0},       {VK_DOWN, 1}, {VK_PRIOR, 0}, {VK_UP, 0},
                                              {VK_NEXT, 1}, {VK_HOME, 1}, {VK_UP, 0}};
        for (const auto& step : steps) {
            if (step.first)
                w.PostKey(step.first);
            const std::vector<int> want = {step.second};
            EXPECT_TRUE(WaitUntil([&] { return w.SelectedRows() == want; })) << step.first;
            EXPECT_EQ(w.Focus(), hEdit) << "key " << step.first;
        }
        EXPECT_EQ(w.Send(hEdit, EM_GETSEL), 0) << "Home moves the caret";
        w.PostKey(VK_RETURN);
        EXPECT_TRUE(w.WaitClosed());
    });
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(b.result, "ABC");
    EXPECT_EQ(fake_count_calls("data 9 C:PATTERNS A* 0"), 0);
    EXPECT_EQ(fake_count_calls("data 9 C:PATTERNS AB* 0"), 1)
        << "one walk for the keys typed ahead";
}

// Over a slow store the first rows are on the screen while the walk goes
// on, the count marked as unfinished; rows arriving move neither the
// selection nor the top row.
TEST_F(LookupTest, RowsShowWhileTheWalkReadsThemAndMoveNothing) {
    for (int i = 100; i < 500; ++i)
        fake_add_item("C:PATTERNS", kTypeModel, ("M" + std::to_string(i)).c_str(), 1, 0);
    fake_set_item_delay(10); // a walk of 4 s: rows still come after a busy read-back
    Buffers b = Start("C:", "PATTERNS", kTypeModel);
    // Driven without waiting for the walk's end.
    LookupItem(
        b, "", kAllFlags,
        [](const LookupWindow& w) {
            HWND hList = w.Item(IDC_ITEM_LIST);
            auto rows = [&] { return static_cast<int>(w.Send(hList, LVM_GETITEMCOUNT)); };
            auto coming = [&] {
                return !isdigit(static_cast<unsigned char>(w.Text(IDC_ITEM_COUNT).back()));
            };
            ASSERT_TRUE(WaitUntil([&] { return rows() > 10 && coming(); }, 5000));
            w.Send(hList, LVM_SCROLL, 0, 40);
            w.SelectRows({8});
            const LRESULT top = w.Send(hList, LVM_GETTOPINDEX);
            RECT row = {LVIR_LABEL, 0, 0, 0};
            w.Send(hList, LVM_GETITEMRECT, static_cast<WPARAM>(top),
                   reinterpret_cast<LPARAM>(&row));
            row = ScreenRect(hList, row);
            EXPECT_TRUE(ScreenShows(hList, [&](const ScreenPicture& s) {
                return s.DarkPixels(row) > 0;
            })) << "no row drawn during the walk";
            const int before = rows();
            EXPECT_TRUE(WaitUntil([&] { return rows() > before; }, 5000));
            EXPECT_EQ(w.SelectedRows(), std::vector<int>{8});
            EXPECT_EQ(w.Send(hList, LVM_GETTOPINDEX), top) << "rows arriving scrolled the list";
            EXPECT_TRUE(WaitUntil([&] { return w.Text(IDC_ITEM_COUNT) == "401"; }, 30000));
            EXPECT_EQ(w.SelectedRows(), std::vector<int>{8});
            w.Command(IDCANCEL);
        },
        nullptr, false);
}

// A byte compare ignoring case takes the first two names for one: the
// selector chose the second, typing the second found the first.
TEST_F(LookupTest, InADoubleByteCodePageNamesGoByCharacter) {
    const CodePageNames* cp = nullptr;
    for (const CodePageNames& names : kCodePages)
        cp = names.codePage == GetACP() && names.first ? &names : cp;
    if (!cp)
        GTEST_SKIP() << "code page " << GetACP() << " (language_check.sh runs 932, 936 and 65001)";
    const std::string first = cp->first, second = cp->second, third = cp->backslash;
    for (const std::string& area : {first, second, third})
        fake_add_area("C:*", ("C:" + area).c_str());
    fake_add_item(("C:" + first).c_str(), kTypeMarker, (first + "1").c_str(), 1, kMorning);
    fake_add_item(("C:" + first).c_str(), kTypeMarker, (second + "2").c_str(), 2, kMorning);
    fake_add_item(("C:" + third).c_str(), kTypeMarker, third.c_str(), 3, kMorning);
    Buffers b = Start("C:", first.c_str(), kTypeMarker);
    LookupItem(b, "", kAllFlags, [&](const LookupWindow& w) {
        EXPECT_EQ(w.Selection(IDC_AREA), first);
        SendMessageTimeoutW(w.Item(IDC_ITEM_LIST), WM_CHAR, cp->secondTyped, 1, SMTO_BLOCK,
                            kSendTimeoutMs, nullptr);
        EXPECT_EQ(w.SelectedRows(), (std::vector<int>{1})) << "typing the second character";
        // Typed into a walk, the character reaches the name field whole.
        for (int i = 100; i < 300; ++i)
            fake_add_item(("C:" + first).c_str(), kTypeMarker, ("M" + std::to_string(i)).c_str(), 1,
                          0);
        fake_set_item_delay(3);
        w.Send(w.Item(IDC_ITEM_NAME), EM_SETSEL, 0, -1);
        w.PostChar('M');
        EXPECT_TRUE(WaitUntil([&] { return w.Text(IDC_ITEM_COUNT) != "2"; })) << "no walk seen";
        PostMessageW(w.Item(IDC_ITEM_NAME), WM_CHAR, cp->secondTyped, 1);
        EXPECT_TRUE(WaitUntil([&] { return w.Text(IDC_ITEM_NAME) == "M" + second; }))
            << w.Text(IDC_ITEM_NAME);
        fake_set_item_delay(0);
        w.SetPattern("");
        w.Pick(IDC_AREA, third.c_str());
        EXPECT_EQ(w.Names(), Texts{third}) << "the area with a backslash byte";
        w.SelectRows({0});
        w.Command(IDOK);
    });
    EXPECT_EQ(b.area, third);
    EXPECT_EQ(b.result, third);
}
