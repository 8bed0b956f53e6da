// The typical request against the stand-in storage over a store of real
// folders and files: names, sizes and times come from the file system.
#include "lookup_driver.h"
#include "resource.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string g_root;
const wchar_t kArmel[] = L"\u00c4RMEL-1";

void MakeFolder(const std::string& path) {
    CreateDirectoryA((g_root + path).c_str(), nullptr);
}

void MakeItem(const std::string& path, DWORD size, LONGLONG unixSeconds) {
    HANDLE h =
        CreateFileA((g_root + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    SetFilePointer(h, static_cast<LONG>(size), nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    const ULONGLONG ticks = static_cast<ULONGLONG>(unixSeconds + 11644473600LL) * 10000000ULL;
    FILETIME ft = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

// Removes the store again, leaves first; by UTF-16 names, which name every
// entry.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

class StandInStore : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        g_root = std::string(temp) + "tavorin-lookup-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(g_root.c_str(), nullptr);
        for (const char* folder : {"\\C", "\\C\\PATTERNS", "\\C\\PATTERNS\\9", "\\C\\PATTERNS\\7",
                                   "\\C\\DATA", "\\3", "\\3\\ARCHIVE"})
            MakeFolder(folder);
        MakeItem("\\C\\PATTERNS\\9\\ABC", 1200, 1173449100); // 2007-03-09 14:05 UTC
        MakeItem("\\C\\PATTERNS\\9\\ABD", 34, 1173431220);   // 09:07
        MakeItem("\\C\\PATTERNS\\9\\XAB", 5, 1173449100);
        // Macros whose names are beyond ASCII, made under their own (UTF-16)
        // names; "\u0141" (an L with a stroke) is in no Western code page.
        wchar_t root[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, g_root.c_str(), -1, root, MAX_PATH);
        CreateDirectoryW((std::wstring(root) + L"\\C\\\u0141UKASZ").c_str(), nullptr);
        for (const wchar_t* name : {kArmel, L"\u0141\u00f3d\u017a1", L"Lodz1"}) {
            HANDLE h = CreateFileW((std::wstring(root) + L"\\C\\PATTERNS\\7\\" + name).c_str(),
                                   GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            CloseHandle(h);
        }
        _putenv(("KELVAST_STORE=" + g_root).c_str());
    }
    static void TearDownTestSuite() { RemoveTree(std::wstring(g_root.begin(), g_root.end())); }
};

typedef std::vector<std::string> Texts;

} // namespace

TEST_F(StandInStore, TypicalRequestEndToEnd) {
    char device[64] = "C:", area[256] = "PATTERNS", result[64] = "";
    int type = 9;
    int answer = -1;
    DriveLookup(
        [&] {
            answer = AtLookupItem(device, area, &type, "",
                                  LF_LOCAL_DRIVES | LF_DEVICE | LF_AREA | LF_TYPE, result);
        },
        [](const LookupWindow& w) {
            EXPECT_EQ(w.Entries(IDC_DEVICE), (Texts{"3:", "C:"}));
            EXPECT_EQ(w.Entries(IDC_AREA), (Texts{"DATA", "PATTERNS"}));
            EXPECT_EQ(w.Selection(IDC_DATA_TYPE), "Marker");
            EXPECT_EQ(w.Rows(), (std::vector<Row>{{"ABC", "07/03/09", "2:05 PM", "1200"},
                                                  {"ABD", "07/03/09", "9:07 AM", "34"},
                                                  {"XAB", "07/03/09", "2:05 PM", "5"}}));
            w.SetPattern("A");
            w.SetPattern("AB");
            EXPECT_EQ(w.Names(), (Texts{"ABC", "ABD"}));
            EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "2");
            w.SelectRows({1});
            w.Send(w.Item(IDC_ITEM_LIST), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
            EXPECT_TRUE(w.WaitClosed());
        });
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(device, "C:");
    EXPECT_STREQ(area, "PATTERNS");
    EXPECT_EQ(type, 9);
    EXPECT_STREQ(result, "ABD");
}

TEST_F(StandInStore, ANameBeyondAsciiIsShownRightAndHandedBackInTheCallersCodePage) {
    char ansi[32] = "";
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, 0, kArmel, -1, ansi, sizeof ansi, nullptr, &lost);
    if (lost)
        GTEST_SKIP() << "the ANSI code page " << GetACP() << " has no A-umlaut";
    char device[64] = "C:", area[256] = "PATTERNS", result[64] = "";
    int type = 7, answer = -1;
    std::wstring shown;
    DriveLookup(
        [&] { answer = AtLookupItem(device, area, &type, "", LF_LOCAL_DRIVES, result); },
        [&](const LookupWindow& w) {
            // What the list draws: its text as the system's own UTF-16.
            wchar_t text[32] = L"";
            LVITEMW item = {};
            item.pszText = text;
            item.cchTextMax = 32;
            w.Send(w.Item(IDC_ITEM_LIST), LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
            shown = text;
            // What the code page cannot hold is no name of the walk's, never
            // a near one ("Lukasz", "L\xF3dz1"); nor is a name typed so.
            EXPECT_EQ(w.Entries(IDC_AREA), (Texts{"DATA", "PATTERNS"}));
            EXPECT_EQ(w.Names(), (Texts{"Lodz1", ansi}));
            SendMessageTimeoutW(w.Item(IDC_ITEM_NAME), WM_SETTEXT, 0,
                                reinterpret_cast<LPARAM>(L"\u0142"), SMTO_BLOCK, kSendTimeoutMs,
                                nullptr);
            EXPECT_EQ(w.Text(IDC_ITEM_COUNT), "0");
            w.SetPattern("\xC4");
            EXPECT_EQ(w.Names(), Texts{ansi}) << "the pattern with an A-umlaut does not match";
            w.SelectRows({0});
            w.Command(IDOK);
        });
    EXPECT_TRUE(shown == kArmel) << "the list shows another name";
    EXPECT_EQ(answer, 1);
    EXPECT_STREQ(result, ansi);
}
