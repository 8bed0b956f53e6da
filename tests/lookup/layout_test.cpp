// The dialog as the template and OnInitDialog make it: resources, controls,
// toolbar, tooltips, columns, focus.
#include "lookup_fixture.h"

#include "colour_contrast.h"
#include "toolbar_images.h"

#include <cstdint>
#include <cstring>
#include <cstdio>
#include <memory>
#include <sstream>
#include <utility>

namespace {

HMODULE Tavorin() {
    return GetModuleHandleA("TAVORIN.dll");
}

struct ControlSpec {
    int id;
    const char* cls;
    const char* text;
    DWORD style;
    short x, y, cx, cy;
};

const ControlSpec kControls[13] = {
    {65535, "STATIC", "&Look In:", 0x50020000, 7, 7, 49, 9},
    {1000, "COMBOBOX", "", 0x50210143, 60, 7, 48, 61},
    {1001, "COMBOBOX", "", 0x50210143, 114, 7, 48, 61},
    {1003, "STATIC", "(toolbar goes here!)", 0x50820000, 173, 7, 64, 16},
    {1004, "SysListView32", "List1", 0x50818003, 7, 26, 266, 156},
    {65535, "STATIC", "Item &Name", 0x50020000, 7, 192, 55, 8},
    {1002, "EDIT", "", 0x50810080, 69, 189, 102, 14},
    {65535, "STATIC", "Count of Items", 0x50020000, 175, 188, 43, 8},
    {1005, "STATIC", "", 0x50021000, 223, 187, 50, 11},
    {65535, "STATIC", "&Data Type", 0x50020000, 7, 210, 55, 8},
    {1008, "COMBOBOX", "", 0x50210102, 69, 208, 102, 49},
    {1, "BUTTON", "OK", 0x50010001, 223, 203, 50, 14},
    {2, "BUTTON", "Cancel", 0x50010000, 223, 222, 50, 14},
};

// Reads a name-or-ordinal field of a classic template.
std::string Field(const WORD*& p) {
    static const char* const kPredefined[] = {"BUTTON",  "EDIT",      "STATIC",
                                              "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    if (*p == 0xFFFF) {
        const WORD ordinal = p[1];
        p += 2;
        return ordinal >= 0x80 && ordinal <= 0x85 ? kPredefined[ordinal - 0x80]
                                                  : "#" + std::to_string(ordinal);
    }
    std::string text;
    while (*p)
        text += static_cast<char>(*p++);
    ++p;
    return text;
}

const WORD* AlignDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t(3));
}

int ScreenDpi() {
    HDC hScreen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(hScreen, LOGPIXELSX);
    ReleaseDC(nullptr, hScreen);
    return dpi;
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

struct PlaceholderSearch {
    const LookupWindow* w;
    int found;
};

BOOL CALLBACK ShowsPlaceholder(HWND hWnd, LPARAM lParam) {
    PlaceholderSearch* s = reinterpret_cast<PlaceholderSearch*>(lParam);
    s->found += s->w->Text(hWnd) == "(toolbar goes here!)";
    return TRUE;
}

} // namespace

TEST(LookupResources, TemplateIsTheClassicFormWithThirteenControls) {
    HRSRC res = FindResourceA(Tavorin(), MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(5));
    ASSERT_NE(res, nullptr);
    const auto* dlg = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(Tavorin(), res)));
    ASSERT_NE(dlg, nullptr);
    ASSERT_NE(reinterpret_cast<const WORD*>(dlg)[1], 0xFFFF) << "extended template";
    EXPECT_EQ(dlg->style, 0x80C800C0u);
    EXPECT_EQ(dlg->dwExtendedStyle, 0u);
    ASSERT_EQ(dlg->cdit, 13);
    EXPECT_EQ(dlg->x, 0);
    EXPECT_EQ(dlg->y, 0);
    EXPECT_EQ(dlg->cx, 280);
    EXPECT_EQ(dlg->cy, 243);
    const WORD* p = reinterpret_cast<const WORD*>(dlg + 1);
    EXPECT_EQ(Field(p), "") << "menu";
    EXPECT_EQ(Field(p), "") << "window class";
    EXPECT_EQ(Field(p), "Lookup");
    EXPECT_EQ(*p++, 8) << "font size";
    EXPECT_EQ(Field(p), "MS Shell Dlg");
    for (const ControlSpec& want : kControls) {
        p = AlignDword(p);
        const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        p = reinterpret_cast<const WORD*>(item + 1);
        const std::string cls = Field(p);
        const std::string text = Field(p);
        p += 1 + *p / sizeof(WORD); // creation data
        SCOPED_TRACE("control " + std::to_string(want.id) + " \"" + want.text + "\"");
        EXPECT_EQ(item->id, want.id);
        EXPECT_EQ(Upper(cls), Upper(want.cls));
        EXPECT_EQ(text, want.text);
        EXPECT_EQ(item->style, want.style);
        EXPECT_EQ(item->dwExtendedStyle, 0u);
        EXPECT_EQ(item->x, want.x);
        EXPECT_EQ(item->y, want.y);
        EXPECT_EQ(item->cx, want.cx);
        EXPECT_EQ(item->cy, want.cy);
    }
}

TEST(LookupResources, BitmapHoldsTheTwoViewImages) {
    HRSRC res = FindResourceA(Tavorin(), MAKEINTRESOURCEA(134), MAKEINTRESOURCEA(2));
    ASSERT_NE(res, nullptr);
    const auto* info =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Tavorin(), res)));
    EXPECT_EQ(info->biWidth, 32);
    EXPECT_EQ(info->biHeight, 16);
    EXPECT_EQ(info->biBitCount, 4);
    EXPECT_EQ(info->biCompression, static_cast<DWORD>(BI_RGB));
    const auto* palette = reinterpret_cast<const RGBQUAD*>(info + 1);
    auto rgb = [&](int i) {
        return RGB(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue);
    };
    EXPECT_EQ(rgb(0), RGB(0, 0, 0));
    EXPECT_EQ(rgb(7), RGB(192, 192, 192));
    EXPECT_EQ(rgb(11), RGB(255, 255, 0));
    EXPECT_EQ(rgb(12), RGB(0, 0, 255));
    EXPECT_EQ(rgb(15), RGB(255, 255, 255));
    EXPECT_EQ(SizeofResource(Tavorin(), res), sizeof(BITMAPINFOHEADER) + 16 * 4 + 256);
    const BYTE* bits = reinterpret_cast<const BYTE*>(palette + 16);
    auto at = [&](int row, int col) { // from the top left
        const BYTE b = bits[(15 - row) * 16 + col / 2];
        return col % 2 ? b & 0x0F : b >> 4;
    };
    // Details image: dashes, the blue rule, the white corner.
    EXPECT_EQ(at(1, 1), 0);
    EXPECT_EQ(at(13, 13), 0);
    EXPECT_EQ(at(1, 4), 7);
    EXPECT_EQ(at(3, 1), 12);
    EXPECT_EQ(at(3, 13), 12);
    EXPECT_EQ(at(3, 14), 7);
    EXPECT_EQ(at(15, 15), 15);
    // List image: blue icons with yellow centres, each followed by a dash.
    for (int top : {1, 6, 11})
        for (int left : {1, 9}) {
            EXPECT_EQ(at(top, 16 + left), 12);
            EXPECT_EQ(at(top + 1, 16 + left + 1), 11);
            EXPECT_EQ(at(top + 1, 16 + left + 3), 0);
            EXPECT_EQ(at(top + 1, 16 + left + 5), 0);
            EXPECT_EQ(at(top, 16 + left + 3), 7);
        }
    EXPECT_EQ(at(0, 16), 7);
    EXPECT_EQ(at(15, 31), 7);
}

TEST_F(LookupTest, OpensWithTheControlsOfTheTemplate) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        EXPECT_EQ(w.Text(w.Dialog()), "Lookup");
        for (const ControlSpec& want : kControls) {
            if (want.id == 65535 || want.id == 1003)
                continue;
            SCOPED_TRACE("control " + std::to_string(want.id));
            HWND hCtl = w.Item(want.id);
            ASSERT_NE(hCtl, nullptr);
            char cls[64] = "";
            GetClassNameA(hCtl, cls, sizeof cls);
            EXPECT_EQ(Upper(cls), Upper(want.cls));
            // The dialog manager trades WS_BORDER for a client edge and a
            // combo box keeps its scroll bar to its list: compare the rest.
            const DWORD kept = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | 0xFFFF;
            // The item list is a virtual list in the template list's place.
            const DWORD virtualList =
                want.id == IDC_ITEM_LIST ? LVS_OWNERDATA | LVS_SHOWSELALWAYS : 0;
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hCtl, GWL_STYLE)) & kept,
                      (want.style | virtualList) & kept);
            EXPECT_TRUE(IsWindowEnabled(hCtl));
        }
        EXPECT_EQ(w.Text(IDC_ITEM_LIST), "Items") << "a screen reader's name, not the template's";
        EXPECT_EQ(w.ListStyle() & LVS_TYPEMASK, LVS_LIST) << "opens in list view";
        EXPECT_EQ(w.Focus(), w.Item(IDC_ITEM_NAME)) << "focus in the item name edit";
    });
}

TEST_F(LookupTest, SelectorsAreEnabledByTheirFlagsAndFilledAllTheSame) {
    struct Case {
        int flags;
        bool device, area, type;
    } cases[] = {
        {LF_LOCAL_DRIVES, false, false, false},
        {LF_LOCAL_DRIVES | LF_DEVICE, true, false, false},
        {LF_LOCAL_DRIVES | LF_AREA, false, true, false},
        {LF_LOCAL_DRIVES | LF_TYPE, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags));
        Buffers b = Start("C:", "PATTERNS", kTypeMarker);
        LookupItem(b, "", c.flags, [&](const LookupWindow& w) {
            EXPECT_EQ(IsWindowEnabled(w.Item(IDC_DEVICE)) != 0, c.device);
            EXPECT_EQ(IsWindowEnabled(w.Item(IDC_AREA)) != 0, c.area);
            EXPECT_EQ(IsWindowEnabled(w.Item(IDC_DATA_TYPE)) != 0, c.type);
            EXPECT_EQ(w.Selection(IDC_DEVICE), "C:");
            EXPECT_EQ(w.Selection(IDC_AREA), "PATTERNS");
            EXPECT_EQ(w.Selection(IDC_DATA_TYPE), "Marker");
            EXPECT_EQ(w.Entries(IDC_DATA_TYPE).size(), 24u);
        });
    }
}

TEST_F(LookupTest, ToolbarTakesThePlaceholdersRectangleAndId) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        HWND hBar = w.Item(IDC_TOOLBAR);
        ASSERT_NE(hBar, nullptr);
        char cls[64] = "";
        GetClassNameA(hBar, cls, sizeof cls);
        EXPECT_STREQ(cls, "ToolbarWindow32");
        // The toolbar adds CCS_TOP to a style that names no side itself.
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hBar, GWL_STYLE)) & ~DWORD(CCS_TOP),
                  0x50000144u);
        RECT want = {173, 7, 173 + 64, 7 + 16};
        MapDialogRect(w.Dialog(), &want);
        RECT got;
        GetWindowRect(hBar, &got);
        MapWindowPoints(nullptr, w.Dialog(), reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);

        ASSERT_EQ(w.Send(hBar, TB_BUTTONCOUNT), 2);
        for (int i = 0; i < 2; ++i) {
            TBBUTTON button = {};
            w.Send(hBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            EXPECT_EQ(button.idCommand, 1000 + i);
            EXPECT_EQ(button.iBitmap, i);
            EXPECT_EQ(button.fsState & TBSTATE_ENABLED, TBSTATE_ENABLED);
            EXPECT_EQ(button.dwData, static_cast<DWORD_PTR>(i));
        }

        // Nothing anywhere in the dialog still shows the placeholder's text.
        PlaceholderSearch search = {&w, 0};
        EnumChildWindows(w.Dialog(), ShowsPlaceholder, reinterpret_cast<LPARAM>(&search));
        EXPECT_EQ(search.found, 0);
    });
}

// What a host's hooks can take away. A template without the placeholder (a
// localised one, say), made here by taking the placeholder away just before
// the dialog's initialisation; and a list view that cannot be made virtual
// (refused here, as a lack of window handles would): the dialog runs on,
// without a toolbar, the template's list holding the rows.
namespace {
LRESULT CALLBACK RemovePlaceholder(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == WM_INITDIALOG)
        DestroyWindow(GetDlgItem(msg->hwnd, IDC_TOOLBAR));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
LRESULT CALLBACK RefuseVirtualList(int code, WPARAM wParam, LPARAM lParam) {
    char cls[32] = "";
    if (code == HCBT_CREATEWND && GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof cls) &&
        lstrcmpiA(cls, WC_LISTVIEWA) == 0 &&
        (reinterpret_cast<const CBT_CREATEWNDA*>(lParam)->lpcs->style & LVS_OWNERDATA))
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

TEST_F(LookupTest, WithoutThePlaceholderOrAVirtualListTheDialogRunsOn) {
    HHOOK hHooks[] = {
        SetWindowsHookExA(WH_CALLWNDPROC, RemovePlaceholder, nullptr, GetCurrentThreadId()),
        SetWindowsHookExA(WH_CBT, RefuseVirtualList, nullptr, GetCurrentThreadId())};
    ASSERT_TRUE(hHooks[0] && hHooks[1]);
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    const int answer = LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        EXPECT_EQ(w.Item(IDC_TOOLBAR), nullptr);
        EXPECT_EQ(FindDescendant(w.Dialog(), TOOLBARCLASSNAMEA), nullptr);
        EXPECT_FALSE(w.ListStyle() & LVS_OWNERDATA);
        EXPECT_EQ(w.Names(), (std::vector<std::string>{"ABC", "ABD", "XAB"}));
        w.SetPattern("AB");
        EXPECT_EQ(w.Names(), (std::vector<std::string>{"ABC", "ABD"}));
        EXPECT_EQ(w.Rows()[1], (Row{"ABD", "07/03/09", "9:07 AM", "34"}));
        EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "2");
        w.SelectRows({1});
        w.Command(IDOK);
    });
    for (HHOOK hHook : hHooks)
        UnhookWindowsHookEx(hHook);
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(b.result, "ABD");
}

TEST_F(LookupTest, TooltipTextsComeFromTheModulesStrings) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        HWND hBar = w.Item(IDC_TOOLBAR);
        auto ask = [&](UINT code, UINT_PTR id, UINT flags) {
            NMTTDISPINFOA info = {};
            info.hdr.hwndFrom = hBar;
            info.hdr.idFrom = id;
            info.hdr.code = code;
            info.uFlags = flags;
            info.lpszText = const_cast<char*>("unanswered");
            w.Send(w.Dialog(), WM_NOTIFY, IDC_TOOLBAR, reinterpret_cast<LPARAM>(&info));
            return info;
        };
        for (UINT id : {ID_SET_DETAILS, ID_SET_LIST}) {
            SCOPED_TRACE("button " + std::to_string(id));
            NMTTDISPINFOA info = ask(TTN_GETDISPINFOA, id, 0);
            EXPECT_EQ(info.lpszText, MAKEINTRESOURCEA(id));
            EXPECT_EQ(info.hinst, Tavorin());
            char text[64] = "";
            LoadStringA(info.hinst, id, text, sizeof text);
            EXPECT_STREQ(text, id == ID_SET_DETAILS ? "Set Details" : "Set List");
        }
        // A tool named by its window: the window's control id.
        EXPECT_EQ(ask(TTN_GETDISPINFOA, reinterpret_cast<UINT_PTR>(hBar), TTF_IDISHWND).lpszText,
                  MAKEINTRESOURCEA(IDC_TOOLBAR));
        // The 16-bit text form and an id of 0 are not answered.
        EXPECT_STREQ(ask(TTN_GETDISPINFOW, ID_SET_DETAILS, 0).lpszText, "unanswered");
        EXPECT_STREQ(ask(TTN_GETDISPINFOA, 0, 0).lpszText, "unanswered");
    });
}

TEST_F(LookupTest, DetailsViewShowsFourColumnsOfAHundredPixels) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        w.Command(ID_SET_DETAILS);
        EXPECT_EQ(w.ListStyle() & LVS_TYPEMASK, LVS_REPORT);
        const char* const titles[] = {"Item", "Date", "Time", "Size"};
        for (int i = 0; i < 4; ++i) {
            char text[64] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            ASSERT_TRUE(w.Send(w.Item(IDC_ITEM_LIST), LVM_GETCOLUMNA, i,
                               reinterpret_cast<LPARAM>(&column)));
            EXPECT_STREQ(text, titles[i]);
            EXPECT_EQ(column.cx, 100);
            EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
            EXPECT_EQ(column.iSubItem, i);
        }
        LVCOLUMNA fifth = {};
        fifth.mask = LVCF_WIDTH;
        EXPECT_FALSE(
            w.Send(w.Item(IDC_ITEM_LIST), LVM_GETCOLUMNA, 4, reinterpret_cast<LPARAM>(&fifth)));
    });
}

// The checks below hold at every dpi; dpi_check.sh runs them at 192, 144
// and 96 dots per inch, the rest of the program at the prefix's 96.

TEST_F(LookupTest, ColumnsFitTheirLongestTextsAtTheDisplaysDpi) {
    fake_add_item("C:PATTERNS", kTypeMarker, "ABX-SLEEVE", 40960, kAfternoon);
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        const int dpi = ScreenDpi();
        SCOPED_TRACE("at " + std::to_string(dpi) + " dpi");
        ASSERT_EQ(w.Names(), (std::vector<std::string>{"ABC", "ABD", "XAB", "ABX-SLEEVE"}));
        // Widths read in details view: in list view the list answers with
        // the width of its own columns.
        w.Command(ID_SET_DETAILS);
        HWND hList = w.Item(IDC_ITEM_LIST);
        for (int i = 0; i < 4; ++i) {
            const LRESULT width = w.Send(hList, LVM_GETCOLUMNWIDTH, i);
            EXPECT_EQ(width, MulDiv(100, dpi, 96)) << "column " << i;
            // The list's own measure of its longest text, margins included.
            w.Send(hList, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(LVSCW_AUTOSIZE, 0));
            const LRESULT needed = w.Send(hList, LVM_GETCOLUMNWIDTH, i);
            w.Send(hList, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(width, 0));
            EXPECT_LE(needed, width) << "column " << i << " cuts its longest text";
        }
    });
}

TEST_F(LookupTest, ToolbarButtonsAtTheDisplaysDpi) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        const int dpi = ScreenDpi();
        SCOPED_TRACE("at " + std::to_string(dpi) + " dpi");
        HWND hBar = w.Item(IDC_TOOLBAR);
        const LRESULT size = w.Send(hBar, TB_GETBUTTONSIZE);
        EXPECT_EQ(LOWORD(size), MulDiv(23, dpi, 96));
        EXPECT_EQ(HIWORD(size), MulDiv(22, dpi, 96));

        RECT client;
        GetClientRect(hBar, &client);
        HWND hTips = reinterpret_cast<HWND>(w.Send(hBar, TB_GETTOOLTIPS));
        ASSERT_NE(hTips, nullptr);
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE("button " + std::to_string(i));
            RECT button = {};
            w.Send(hBar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button));
            EXPECT_LE(button.bottom, client.bottom) << "cut off by the placeholder's rectangle";
            EXPECT_LE(button.right, client.right);
            // The tooltip finds the button under the pointer at its middle
            // and the dialog still names it.
            TTHITTESTINFOA hit = {};
            hit.hwnd = hBar;
            hit.pt = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
            hit.ti.cbSize = sizeof hit.ti;
            ASSERT_TRUE(w.Send(hTips, TTM_HITTESTA, 0, reinterpret_cast<LPARAM>(&hit)));
            EXPECT_EQ(hit.ti.uId, static_cast<UINT_PTR>(ID_SET_DETAILS + i));
            char text[80] = "";
            hit.ti.lpszText = text;
            w.Send(hTips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&hit.ti));
            EXPECT_STREQ(text, i == 0 ? "Set Details" : "Set List");
        }
    });
}

// The toolbar painted anew and read back from the screen once its glyphs
// show (a busy machine paints later); bar receives its rectangle.
static ScreenPicture PaintedToolbar(HWND hBar, RECT& bar) {
    GetWindowRect(hBar, &bar);
    RedrawWindow(hBar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    WaitUntil([&] { return ScreenPicture(bar).Count(bar, GetSysColor(COLOR_BTNTEXT)) > 0; });
    return ScreenPicture(bar);
}

// A per-monitor-aware host's dialog moved to a monitor of half as many dots
// again, and back, where everything is as it was.
TEST_F(LookupTest, ColumnsButtonsImagesAndWindowFollowAMoveToAnotherDpi) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        const int dpi = ScreenDpi();
        w.Command(ID_SET_DETAILS);
        HWND hBar = w.Item(IDC_TOOLBAR);
        auto imageSize = [&] {
            SIZE size = {};
            ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(w.Send(hBar, TB_GETIMAGELIST)),
                                  reinterpret_cast<int*>(&size.cx),
                                  reinterpret_cast<int*>(&size.cy));
            return size;
        };
        // Scaled from the size at 96 dpi: the toolbar's own there (Wine's 16 x 16).
        const SIZE base = dpi == 96 ? imageSize() : SIZE{16, 15};
        RECT first, bar;
        GetWindowRect(w.Dialog(), &first);
        const ScreenPicture before = PaintedToolbar(hBar, bar);
        for (int to : {dpi * 3 / 2, dpi}) {
            SCOPED_TRACE("moved to " + std::to_string(to) + " dpi");
            RECT suggested = first;
            suggested.right = first.left + MulDiv(first.right - first.left, to, dpi);
            suggested.bottom = first.top + MulDiv(first.bottom - first.top, to, dpi);
            w.Send(w.Dialog(), WM_DPICHANGED, MAKEWPARAM(to, to),
                   reinterpret_cast<LPARAM>(&suggested));
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(w.Send(w.Item(IDC_ITEM_LIST), LVM_GETCOLUMNWIDTH, i),
                          MulDiv(100, to, 96));
            EXPECT_EQ(w.Send(hBar, TB_GETBUTTONSIZE),
                      MAKELONG(MulDiv(23, to, 96), MulDiv(22, to, 96)));
            EXPECT_EQ(imageSize().cx, MulDiv(base.cx, to, 96));
            EXPECT_EQ(imageSize().cy, MulDiv(base.cy, to, 96));
            RECT now;
            GetWindowRect(w.Dialog(), &now);
            EXPECT_TRUE(EqualRect(&now, &suggested));
        }
        RedrawWindow(hBar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_TRUE(WaitUntil([&] { return ScreenPicture(bar) == before; }))
            << "the toolbar as it was";
    });
}

// Alt and a label's key, typed anywhere, put the focus on the control after
// the label (a combo box's edit, for the data type).
TEST_F(LookupTest, AltWithALabelsKeyFocusesItsControl) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        for (const auto& key : {std::make_pair('l', IDC_DEVICE), std::make_pair('d', IDC_DATA_TYPE),
                                std::make_pair('n', IDC_ITEM_NAME)}) {
            PostMessageA(w.Focus(), WM_SYSCHAR, static_cast<WPARAM>(key.first), 1 << 29);
            EXPECT_TRUE(WaitUntil([&] {
                return w.Focus() == w.Item(key.second) || IsChild(w.Item(key.second), w.Focus());
            })) << "Alt+"
                << key.first;
        }
    });
}

// Row 1's name, "ABD", repainted with the focus on focus and read back
// inside its selection, clear of the focus rectangle: its pixels that stand
// out from the selection's colour at 4.5 : 1.
static int ReadableSelectedNamePixels(const LookupWindow& w, HWND focus) {
    HWND hList = w.Item(IDC_ITEM_LIST);
    w.Send(w.Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    RedrawWindow(hList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT name = {LVIR_LABEL, 0, 0, 0};
    w.Send(hList, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&name));
    MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&name), 2);
    name.right = name.left + static_cast<LONG>(w.Send(hList, LVM_GETSTRINGWIDTHA, 0,
                                                      reinterpret_cast<LPARAM>("ABD")));
    InflateRect(&name, 0, -2);
    const ScreenPicture picture(name);
    const COLORREF selection = picture.At(name.left + 2, (name.top + name.bottom) / 2);
    int readable = 0;
    for (LONG y = name.top; y < name.bottom; ++y)
        for (LONG x = name.left; x < name.right; ++x)
            readable += ColourContrast(picture.At(x, y), selection) >= 4.5;
    return readable;
}

// The view images and the selected row in the standard scheme and in a
// high-contrast one switched to while the dialog is open (most of each
// glyph's pixels stand out from the black face at 4.5 : 1; so does the
// row's text from its background, the focus in the name field or in the
// list), and the images back exactly as they were.
TEST_F(LookupTest, ViewImagesAndTheSelectionStandOutInEitherSchemeAndComeBack) {
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [](const LookupWindow& w) {
        HWND hBar = w.Item(IDC_TOOLBAR);
        RECT bar;
        const ScreenPicture standard = PaintedToolbar(hBar, bar);
        w.Command(ID_SET_DETAILS);
        w.SelectRows({1});
        auto selectionReads = [&](const char* scheme) {
            for (HWND focus : {w.Item(IDC_ITEM_NAME), w.Item(IDC_ITEM_LIST)}) {
                // Read until painted: a busy machine paints later.
                EXPECT_TRUE(WaitUntil([&] { return ReadableSelectedNamePixels(w, focus) >= 10; }))
                    << scheme << " scheme, focus in the "
                    << (focus == w.Item(IDC_ITEM_LIST) ? "list" : "name field");
            }
        };
        selectionReads("standard");
        // Drawn and readable glyph pixels of a button, as the screen shows it.
        auto glyphs = [&](int i) {
            RECT button = {};
            w.Send(hBar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button));
            const ScreenPicture contrast(bar);
            std::pair<int, int> n(0, 0);
            for (LONG y = bar.top + button.top + 3; y < bar.top + button.bottom - 3; ++y)
                for (LONG x = bar.left + button.left + 3; x < bar.left + button.right - 3; ++x) {
                    n.first += contrast.At(x, y) != RGB(0, 0, 0);
                    n.second += ColourContrast(contrast.At(x, y), RGB(0, 0, 0)) >= 4.5;
                }
            return n;
        };
        {
            HighContrastColours scheme;
            RedrawWindow(w.Dialog(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            // Painted once the dialog's thread gets to it, under load later:
            // until then the button may read all black, which has no glyph.
            WaitUntil([&] {
                const std::pair<int, int> n = glyphs(0);
                return n.first > 20 && n.second * 10 >= n.first * 9;
            });
            for (int i = 0; i < 2; ++i) {
                const std::pair<int, int> n = glyphs(i);
                EXPECT_GT(n.first, 20) << "button " << i;
                EXPECT_GE(n.second * 10, n.first * 9) << "button " << i;
            }
            selectionReads("high-contrast");
        }
        RedrawWindow(w.Dialog(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_TRUE(WaitUntil([&] { return ScreenPicture(bar) == standard; }));
    });
}

// The images at 192 dpi, from the module and from a library that has only
// bitmap 134, drawn on white: a dash of the details image in both, and the
// column divider only the larger image has.
TEST(LookupToolbarImages, LargerBitmapWhereTheLibraryHasItElseTheSmallOneScaled) {
    HMODULE hSmallOnly =
        LoadLibraryExA("lookup-small-images.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(hSmallOnly, nullptr);
    for (HMODULE hResources : {Tavorin(), hSmallOnly}) {
        const bool large = hResources == Tavorin();
        SCOPED_TRACE(large ? "the module's bitmaps" : "bitmap 134 only");
        CImageList images;
        ASSERT_TRUE(CreateViewImages(images, hResources, 192));
        EXPECT_EQ(ImageList_GetImageCount(images.m_hImageList), 2);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images.m_hImageList, &cx, &cy);
        EXPECT_EQ(cx, 32);
        EXPECT_EQ(cy, 30);

        HDC hDC = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        void* bits = nullptr;
        HBITMAP hCanvas = CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ hPrevious = SelectObject(hDC, hCanvas);
        PatBlt(hDC, 0, 0, cx, cy, WHITENESS);
        ImageList_Draw(images.m_hImageList, 0, hDC, 0, 0, ILD_NORMAL);
        EXPECT_EQ(GetPixel(hDC, 5, 11), GetSysColor(COLOR_BTNTEXT)) << "dash";
        EXPECT_EQ(GetPixel(hDC, 9, 13), large ? GetSysColor(COLOR_BTNSHADOW) : RGB(255, 255, 255))
            << "divider";
        SelectObject(hDC, hPrevious);
        DeleteObject(hCanvas);
        DeleteDC(hDC);
    }
    FreeLibrary(hSmallOnly);
}

// Run by language_check.sh with a language's library beside TAVORIN.dll.
// The type selector can only show ANSI text; the list's name, its column
// titles and the tooltips take UTF-16 and read right also in a code page
// that cannot hold the translation.
TEST_F(LookupTest, ATranslationReachesTheDialogInTheCodePageInForce) {
    const char* language = getenv("TAVORIN_TRANSLATION");
    if (!language)
        GTEST_SKIP() << "TAVORIN_TRANSLATION not set";
    const CodePageNames* cp = nullptr;
    for (const CodePageNames& names : kCodePages)
        cp = std::strcmp(names.language, language) == 0 && names.codePage == GetACP() ? &names : cp;
    const auto translated = [](UINT id) {
        const wchar_t* text = nullptr;
        const int n =
            LoadStringW(GetModuleHandleA("tavorinl.dll"), id, reinterpret_cast<wchar_t*>(&text), 0);
        return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring(L"(missing)");
    };
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [&](const LookupWindow& w) {
        if (cp) {
            EXPECT_EQ(w.Selection(IDC_DATA_TYPE), cp->marker);
        }
        HWND hList = w.Item(IDC_ITEM_LIST), hBar = w.Item(IDC_TOOLBAR);
        wchar_t text[80] = L"";
        InternalGetWindowText(hList, text, 80);
        EXPECT_EQ(text, translated(IDS_ITEM_LIST)) << "the list's name";
        for (int i = 0; i < 4; ++i) {
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT;
            column.pszText = text;
            column.cchTextMax = 80;
            w.Send(hList, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
            EXPECT_EQ(text, translated(IDS_ITEM + i)) << "column " << i;
        }
        for (UINT id : {ID_SET_DETAILS, ID_SET_LIST}) {
            TTTOOLINFOW tool = {sizeof tool, 0, hBar, id, {}, nullptr, text, 0, nullptr};
            w.Send(reinterpret_cast<HWND>(w.Send(hBar, TB_GETTOOLTIPS)), TTM_GETTEXTW, 80,
                   reinterpret_cast<LPARAM>(&tool));
            EXPECT_EQ(text, translated(id)) << "tooltip " << id;
        }
        const bool rtl = GetWindowLongA(w.Dialog(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL;
        EXPECT_EQ(rtl, std::strcmp(language, "he-IL") == 0) << "mirrored";
        RECT bar, selector, overlap;
        const ScreenPicture screen = PaintedToolbar(hBar, bar);
        for (int id : {IDC_DEVICE, IDC_AREA}) {
            GetWindowRect(w.Item(id), &selector);
            EXPECT_FALSE(IntersectRect(&overlap, &bar, &selector)) << "toolbar over control " << id;
        }
        for (int i = 0; i < 2; ++i) { // only the list view's glyph has yellow
            RECT button = {};
            w.Send(hBar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button));
            MapWindowPoints(hBar, nullptr, reinterpret_cast<POINT*>(&button), 2);
            EXPECT_EQ(screen.Count(button, RGB(255, 255, 0)) > 0, i == 1) << "button " << i;
        }
        w.Command(IDCANCEL);
    });
}

// Not a check: holds the dialog open in details view while screenshot.sh
// takes a picture of the screen. Runs only when that script asks.
TEST_F(LookupTest, HoldOpenForScreenshot) {
    const char* dir = getenv("TAVORIN_SCREENSHOT_DIR");
    if (!dir || !*dir)
        GTEST_SKIP() << "TAVORIN_SCREENSHOT_DIR not set";
    const std::string ready = std::string(dir) + "\\ready";
    const std::string done = std::string(dir) + "\\done";
    fake_add_item("C:PATTERNS", kTypeMarker, "ABX-SLEEVE", 40960, kAfternoon);
    // Names in a translation's language, from the environment in the ANSI code page.
    std::istringstream names(getenv("TAVORIN_SCREENSHOT_NAMES") ? getenv("TAVORIN_SCREENSHOT_NAMES")
                                                                : "");
    for (std::string name; std::getline(names, name, ',');)
        fake_add_item("C:PATTERNS", kTypeMarker, name.c_str(), 512, kMorning);
    std::unique_ptr<HighContrastColours> scheme;
    if (getenv("TAVORIN_SCREENSHOT_HIGH_CONTRAST"))
        scheme.reset(new HighContrastColours);
    Buffers b = Start("C:", "PATTERNS", kTypeMarker);
    LookupItem(b, "", kAllFlags, [&](const LookupWindow& w) {
        w.Command(ID_SET_DETAILS);
        w.SelectRows({1});
        RedrawWindow(w.Dialog(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(500);
        // The dialog's rectangle, for the picture to show the dialog alone;
        // written aside and renamed, so the script never reads half of it.
        RECT r;
        GetWindowRect(w.Dialog(), &r);
        const std::string partial = ready + ".part";
        if (std::FILE* f = std::fopen(partial.c_str(), "w")) {
            std::fprintf(f, "%ldx%ld+%ld+%ld", r.right - r.left, r.bottom - r.top, r.left, r.top);
            std::fclose(f);
        }
        MoveFileA(partial.c_str(), ready.c_str());
        for (int i = 0; i < 150 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(100);
    });
}
