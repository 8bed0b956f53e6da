// The enumeration interface over the stand-in storage library: a small
// store in a temporary folder, walked through the exported functions.
#include "afxstr.h"
#include "tavorin.h"

#include "kelvast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#if defined(_WIN32)
#include <sys/utime.h>
#include <windows.h>
#else
#include <utime.h>
#endif

namespace fs = std::filesystem;

namespace {

struct StoreFile {
    const char* path; // below the root, '/' separated
    int size;
    int64_t modTime;
};

// Device folders "C" and "3" (and the network): on Windows the walk probes
// the real drive letters, and C: is always there.
const StoreFile kFiles[] = {
    {"C/PATTERNS/9/AB1", 1234, 1000000000},
    {"C/PATTERNS/9/ab22", 0, 1100000000},
    {"C/PATTERNS/9/ZZ", 7, 1200000000},
    {"C/PATTERNS/9/NAME-OF-24-CHARACTERS-XX", 1, 1}, // too long for a caller's buffer
    {"C/PATTERNS/20/PIECE", 99, 1300000000},
    {"C/Models/12/M1", 5, 1400000000},
    {"3/AREA3/20/P3", 33, 1500000000},
    {"NETWORK/SHARED/22/PLOT1", 2, 1600000000},
};
const char* const kEmptyFolders[] = {"C/EMPTY", "d-is-not-a-device", "C/PATTERNS/5"};

fs::path g_root;

void SetVariable(const char* name, const std::string& value) {
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}
void SetStore(const fs::path& root) {
    SetVariable("KELVAST_STORE", root.string());
}

void SetModTime(const fs::path& file, int64_t seconds) {
#if defined(_WIN32)
    struct _utimbuf times = {static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    _utime(file.string().c_str(), &times);
#else
    struct utimbuf times = {static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    utime(file.string().c_str(), &times);
#endif
}

class TemporaryStore : public testing::Environment {
  public:
    void SetUp() override {
        g_root = fs::temp_directory_path() /
                 ("tavorin-store-" + std::to_string(static_cast<long long>(std::rand())) + "-" +
                  std::to_string(reinterpret_cast<uintptr_t>(&g_root) & 0xFFFF));
        fs::remove_all(g_root);
        for (const StoreFile& f : kFiles) {
            const fs::path file = g_root / fs::path(f.path).make_preferred();
            fs::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << std::string(static_cast<size_t>(f.size), 'x');
            SetModTime(file, f.modTime);
        }
        for (const char* folder : kEmptyFolders)
            fs::create_directories(g_root / fs::path(folder).make_preferred());
        SetStore(g_root);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(g_root, ignored);
    }
};

testing::Environment* const g_store = testing::AddGlobalTestEnvironment(new TemporaryStore);

uint32_t Drives() {
#if defined(_WIN32)
    return static_cast<uint32_t>(GetLogicalDrives());
#else
    return 1u << 2; // what libtavorin.so reports on POSIX
#endif
}

std::vector<std::string> Collect(char* first, char* (*next)()) {
    std::vector<std::string> names;
    for (char* name = first; name && names.size() < 100; name = next())
        names.push_back(name);
    return names;
}

TEST(StandInStore, DevicesAreTheNetworkAndTheFoldersOfPresentDrivesAndDigits) {
    std::vector<std::string> expected = {"NETWORK:"};
    if (Drives() & (1u << 2))
        expected.push_back("C:");
    expected.push_back("3:");
    EXPECT_EQ(Collect(ListFirstDevice("\\\\.", LF_NETWORK | LF_LOCAL_DRIVES), ListNextDevice),
              expected);
    // Device 3 marked failed is skipped.
    CStringList failed;
    failed.AddTail("3:");
    StoreFailedConnections(failed);
    expected.pop_back();
    EXPECT_EQ(Collect(ListFirstDevice(".", LF_NETWORK | LF_LOCAL_DRIVES), ListNextDevice),
              expected);
    CStringList none;
    StoreFailedConnections(none);
}

TEST(StandInStore, AreasComeSortedWithoutTheirDevice) {
    EXPECT_EQ(CountAreas("C:"), 3u);
    EXPECT_EQ(CountAreas("c"), 3u);
    EXPECT_EQ(CountAreas("3:"), 1u);
    EXPECT_EQ(CountAreas("D:"), 0u);
    EXPECT_EQ(Collect(ListFirstArea("C"), ListNextArea),
              (std::vector<std::string>{"EMPTY", "Models", "PATTERNS"}));
    EXPECT_EQ(Collect(ListFirstArea("NETWORK:"), ListNextArea), std::vector<std::string>{"SHARED"});
    EXPECT_EQ(ListFirstArea("Q:"), nullptr);
}

TEST(StandInStore, TypesAreTheTwentyFour) {
    int code = 0;
    int rows = 0;
    for (const char* name = ListFirstType(&code); name && rows < 30; name = ListNextType(&code))
        ++rows;
    EXPECT_EQ(rows, 24);
    EXPECT_EQ(code, 0);
}

struct Found {
    std::string name;
    int32_t size;
    int32_t modTime;
    bool operator==(const Found& o) const {
        return name == o.name && size == o.size && modTime == o.modTime;
    }
};

void PrintTo(const Found& f, std::ostream* os) {
    *os << "{" << f.name << ", " << f.size << " bytes, " << f.modTime << "}";
}

std::vector<Found> Items(const char* device, const char* area, int type, const char* pattern) {
    std::vector<Found> found;
    for (const char* name = ListFirstItem(device, area, type, pattern); name && found.size() < 100;
         name = ListNextItem())
        found.push_back({name, atc_data_size, atc_last_mod_time});
    return found;
}

TEST(StandInStore, ItemsMatchThePatternWithTheirSizeAndTime) {
    EXPECT_EQ(Items("C:", "PATTERNS", 9, "*"),
              (std::vector<Found>{
                  {"AB1", 1234, 1000000000}, {"ab22", 0, 1100000000}, {"ZZ", 7, 1200000000}}));
    EXPECT_EQ(Items("C", "patterns", 9, "AB*"),
              (std::vector<Found>{{"AB1", 1234, 1000000000}, {"ab22", 0, 1100000000}}));
    EXPECT_EQ(Items("C:", "PATTERNS", 9, "?B1"), (std::vector<Found>{{"AB1", 1234, 1000000000}}));
    EXPECT_EQ(Items("C:", "PATTERNS", 20, "*"), (std::vector<Found>{{"PIECE", 99, 1300000000}}));
    EXPECT_EQ(Items("3:", "AREA3", 20, "P*"), (std::vector<Found>{{"P3", 33, 1500000000}}));
    EXPECT_EQ(Items("NETWORK:", "SHARED", 22, "*"), (std::vector<Found>{{"PLOT1", 2, 1600000000}}));
    EXPECT_TRUE(Items("C:", "PATTERNS", 5, "*").empty());
    EXPECT_TRUE(Items("C:", "PATTERNS", 12, "*").empty());
    EXPECT_TRUE(Items("C:", "", 9, "*").empty());
    EXPECT_TRUE(Items("C:", "NOWHERE", 9, "*").empty());
}

TEST(StandInStore, ASlowStoreTakesItsLatencyAtEveryCallAndAnswersTheSame) {
    const std::vector<Found> plain = Items("C:", "PATTERNS", 9, "*");
    SetVariable("KELVAST_LATENCY", "20000");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Items("C:", "PATTERNS", 9, "*"), plain);
    // The first step, three items and the step that finds the end.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4 * 20));
    testing::internal::CaptureStderr();
    SetVariable("KELVAST_LATENCY", "20ms");
    EXPECT_EQ(Items("C:", "PATTERNS", 9, "*"), plain);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("KELVAST_LATENCY=\"20ms\" is not"),
              std::string::npos);
    SetVariable("KELVAST_LATENCY", "");
}

TEST(StandInStore, TheDialogsWalkOrderWorksEndToEnd) {
    // As the Lookup dialog fills its lists: devices, areas, types, items.
    std::vector<std::string> devices =
        Collect(ListFirstDevice("\\\\.", LF_LOCAL_DRIVES | LF_NETWORK), ListNextDevice);
    int items = 0;
    for (const std::string& device : devices) {
        for (const std::string& area : Collect(ListFirstArea(device.c_str()), ListNextArea)) {
            int code = 0;
            std::vector<int> codes;
            for (const char* t = ListFirstType(&code); t; t = ListNextType(&code))
                codes.push_back(code);
            for (int c : codes)
                items += static_cast<int>(Items(device.c_str(), area.c_str(), c, "*").size());
        }
    }
    const int onDriveC = (Drives() & (1u << 2)) ? 5 : 0;
    EXPECT_EQ(items, onDriveC + 2);
}

} // namespace

// The library's text in the caller's terms: ANSI code page bytes on Windows,
// the UTF-8 of the file system elsewhere.
std::string Native(const std::string& utf8) {
#if defined(_WIN32)
    wchar_t wide[64];
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 64);
    char text[128];
    WideCharToMultiByte(CP_ACP, 0, wide, n, text, sizeof text, nullptr, nullptr);
    return text;
#else
    return utf8;
#endif
}

TEST(StandInStore, NamesBeyondAsciiPassIntactAndTheLimitCountsBytes) {
    // Names as UTF-8 here; made on disk through the file system's own names.
    const std::string arm = "\xC3\x84RMEL-1",
                      street = "STRA\xC3\x9F"
                               "E-\xC3\xA9",
                      small = "\xC3\xA4"
                              "B";
    std::string fits; // as many A-umlauts as 23 bytes of the caller's text hold
    while (Native(fits + "\xC3\x84").size() <= 23)
        fits += "\xC3\x84";
    while (Native(fits).size() < 23)
        fits += "X";
    const fs::path folder = g_root / "C" / "PATTERNS" / "7";
    for (const std::string& name : {arm, street, small, fits, fits + "Y"}) {
        fs::create_directories(folder);
        std::ofstream(folder / fs::u8path(name), std::ios::binary) << "x";
    }
    std::vector<std::string> names;
    for (const Found& f : Items("C:", "PATTERNS", 7, "*"))
        names.push_back(f.name);
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {Native(arm), Native(street), Native(small), Native(fits)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected) << "the name of 24 bytes is skipped, the others arrive whole";
    EXPECT_EQ(Items("C:", "PATTERNS", 7, Native("\xC3\x84R*").c_str()).size(), 1u);
    EXPECT_EQ(Items("C:", "PATTERNS", 7, "?RMEL-1").size(), 1u) << "\"?\" takes one character";
    // Case folds by character, in the match and in the order ("b" < "r" < "\xC3\xA4").
    names.clear();
    for (const Found& f : Items("C:", "PATTERNS", 7, Native("\xC3\xA4*").c_str()))
        names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{Native(small), Native(arm), Native(fits)}));
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

#if !defined(_WIN32)
// Case folds as Windows folds it. In UTF-8 (and the C locale) a byte that is
// not UTF-8 is a character of its own, compared exactly, and the bytes
// after it stay themselves; in ja_JP.SJIS "\x83\x41" is one character.
TEST(StandInStore, NamesFoldAsWindowsDoesAndFollowTheLocalesCharacterSet) {
    const fs::path folder = g_root / "C" / "PATTERNS" / "7";
    fs::create_directories(folder);
    for (const char* name : {"\x83\x41", "\xC4\xB0X", "\xCE\x86X", "caf\xE9", "caf\xE9.dat"})
        std::ofstream(folder / name, std::ios::binary) << "x";
    // clang-format off
    const std::tuple<const char*, const char*, size_t> rows[] = {
        {"C", "\x83\x61", 1}, {"C", "??", 3}, {"C", "iX", 1}, {"C", "\xC4\xB1X", 0},
        {"C", "\xCE\xACX", 1}, {"C", "*.dat", 1}, {"C", "caf\xE9*", 2}, {"C.UTF-8", "?", 0},
        {"C.UTF-8", "CAF\xE9", 1}, {"ja_JP.SJIS", "?", 1}, {"ja_JP.SJIS", "\x83\x61", 0},
        {"ja_JP.SJIS", "\x83\x41", 1}};
    // clang-format on
    for (const auto& [locale, pattern, found] : rows) {
        ASSERT_TRUE(std::setlocale(LC_CTYPE, locale)) << locale << " (scripts/lib.sh makes it)";
        EXPECT_EQ(Items("C:", "PATTERNS", 7, pattern).size(), found) << locale << " " << pattern;
    }
    std::setlocale(LC_CTYPE, "C");
    const std::vector<Found> whole = Items("C:", "PATTERNS", 7, "caf\xE9");
    EXPECT_TRUE(whole.size() == 1 && whole[0].name == "caf\xE9") << "its last byte is lost";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
#endif

#if defined(_WIN32)
// at_connect_to_network's answer from a copy of the stand-in at file, which
// without KELVAST_STORE reads "store" beside itself: here one that holds
// the network device.
int ConnectFromCopy(const std::wstring& file) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleA("Kelvast.dll"), self, MAX_PATH);
    HMODULE library = CopyFileW(self, file.c_str(), FALSE) ? LoadLibraryW(file.c_str()) : nullptr;
    if (!library)
        return -1;
    fs::create_directories(fs::path(file).parent_path() / "store" / "NETWORK");
    const fs::path was = fs::current_path();
    fs::current_path(g_root); // where a relative "store" would lead
    _putenv_s("KELVAST_STORE", "");
    const int answer = reinterpret_cast<int (*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, "at_connect_to_network")))();
    fs::current_path(was);
    SetStore(g_root);
    FreeLibrary(library);
    DeleteFileW(file.c_str()); // beyond what the store's removal may reach
    return answer;
}

TEST(StandInStore, ACopyBeyondMaxPathCannotReadItsPathAndServesNoStore) {
    EXPECT_EQ(0,
              ConnectFromCopy(L"\\\\?\\" + (g_root / (std::string(240, 'k') + ".dll")).wstring()));
}

TEST(StandInStore, ACopyInAFolderTheAnsiCodePageCannotNameServesItsStore) {
    const fs::path folder = g_root / L"\x0141ukasz";
    fs::create_directories(folder);
    EXPECT_EQ(1, ConnectFromCopy((folder / "Kelvast.dll").wstring()));
}
#endif
