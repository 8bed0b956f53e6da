// The resource library rules in process: product versions as read from the
// libraries the build makes, and the common library's once-per-load rule.
// LoadResourceDll is linked in directly; a "module" is a resource-only
// library loaded from a folder of the test's making.
//
// Usage: resource_dll_test --resdll <folder of tavorinl.dll, Dalquintoria.dll>
#include "message_boxes.h"
#include "resource_dll.h"
#include "version.h"

#include "gtest/gtest.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string g_resdll, g_here;

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

TEST(LocalisedLibrary, AcceptedLibraryIsReturnedLoaded) {
    ModuleFolder folder("german", "");
    // The stand-in module has the product version of the German library.
    char path[MAX_PATH];
    GetModuleFileNameA(folder.m_hModule, path, MAX_PATH);
    std::string dir = path;
    dir.erase(dir.rfind('\\') + 1);
    ASSERT_TRUE(CopyFileA(Res("tavorinl.dll").c_str(), (dir + "tavorinl.dll").c_str(), FALSE));
    MessageBoxCatcher catcher;
    HINSTANCE hGerman = LoadResourceDll(folder.m_hModule, "tavorinl.dll");
    EXPECT_TRUE(catcher.m_boxes.empty());
    ASSERT_NE(nullptr, hGerman);
    EXPECT_EQ(hGerman, GetModuleHandleA((dir + "tavorinl.dll").c_str()));
    char text[64] = "";
    LoadStringA(hGerman, 8, text, sizeof text);
    EXPECT_STREQ("Schnittbild", text);
    FreeLibrary(hGerman);
    DeleteFileA((dir + "tavorinl.dll").c_str());
}

// Unix paths (from CTest) are reached through Wine's Z: drive.
std::string WindowsFolder(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path.back() == '\\' ? path : path + "\\";
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--resdll")
            g_resdll = WindowsFolder(argv[i + 1]);
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    g_here = self;
    g_here.erase(g_here.rfind('\\') + 1);
    if (g_resdll.empty()) {
        std::fprintf(stderr, "usage: resource_dll_test --resdll DIR\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
