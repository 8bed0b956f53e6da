// The resource library rules in process: product versions as read from the
// libraries the build makes, and the common library's once-per-load rule.
// LoadResourceDll is linked in directly; a "module" is a resource-only
// library loaded from a folder of the test's making.
//
// Also: the German library carries every resource of the module's own, with
// the same dialog layout.
//
// Usage: resource_dll_test --resdll <folder of tavorinl.dll, Dalquintoria.dll>
//                          --tavorin <TAVORIN.dll>
#include "message_boxes.h"
#include "resource_dll.h"
#include "resource.h"
#include "version.h"

#include "windows_path.h"

#include "gtest/gtest.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string g_resdll, g_here, g_tavorin;

std::string Res(const char* name) {
    return g_resdll + name;
}
std::string Here(const char* name) {
    return g_here + name;
}

const DWORD kProductMS = (TAVORIN_VERSION_MAJOR << 16) | TAVORIN_VERSION_MINOR;
const DWORD kProductLS = (TAVORIN_VERSION_BUILD << 16) | TAVORIN_VERSION_REVISION;

// ---------------------------------------------------------------------------
// Product versions

TEST(ProductVersion, ReadsBothWordsOfTheRootBlock) {
    DWORD ls = 0, ms = 0;
    ASSERT_NE(0, ReadProductVersion(Res("tavorinl.dll").c_str(), &ls, &ms));
    EXPECT_EQ(kProductLS, ls);
    EXPECT_EQ(kProductMS, ms);
    ASSERT_NE(0, ReadProductVersion(Here("module_variant_79.dll").c_str(), &ls, &ms));
    EXPECT_EQ(kProductLS + 1, ls);
    EXPECT_EQ(kProductMS, ms);
}

TEST(ProductVersion, FailureLeavesTheOutWordsAlone) {
    for (const std::string& path : {Here("module_variant_nover.dll"), Here("no such file.dll")}) {
        DWORD ls = 0xAAAA, ms = 0xBBBB;
        EXPECT_EQ(0, ReadProductVersion(path.c_str(), &ls, &ms)) << path;
        EXPECT_EQ(0xAAAAu, ls) << path;
        EXPECT_EQ(0xBBBBu, ms) << path;
    }
}

TEST(ProductVersion, OnlyTheProductVersionDecides) {
    const std::string german = Res("tavorinl.dll");
    struct {
        const char* file;
        int expected;
    } const cases[] = {
        {"module_variant_file.dll", 1}, // file version 8.4.1.99
        {"module_variant_79.dll", 0},
        {"module_variant_nover.dll", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, ResourceVersionsMatch(german.c_str(), Here(c.file).c_str()))
            << c.file;
        EXPECT_EQ(c.expected, ResourceVersionsMatch(Here(c.file).c_str(), german.c_str()))
            << c.file << " as the module";
    }
    EXPECT_EQ(1, ResourceVersionsMatch(german.c_str(), Res("Dalquintoria.dll").c_str()));
}

// ---------------------------------------------------------------------------
// The common library: looked for on every call until one load succeeds,
// then never again.

// A folder holding a stand-in module (a copy of Dalquintoria.dll under
// another name) and, when given, a Dalquintoria.dll.
class ModuleFolder {
  public:
    // The common library stays loaded to the end of the process, so its
    // folder outlives the test that made it; an earlier run's is removed
    // here once it is an hour old (no run takes that long).
    static void RemoveStaleFolders() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        const ULONGLONG hourAgo =
            ((ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime) - 3600ULL * 10000000ULL;
        WIN32_FIND_DATAA data;
        HANDLE hFind = FindFirstFileA((std::string(temp) + "tavorin-resdll-*").c_str(), &data);
        if (hFind == INVALID_HANDLE_VALUE)
            return;
        do {
            const ULONGLONG written = (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                      data.ftLastWriteTime.dwLowDateTime;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || written > hourAgo)
                continue;
            const std::string dir = std::string(temp) + data.cFileName + "\\";
            WIN32_FIND_DATAA file;
            HANDLE hFiles = FindFirstFileA((dir + "*.dll").c_str(), &file);
            if (hFiles != INVALID_HANDLE_VALUE) {
                do {
                    DeleteFileA((dir + file.cFileName).c_str());
                } while (FindNextFileA(hFiles, &file));
                FindClose(hFiles);
            }
            RemoveDirectoryA(dir.c_str());
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }

    ModuleFolder(const char* tag, const std::string& common) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_dir = std::string(temp) + "tavorin-resdll-" + std::to_string(GetCurrentProcessId()) +
                "-" + tag + "\\";
        CreateDirectoryA(m_dir.c_str(), nullptr);
        m_module = m_dir + "module-" + tag + ".dll";
        EXPECT_TRUE(CopyFileA(Res("Dalquintoria.dll").c_str(), m_module.c_str(), FALSE));
        if (!common.empty()) {
            EXPECT_TRUE(CopyFileA(common.c_str(), (m_dir + "Dalquintoria.dll").c_str(), FALSE));
        }
        m_hModule = LoadLibraryA(m_module.c_str());
        EXPECT_NE(nullptr, m_hModule) << m_module;
    }
    // Files stay behind while a library from them is loaded; the process
    // keeps the common library to its end.
    ~ModuleFolder() {
        if (m_hModule)
            FreeLibrary(m_hModule);
        DeleteFileA(m_module.c_str());
        DeleteFileA((m_dir + "Dalquintoria.dll").c_str());
        RemoveDirectoryA(m_dir.c_str());
    }
    ModuleFolder(const ModuleFolder&) = delete;
    ModuleFolder& operator=(const ModuleFolder&) = delete;

    HINSTANCE m_hModule = nullptr;

  private:
    std::string m_dir, m_module;
};

TEST(CommonLibrary, IsLookedForUntilLoadedThenNeverAgain) {
    ASSERT_EQ(nullptr, GetModuleHandleA("Dalquintoria.dll"));
    ModuleFolder broken("broken", Here("module_otherarch.dll"));
    ModuleFolder good("good", Res("Dalquintoria.dll"));
    ModuleFolder none("none", "");
    const std::string loadError = "Error loading resource DLL! (Dalquintoria.dll)  Error Code " +
                                  std::to_string(ERROR_BAD_EXE_FORMAT) +
                                  ".\nUntranslated resources will be used.";

    struct Step {
        const char* what;
        HINSTANCE hModule;
        size_t boxes;
        bool commonLoaded;
    } const steps[] = {
        {"absent: silent", none.m_hModule, 0, false},
        {"not loadable: one box", broken.m_hModule, 1, false},
        {"still null, so looked for again", broken.m_hModule, 1, false},
        {"loadable: kept", good.m_hModule, 0, true},
        {"kept: the broken one is not looked at", broken.m_hModule, 0, true},
    };
    for (const Step& step : steps) {
        MessageBoxCatcher catcher;
        ASSERT_TRUE(catcher.IsHooked());
        EXPECT_EQ(nullptr, LoadResourceDll(step.hModule, "tavorinl.dll")) << step.what;
        ASSERT_EQ(step.boxes, catcher.m_boxes.size()) << step.what;
        for (const MessageBoxSeen& box : catcher.m_boxes)
            EXPECT_EQ(loadError, box.text) << step.what;
        EXPECT_EQ(step.commonLoaded, GetModuleHandleA("Dalquintoria.dll") != nullptr) << step.what;
    }
}

// A module in a folder whose name the ANSI code page cannot write (under
// 1252, U+0141) still finds the library beside it, silently.
TEST(LocalisedLibrary, IsFoundInAFolderTheAnsiCodePageCannotName) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir =
        temp + (L"tavorin-\x0141ukasz-" + std::to_wstring(GetCurrentProcessId()));
    const std::wstring module = dir + L"\\module.dll", library = dir + L"\\tavorinl.dll";
    wchar_t german[MAX_PATH]; // the module's version is the library's
    MultiByteToWideChar(CP_ACP, 0, Res("tavorinl.dll").c_str(), -1, german, MAX_PATH);
    CreateDirectoryW(dir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(german, module.c_str(), FALSE) &&
                CopyFileW(german, library.c_str(), FALSE));
    HMODULE hModule = LoadLibraryW(module.c_str());
    MessageBoxCatcher catcher;
    HINSTANCE hLoaded = LoadResourceDll(hModule, "tavorinl.dll");
    EXPECT_NE(nullptr, hLoaded);
    EXPECT_EQ(0u, catcher.m_boxes.size());
    for (HMODULE h : {hLoaded, hModule})
        FreeLibrary(h);
    for (const std::wstring& file : {module, library})
        DeleteFileW(file.c_str());
    RemoveDirectoryW(dir.c_str());
}

// ---------------------------------------------------------------------------
// The German library against the module's own resources

// A library's resources, read without running it.
class ResourceFile {
  public:
    explicit ResourceFile(const std::string& path)
        : m_hModule(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ResourceFile() {
        if (m_hModule)
            FreeLibrary(m_hModule);
    }
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    bool IsOpen() const { return m_hModule != nullptr; }
    std::vector<unsigned char> Data(const char* type, unsigned id) const {
        HRSRC hInfo = FindResourceA(m_hModule, MAKEINTRESOURCEA(id), type);
        HGLOBAL hData = hInfo ? LoadResource(m_hModule, hInfo) : nullptr;
        const auto* p = static_cast<const unsigned char*>(hData ? LockResource(hData) : nullptr);
        return p ? std::vector<unsigned char>(p, p + SizeofResource(m_hModule, hInfo))
                 : std::vector<unsigned char>();
    }
    std::string String(unsigned id) const {
        char text[256] = "";
        return LoadStringA(m_hModule, id, text, sizeof text) > 0 ? text : "(missing)";
    }

  private:
    HMODULE m_hModule;
};

// A classic dialog template with its texts left out: what must agree
// between translations. One line per field.
std::vector<std::string> TemplateLayout(const std::vector<unsigned char>& data) {
    std::vector<std::string> lines;
    if (data.size() < sizeof(DLGTEMPLATE))
        return lines;
    const unsigned char* const base = data.data();
    const unsigned char* const end = base + data.size();
    const auto* words = reinterpret_cast<const WORD*>(base);
    auto skipText = [&](const WORD* p, bool keep) {
        std::string text;
        if (*p == 0xFFFF)
            return std::make_pair(p + 2, "#" + std::to_string(p[1]));
        while (reinterpret_cast<const unsigned char*>(p) < end && *p)
            text += static_cast<char>(*p++ & 0x7F);
        return std::make_pair(p + 1, keep ? text : std::string("text"));
    };
    DLGTEMPLATE head;
    std::memcpy(&head, base, sizeof head);
    char line[160];
    std::snprintf(line, sizeof line, "dialog style %08lx ex %08lx items %d at %d,%d size %d,%d",
                  head.style, head.dwExtendedStyle, head.cdit, head.x, head.y, head.cx, head.cy);
    lines.push_back(line);
    words += sizeof head / sizeof(WORD);
    auto menu = skipText(words, true);
    auto cls = skipText(menu.first, true);
    auto title = skipText(cls.first, false);
    words = title.first;
    lines.push_back("menu '" + menu.second + "' class '" + cls.second + "'");
    if (head.style & DS_SETFONT) {
        const WORD points = *words++;
        auto face = skipText(words, true);
        words = face.first;
        lines.push_back("font " + std::to_string(points) + " " + face.second);
    }
    for (int i = 0; i < head.cdit; ++i) {
        // Items start on a DWORD boundary.
        const size_t offset =
            (reinterpret_cast<const unsigned char*>(words) - base + 3) & ~size_t(3);
        if (offset + sizeof(DLGITEMTEMPLATE) > data.size()) {
            lines.push_back("truncated");
            break;
        }
        DLGITEMTEMPLATE item;
        std::memcpy(&item, base + offset, sizeof item);
        words = reinterpret_cast<const WORD*>(base + offset + sizeof item);
        auto itemClass = skipText(words, true);
        auto itemTitle = skipText(itemClass.first, false);
        const WORD extra = *itemTitle.first;
        words = itemTitle.first + 1 + (extra + 1) / 2;
        std::snprintf(line, sizeof line,
                      "item %d id %u class %s style %08lx ex %08lx at %d,%d size %d,%d", i, item.id,
                      itemClass.second.c_str(), item.style, item.dwExtendedStyle, item.x, item.y,
                      item.cx, item.cy);
        lines.push_back(line);
    }
    return lines;
}

TEST(GermanLibrary, DialogHasTheModulesLayout) {
    ResourceFile own(g_tavorin), german(Res("tavorinl.dll"));
    ASSERT_TRUE(own.IsOpen()) << g_tavorin;
    ASSERT_TRUE(german.IsOpen());
    const std::vector<std::string> ownLayout = TemplateLayout(own.Data(RT_DIALOG, IDD_LOOKUP));
    ASSERT_EQ(3u + 13u, ownLayout.size()) << "the module's own template 129";
    EXPECT_EQ(ownLayout, TemplateLayout(german.Data(RT_DIALOG, IDD_LOOKUP)));
}

TEST(GermanLibrary, CarriesEveryStringAndTheBitmap) {
    ResourceFile own(g_tavorin), german(Res("tavorinl.dll"));
    std::vector<unsigned> ids;
    for (unsigned id = 1; id <= IDS_AREA; ++id)
        ids.push_back(id);
    ids.push_back(ID_SET_DETAILS);
    ids.push_back(ID_SET_LIST);
    for (unsigned id : ids) {
        const std::string text = german.String(id);
        EXPECT_NE("(missing)", text) << "string " << id;
        EXPECT_NE(own.String(id), text) << "string " << id << " is not translated";
    }
    for (unsigned id : {IDB_VIEW_BUTTONS, IDB_VIEW_BUTTONS_LARGE}) {
        const std::vector<unsigned char> bitmap = own.Data(RT_BITMAP, id);
        EXPECT_FALSE(bitmap.empty()) << "bitmap " << id;
        EXPECT_EQ(bitmap, german.Data(RT_BITMAP, id)) << "bitmap " << id;
    }
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    ModuleFolder::RemoveStaleFolders();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--resdll")
            g_resdll = WindowsPath(argv[i + 1]) + "\\";
        else if (std::string(argv[i]) == "--tavorin")
            g_tavorin = WindowsPath(argv[i + 1]);
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    g_here = self;
    g_here.erase(g_here.rfind('\\') + 1);
    if (g_resdll.empty() || g_tavorin.empty()) {
        std::fprintf(stderr, "usage: resource_dll_test --resdll DIR --tavorin FILE\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
