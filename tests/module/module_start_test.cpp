// Start-up of TAVORIN.dll with and without resource libraries beside it.
// Each case lays out a fresh folder with TAVORIN.dll, the storage library and
// the companions it wants, loads TAVORIN.dll in a child process
// (module_host) and reads back what that process saw: the message boxes,
// the type names and which resource libraries ended up loaded.
//
// Usage: module_start_test --tavorin <TAVORIN.dll> --kelvast <Kelvast.dll>
//                          --resdll <folder of tavorinl.dll, Dalquintoria.dll>
#include "windows_path.h"

#include "gtest/gtest.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Inputs {
    std::string tavorin, kelvast, resdll, here;
} g_in;

const char kTavorinl[] = "tavorinl.dll";
const char kCommon[] = "Dalquintoria.dll";

// clang-format off
const std::vector<std::string> kEnglishTypes = {
    "Alteration", "Annotation", "Block Buffer", "Cut", "Stored Digitize Data", "Lay Limits",
    "Layrule", "Macro", "Marker", "Matching Rules", "Model", "Order", "P-Cutter",
    "P-Layrule-Search", "P-Marker-Plot", "P-Notch", "P-Piece-Plot", "P-User-Environ", "Piece",
    "Piece List", "Plot", "Rule Table", "Size Code", "Text"};

// As UTF-8; the host reports them in the process's ANSI code page.
const std::vector<std::string> kGermanTypesUtf8 = {
    "Änderung", "Anmerkung", "Blockpuffer", "Schnitt", "Gespeicherte Digitalisierdaten",
    "Legegrenzen", "Legeregel", "Makro", "Schnittbild", "Abgleichregeln", "Modell", "Auftrag",
    "P-Zuschneider", "P-Legeregel-Suche", "P-Schnittbild-Plot", "P-Knipse", "P-Teile-Plot",
    "P-Benutzerumgebung", "Teil", "Teileliste", "Plotdatei", "Regeltabelle", "Größencode",
    "Textdatei"};
// clang-format on

std::string Ansi(const std::string& utf8) {
    wchar_t wide[256];
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 256);
    char ansi[256];
    WideCharToMultiByte(CP_ACP, 0, wide, n, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

std::vector<std::string> GermanTypes() {
    std::vector<std::string> names;
    for (const std::string& name : kGermanTypesUtf8)
        names.push_back(Ansi(name));
    return names;
}

std::vector<std::string> VariantTypes() {
    std::vector<std::string> names;
    // Rows in type-code order take string ids 1-6, 23, 7, 8, 24, 9-22.
    for (int id :
         {1, 2, 3, 4, 5, 6, 23, 7, 8, 24, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22})
        names.push_back("Variant " + std::to_string(id));
    return names;
}

std::string IncompatibleText(const char* name) {
    return std::string("Error loading resource DLL! (") + name +
           ")  Incompatible version.\\nUntranslated resources will be used.";
}

std::string LoadErrorText(const char* name, unsigned long error) {
    return std::string("Error loading resource DLL! (") + name + ")  Error Code " +
           std::to_string(error) + ".\\nUntranslated resources will be used.";
}

// Paths longer than MAX_PATH are made through the \\?\ form.
std::wstring Extended(const std::string& path) {
    wchar_t wide[1024];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024);
    return L"\\\\?\\" + std::wstring(wide);
}

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(dir + L"\\" + name);
            else
                DeleteFileW((dir + L"\\" + name).c_str());
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryW(dir.c_str());
}

// What the host process saw.
struct Report {
    bool finished = false;
    std::string load;
    std::vector<std::string> boxes; // "caption|text"
    std::vector<std::string> types;
    std::map<std::string, int> modules;                     // after the load
    std::map<std::string, int> modulesAfterUnload;          // after FreeLibrary
    std::map<std::string, std::vector<std::string>> dialog; // what -> texts, in order
    std::string lookup;                                     // AtLookupItem's answer
    std::string raw;
};

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t pos; (pos = text.find(sep, start)) != std::string::npos; start = pos + 1)
        parts.push_back(text.substr(start, pos - start));
    parts.push_back(text.substr(start));
    return parts;
}

// One case: a fresh folder under the temp folder holding the module folder
// ("lib", or a deeper one of a given length) and a separate current folder
// ("cwd") for the host.
class CaseFolder {
  public:
    // moduleDirLength: length of the module folder's path with its final
    // backslash; 0 for a short one.
    // lastPiece: length of the module folder's own name, when it matters.
    explicit CaseFolder(size_t moduleDirLength = 0, size_t lastPiece = 0) {
        static int s_count = 0;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_root = std::string(temp) + "tavorin-module-" + std::to_string(GetCurrentProcessId()) +
                 "-" + std::to_string(++s_count) + "\\";
        MakeDir(m_root);
        m_cwd = m_root + "cwd\\";
        MakeDir(m_cwd);
        m_moduleDir = m_root + "lib\\";
        if (moduleDirLength) {
            EXPECT_LT(m_moduleDir.size() + 1, moduleDirLength)
                << "temp folder too deep: " << m_root;
            const size_t parentLength = moduleDirLength - (lastPiece ? lastPiece + 1 : 0);
            while (m_moduleDir.size() < parentLength) {
                const size_t left = parentLength - m_moduleDir.size();
                const size_t piece = left > 120 ? 100 : left - 1;
                m_moduleDir += std::string(piece, 'd') + "\\";
            }
            if (lastPiece)
                m_moduleDir += std::string(lastPiece, 'm') + "\\";
            EXPECT_EQ(moduleDirLength, m_moduleDir.size());
        }
        for (size_t pos = m_root.size(); pos < m_moduleDir.size(); ++pos) {
            if (m_moduleDir[pos] == '\\')
                MakeDir(m_moduleDir.substr(0, pos + 1));
        }
        Put(g_in.tavorin, "TAVORIN.dll");
        Put(g_in.kelvast, "Kelvast.dll");
    }
    ~CaseFolder() {
        std::string root = m_root;
        root.pop_back();
        RemoveTree(Extended(root));
    }
    CaseFolder(const CaseFolder&) = delete;
    CaseFolder& operator=(const CaseFolder&) = delete;

    // Operations
    void Put(const std::string& source, const std::string& name) {
        Copy(source, m_moduleDir + name);
    }
    void PutInParentFolder(const std::string& source, const std::string& name) {
        Copy(source, ParentDir() + name);
    }
    void PutInCurrentFolder(const std::string& source, const std::string& name) {
        Copy(source, m_cwd + name);
    }

    // Runs the host on this folder's TAVORIN.dll, bounded: a host that has
    // not finished after 30 s is ended and the case fails.
    Report Run(const char* mode = nullptr) {
        const std::string reportPath = m_cwd + "report.txt";
        std::string command =
            "\"" + g_in.here + "module_host.exe\" \"" + reportPath + "\" \"" + ModulePath() + "\"";
        if (mode)
            command += std::string(" ") + mode;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        Report report;
        // Error 1359: a 64-bit start that Wine lost, run outside scripts/wine-run.
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            m_cwd.c_str(), &si, &pi)) {
            ADD_FAILURE() << "cannot start " << command << ": error " << GetLastError();
            return report;
        }
        if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
            TerminateProcess(pi.hProcess, 9);
            WaitForSingleObject(pi.hProcess, 5000);
            ADD_FAILURE() << "host did not finish within 30 s: " << command;
        }
        DWORD exitCode = 0;
        GetExitCodeProcess(pi.hProcess, &exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);

        std::ifstream in(reportPath);
        bool unloaded = false;
        for (std::string text; std::getline(in, text);) {
            report.raw += text + "\n";
            const size_t space = text.find(' ');
            const std::string key = text.substr(0, space);
            const std::string value = space == std::string::npos ? "" : text.substr(space + 1);
            if (key == "box")
                report.boxes.push_back(value);
            else if (key == "load")
                report.load = value;
            else if (key == "types")
                report.types = Split(value, '|');
            else if (key == "unload")
                unloaded = true;
            else if (key == "lookup")
                report.lookup = value;
            else if (key == "dialog") {
                const size_t blank = value.find(' ');
                report.dialog[value.substr(0, blank)].push_back(
                    blank == std::string::npos ? "" : value.substr(blank + 1));
            } else if (key == "module") {
                const size_t blank = value.rfind(' ');
                const int loaded = std::atoi(value.c_str() + blank + 1);
                (unloaded ? report.modulesAfterUnload : report.modules)[value.substr(0, blank)] =
                    loaded;
            }
        }
        report.finished = exitCode == 0 || exitCode == 1;
        EXPECT_TRUE(report.finished) << "host exit code " << exitCode << "\n" << report.raw;
        return report;
    }

    // Attributes
    const std::string& ModuleDir() const { return m_moduleDir; }
    // The folder above the module's.
    std::string ParentDir() const {
        return m_moduleDir.substr(0, m_moduleDir.rfind('\\', m_moduleDir.size() - 2) + 1);
    }
    // A path over MAX_PATH loads only in the \\?\ form.
    std::string ModulePath() const {
        const std::string path = m_moduleDir + "TAVORIN.dll";
        return path.size() < MAX_PATH ? path : "\\\\?\\" + path;
    }

  private:
    static void MakeDir(const std::string& dir) {
        std::string path = dir;
        path.pop_back();
        if (!CreateDirectoryW(Extended(path).c_str(), nullptr))
            ADD_FAILURE() << "cannot create " << dir << ": error " << GetLastError();
    }
    static void Copy(const std::string& source, const std::string& target) {
        if (!CopyFileW(Extended(source).c_str(), Extended(target).c_str(), FALSE))
            ADD_FAILURE() << "cannot copy " << source << " to " << target << ": error "
                          << GetLastError();
    }

    std::string m_root, m_cwd, m_moduleDir;
};

std::string Res(const char* name) {
    return g_in.resdll + name;
}
std::string Here(const char* name) {
    return g_in.here + name;
}

std::string Box(const std::string& text) {
    return "Error|" + text;
}

// ---------------------------------------------------------------------------
// Which resources the module uses

using Texts = std::vector<std::string>;

std::vector<std::string> AnsiAll(const std::vector<std::string>& utf8) {
    std::vector<std::string> texts;
    for (const std::string& text : utf8)
        texts.push_back(Ansi(text));
    return texts;
}

TEST(ResourceSource, WithoutCompanionsTheModuleUsesItsOwnResourcesSilently) {
    CaseFolder folder;
    Report report = folder.Run("dialog");
    EXPECT_EQ("ok", report.load);
    EXPECT_TRUE(report.boxes.empty()) << report.raw;
    EXPECT_EQ(kEnglishTypes, report.types);
    EXPECT_EQ(0, report.modules[kTavorinl]);
    EXPECT_EQ(0, report.modules[kCommon]);
    ASSERT_EQ(Texts{"Lookup"}, report.dialog["caption"]) << report.raw;
    EXPECT_EQ((Texts{"&Look In:", "Item &Name", "Count of Items", "&Data Type"}),
              report.dialog["label"]);
    EXPECT_EQ((Texts{"Set Details", "Set List"}), report.dialog["tooltip"]);
}

TEST(ResourceSource, GermanLibraryTranslatesTheDialog) {
    CaseFolder folder;
    folder.Put(Res(kTavorinl), kTavorinl);
    Report report = folder.Run("dialog");
    EXPECT_TRUE(report.boxes.empty()) << report.raw;
    ASSERT_EQ(Texts{"Suchen"}, report.dialog["caption"]) << report.raw;
    EXPECT_EQ((Texts{"&Suchen in:", "Element&name", "Anzahl Elemente", "&Datentyp"}),
              report.dialog["label"]);
    EXPECT_EQ((Texts{"OK", "Abbrechen"}), report.dialog["button"]);
    EXPECT_EQ(AnsiAll({"Element", "Datum", "Uhrzeit", "Größe"}), report.dialog["column"]);
    EXPECT_EQ((Texts{"Details anzeigen", "Liste anzeigen"}), report.dialog["tooltip"]);
    // The data type list is sorted by the control; it holds the German names.
    std::vector<std::string> types = report.dialog["type"];
    std::vector<std::string> expected = GermanTypes();
    std::sort(types.begin(), types.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, types);
    EXPECT_EQ("0", report.lookup) << "cancelled";
}

TEST(ResourceSource, GermanLibraryOfTheSameVersionRenamesTheTypes) {
    CaseFolder folder;
    folder.Put(Res(kTavorinl), kTavorinl);
    folder.Put(Res(kCommon), kCommon);
    Report report = folder.Run("unload");
    EXPECT_EQ("ok", report.load);
    EXPECT_TRUE(report.boxes.empty()) << report.raw;
    EXPECT_EQ(GermanTypes(), report.types);
    EXPECT_EQ(1, report.modules[kTavorinl]);
    EXPECT_EQ(1, report.modules[kCommon]);
    // Neither library is freed with the module.
    EXPECT_EQ(1, report.modulesAfterUnload[kTavorinl]) << report.raw;
    EXPECT_EQ(1, report.modulesAfterUnload[kCommon]) << report.raw;
}

TEST(ResourceSource, FileVersionMayDifferWhenTheProductVersionIsEqual) {
    CaseFolder folder;
    folder.Put(Here("module_variant_file.dll"), kTavorinl);
    Report report = folder.Run();
    EXPECT_TRUE(report.boxes.empty()) << report.raw;
    EXPECT_EQ(VariantTypes(), report.types);
    EXPECT_EQ(1, report.modules[kTavorinl]);
}

TEST(ResourceSource, StringsBeyondTheEndOfTheirBlockAreMissing) {
    CaseFolder folder;
    folder.Put(Here("module_variant_cut.dll"), kTavorinl);
    std::vector<std::string> expected = VariantTypes(); // 16 to 24 cut: rows repeat the one above
    for (size_t row = 1; row < expected.size(); ++row)
        expected[row] = std::stoi(expected[row].substr(8)) < 16 ? expected[row] : expected[row - 1];
    EXPECT_EQ(expected, folder.Run().types);
}

TEST(ResourceSource, OnlyTheModulesFolderIsSearchedNotTheCurrentOne) {
    CaseFolder folder;
    folder.PutInCurrentFolder(Res(kTavorinl), kTavorinl);
    folder.PutInCurrentFolder(Res(kCommon), kCommon);
    folder.PutInCurrentFolder(Here("module_variant_79.dll"), "Kelvast.dll"); // no storage
    Report report = folder.Run("dialog"); // the dialog's storage calls would fail on it
    EXPECT_TRUE(report.boxes.empty()) << report.raw;
    EXPECT_EQ(kEnglishTypes, report.types);
    EXPECT_EQ(0, report.modules[kTavorinl]);
    EXPECT_EQ(0, report.modules[kCommon]);
}

// ---------------------------------------------------------------------------
// Refused and failing libraries: one box each, own resources, loading goes on

TEST(RefusedLibrary, ProductRevisionOneHigherIsIncompatible) {
    CaseFolder folder;
    folder.Put(Here("module_variant_79.dll"), kTavorinl);
    Report report = folder.Run();
    EXPECT_EQ("ok", report.load);
    EXPECT_EQ(std::vector<std::string>{Box(IncompatibleText(kTavorinl))}, report.boxes);
    EXPECT_EQ(kEnglishTypes, report.types);
    EXPECT_EQ(0, report.modules[kTavorinl]) << "a refused library must not be loaded";
}

TEST(RefusedLibrary, LibraryWithoutVersionResourceIsIncompatible) {
    CaseFolder folder;
    folder.Put(Here("module_variant_nover.dll"), kTavorinl);
    Report report = folder.Run();
    EXPECT_EQ(std::vector<std::string>{Box(IncompatibleText(kTavorinl))}, report.boxes);
    EXPECT_EQ(kEnglishTypes, report.types);
    EXPECT_EQ(0, report.modules[kTavorinl]);
}

// The library holds resources only. Windows' loader refuses a 64-bit one in
// a 32-bit process with 193, but maps a 32-bit one without code into a
// 64-bit process and the load succeeds (Wine's dlls/kernel32/tests/loader.c,
// map_image_section: "!has_code && is_win64"; Wine 10 does so, Wine 8
// answered 193). The module refuses it itself then, with the same box.
TEST(RefusedLibrary, LibraryForTheOtherProcessorGivesLoadError193) {
    CaseFolder folder;
    folder.Put(Here("module_otherarch.dll"), kTavorinl);
    Report report = folder.Run();
    EXPECT_EQ(std::vector<std::string>{Box(LoadErrorText(kTavorinl, ERROR_BAD_EXE_FORMAT))},
              report.boxes);
    EXPECT_EQ(kEnglishTypes, report.types);
    EXPECT_EQ(0, report.modules[kTavorinl]) << "a refused library must not stay loaded";
}

TEST(RefusedLibrary, LibraryWithAMissingDependencyGivesLoadError126) {
    CaseFolder folder;
    folder.Put(Here("module_variant_deps.dll"), kTavorinl);
    Report report = folder.Run();
    EXPECT_EQ(std::vector<std::string>{Box(LoadErrorText(kTavorinl, ERROR_MOD_NOT_FOUND))},
              report.boxes);
    EXPECT_EQ(kEnglishTypes, report.types);
}

TEST(RefusedLibrary, BothLibrariesFailingGiveTwoBoxesLocalisedFirst) {
    CaseFolder folder;
    folder.Put(Here("module_variant_79.dll"), kTavorinl);
    folder.Put(Here("module_otherarch.dll"), kCommon);
    Report report = folder.Run();
    EXPECT_EQ("ok", report.load);
    EXPECT_EQ((std::vector<std::string>{Box(IncompatibleText(kTavorinl)),
                                        Box(LoadErrorText(kCommon, ERROR_BAD_EXE_FORMAT))}),
              report.boxes);
    EXPECT_EQ(kEnglishTypes, report.types);
}

TEST(RefusedLibrary, FailingCommonLibraryLeavesTheTranslationInForce) {
    CaseFolder folder;
    folder.Put(Res(kTavorinl), kTavorinl);
    folder.Put(Here("module_variant_deps.dll"), kCommon);
    Report report = folder.Run();
    EXPECT_EQ(std::vector<std::string>{Box(LoadErrorText(kCommon, ERROR_MOD_NOT_FOUND))},
              report.boxes);
    EXPECT_EQ(GermanTypes(), report.types);
}

// ---------------------------------------------------------------------------
// Candidate paths at the MAX_PATH limit: a path that does not fit is a
// library that is not there. Each folder also holds the names a cut-short
// path would reach, and libraries that would raise a box if looked at.

TEST(LongPath, CandidatesOverTheLimitAreAbsent) {
    // Module path 259 characters: "tavorinl.dll" makes 260, one too many.
    CaseFolder folder(MAX_PATH - 1 - std::strlen("TAVORIN.dll"));
    ASSERT_EQ(MAX_PATH - 1, folder.ModuleDir().size() + std::strlen("TAVORIN.dll"));
    folder.Put(Here("module_variant_79.dll"), kTavorinl);
    folder.Put(Res(kTavorinl), "tavorinl.dl");
    folder.Put(Here("module_otherarch.dll"), kCommon);
    folder.Put(Here("module_otherarch.dll"), "Dalquintori");
    Report report = folder.Run();
    EXPECT_EQ("ok", report.load) << report.raw;
    EXPECT_TRUE(report.boxes.empty()) << report.raw;
    EXPECT_EQ(kEnglishTypes, report.types);
    EXPECT_EQ(0, report.modules[kTavorinl]);
}

TEST(LongPath, CommonLibraryPathOfExactly259CharactersIsLookedAt) {
    CaseFolder folder(MAX_PATH - 1 - std::strlen(kCommon));
    folder.Put(Res(kTavorinl), kTavorinl);
    folder.Put(Here("module_otherarch.dll"), kCommon);
    Report report = folder.Run();
    EXPECT_EQ(std::vector<std::string>{Box(LoadErrorText(kCommon, ERROR_BAD_EXE_FORMAT))},
              report.boxes);
    EXPECT_EQ(GermanTypes(), report.types);
}

TEST(LongPath, CommonLibraryPathOf260CharactersIsAbsent) {
    CaseFolder folder(MAX_PATH - std::strlen(kCommon));
    folder.Put(Res(kTavorinl), kTavorinl);
    folder.Put(Here("module_otherarch.dll"), kCommon);
    folder.Put(Here("module_otherarch.dll"), "Dalquintoria.dl");
    Report report = folder.Run();
    EXPECT_TRUE(report.boxes.empty()) << report.raw;
    EXPECT_EQ(GermanTypes(), report.types) << "the translation still fits";
}

TEST(LongPath, ModulePathOverTheLimitLooksNowhere) {
    // GetModuleFileNameA cuts such a path inside the module's own folder
    // name; the folder above must not be taken for the module's.
    CaseFolder folder(301, 100);
    ASSERT_LT(folder.ParentDir().size() + std::strlen(kCommon), size_t(MAX_PATH));
    folder.PutInParentFolder(Here("module_variant_79.dll"), kTavorinl);
    folder.PutInParentFolder(Here("module_otherarch.dll"), kCommon);
    Report report = folder.Run();
    if (report.load != "ok")
        GTEST_SKIP() << "this system does not load from " << folder.ModulePath() << ": "
                     << report.raw;
    EXPECT_TRUE(report.boxes.empty()) << report.raw;
    EXPECT_EQ(kEnglishTypes, report.types);
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = WindowsPath(argv[i + 1]);
        if (option == "--tavorin")
            g_in.tavorin = value;
        else if (option == "--kelvast")
            g_in.kelvast = value;
        else if (option == "--resdll")
            g_in.resdll = value + "\\";
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    g_in.here = self;
    g_in.here.erase(g_in.here.rfind('\\') + 1);
    if (g_in.tavorin.empty() || g_in.kelvast.empty() || g_in.resdll.empty()) {
        std::fprintf(stderr, "usage: module_start_test --tavorin F --kelvast F --resdll DIR\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
