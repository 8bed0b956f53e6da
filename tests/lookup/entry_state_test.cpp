// The entry points as a caller meets them: this module's state current for
// the whole call and the caller's back afterwards; missing arguments; the
// request form of AtLookupItemList; and a dialog failing inside, which no
// entry point may pass on as an exception. Linked in statically, so the test
// can hold a module state of its own as a caller of the framework would,
// and can make an allocation fail where it chooses.
#include "afxstate.h"
#include "afxstr.h"
#include "fake_kelvast.h"
#include "lookup.h"
#include "lookup_driver.h"
#include "resource.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <new>

namespace {
// The next allocation on this thread fails, once: with std::bad_alloc, or
// with the framework's own exception as a handler's failure would raise it.
std::atomic<DWORD> g_failThread{0};
std::atomic<bool> g_failAsFramework{false};
std::atomic<int> g_failures{0};
} // namespace

void* operator new(std::size_t size) {
    DWORD self = GetCurrentThreadId();
    if (g_failThread.load() == self && g_failThread.compare_exchange_strong(self, 0)) {
        ++g_failures;
        if (g_failAsFramework)
            AfxThrowInvalidArgException();
        throw std::bad_alloc();
    }
    if (void* p = HeapAlloc(GetProcessHeap(), 0, size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    if (p)
        HeapFree(GetProcessHeap(), 0, p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

// A request as a C caller fills it; the fake store holds C:PATTERNS and
// C:DATA, and 3:ARCHIVE.
class ItemListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The dialog's resources are linked into this program.
        g_moduleState.m_hCurrentInstanceHandle = GetModuleHandleA(nullptr);
        g_moduleState.m_hCurrentResourceHandle = GetModuleHandleA(nullptr);
        fake_reset();
        fake_add_area("C:*", "C:PATTERNS");
        fake_add_area("C:*", "C:DATA");
        fake_add_area("3:*", "3:ARCHIVE");
        for (const char* name : {"AB1", "AB2", "LONGER-NAME-OF-23-CHARS"})
            fake_add_item("C:PATTERNS", 9, name, 1, 0);
        fake_add_item("C:DATA", 12, "D1", 1, 0);
        std::memset(&m_r, 0, sizeof m_r);
        std::memset(m_device, '#', sizeof m_device);
        std::memset(m_area, '#', sizeof m_area);
        std::strcpy(m_device, "C:");
        std::strcpy(m_area, "PATTERNS");
        m_r.structSize = sizeof m_r;
        m_r.device = m_device;
        m_r.deviceSize = sizeof m_device;
        m_r.area = m_area;
        m_r.areaSize = sizeof m_area;
        m_r.type = 9;
        m_r.pattern = "";
        m_r.flags = LF_LOCAL_DRIVES | LF_DEVICE | LF_AREA | LF_TYPE;
    }

    int Run(const std::function<void(const LookupWindow&)>& drive) {
        int answer = -1;
        DriveLookup([&] { answer = AtLookupItemList(&m_r); }, drive);
        return answer;
    }

    // The caller's buffers as SetUp left them.
    bool Untouched() const {
        char device[sizeof m_device], area[sizeof m_area];
        std::memset(device, '#', sizeof device);
        std::memset(area, '#', sizeof area);
        std::strcpy(device, "C:");
        std::strcpy(area, "PATTERNS");
        return std::memcmp(device, m_device, sizeof device) == 0 &&
               std::memcmp(area, m_area, sizeof area) == 0 && m_r.type == 9 && !m_r.names;
    }

    TAVORIN_LOOKUP m_r;
    char m_device[8];
    char m_area[32];
};

// The caller holds a state of its own whose resources have no "Lookup"
// template: the dialog can only open if the call switched to this module's.
class EntryStateTest : public ItemListTest {
  protected:
    void SetUp() override {
        ItemListTest::SetUp();
        m_callerState.m_hCurrentInstanceHandle = GetModuleHandleA("kernel32.dll");
        m_callerState.m_hCurrentResourceHandle = GetModuleHandleA("kernel32.dll");
        m_previous = AfxSetModuleState(&m_callerState);
    }
    void TearDown() override { AfxSetModuleState(m_previous); }

    int Lookup(const std::function<void(const LookupWindow&)>& drive, AFX_MODULE_STATE** seen) {
        char device[8] = "C:", area[256] = "PATTERNS", result[64] = "";
        int type = 9, answer = -1;
        const DriveOutcome outcome = DriveLookup(
            [&] {
                answer = AtLookupItem(device, area, &type, "", LF_LOCAL_DRIVES | LF_AREA, result);
            },
            drive);
        EXPECT_TRUE(outcome.appeared) << "the dialog's template was not found";
        *seen = AfxGetModuleState();
        return answer;
    }

    AFX_MODULE_STATE m_callerState = {nullptr, nullptr};
    AFX_MODULE_STATE* m_previous = nullptr;
};

TEST_F(EntryStateTest, CallersStateIsCurrentAgainAfterOk) {
    AFX_MODULE_STATE* seen = nullptr;
    const int answer = Lookup(
        [](const LookupWindow& w) {
            w.SelectRows({0});
            w.Command(IDOK);
        },
        &seen);
    EXPECT_EQ(1, answer);
    EXPECT_EQ(&m_callerState, seen);
}

TEST_F(EntryStateTest, CallersStateIsCurrentAgainAfterCancel) {
    AFX_MODULE_STATE* seen = nullptr;
    const int answer = Lookup([](const LookupWindow& w) { w.Command(IDCANCEL); }, &seen);
    EXPECT_EQ(0, answer);
    EXPECT_EQ(&m_callerState, seen);
}

// A dialog would block these calls: that they come back at all shows none
// was opened.
TEST(EntryArguments, AMissingArgumentAnswersZeroWithoutOpeningTheDialog) {
    char device[8] = "C:", area[8] = "A", result[64] = "";
    int type = 9;
    EXPECT_EQ(0, AtLookupItem(nullptr, area, &type, "", LF_DEVICE, result));
    EXPECT_EQ(0, AtLookupItem(device, area, nullptr, "", LF_TYPE, result));
    EXPECT_EQ(0, AtLookupItem(device, area, &type, nullptr, 0, result));
    EXPECT_EQ(0, AtLookupItem(device, area, &type, "", 0, nullptr));
    EXPECT_EQ(0, AtLookupMultipleItem(device, nullptr, &type, "", LF_AREA, nullptr));
}

TEST_F(ItemListTest, NamesComeAsOneDoubleNulListInListOrderFreedWithLocalFree) {
    const int answer = Run([](const LookupWindow& w) {
        w.Pick(IDC_DEVICE, "C:");
        w.Pick(IDC_AREA, "PATTERNS");
        w.SelectRows({2, 0});
        w.Command(IDOK);
    });
    ASSERT_EQ(answer, 1);
    EXPECT_EQ(m_r.error, 0u);
    ASSERT_NE(m_r.names, nullptr);
    const char expected[] = "AB1\0LONGER-NAME-OF-23-CHARS\0"; // and the array's own NUL
    EXPECT_EQ(m_r.nameCount, 2u);
    EXPECT_EQ(m_r.namesSize, sizeof expected);
    EXPECT_EQ(std::memcmp(m_r.names, expected, sizeof expected), 0);
    EXPECT_STREQ(m_device, "C:");
    EXPECT_STREQ(m_area, "PATTERNS");
    EXPECT_EQ(m_r.type, 9);
    EXPECT_EQ(LocalFree(m_r.names), nullptr);
}

TEST_F(ItemListTest, CancelWritesNothingButTheOutputs) {
    m_r.error = 99;
    EXPECT_EQ(Run([](const LookupWindow& w) {
                  w.SelectRows({0});
                  w.Command(IDCANCEL);
              }),
              0);
    EXPECT_EQ(m_r.error, 0u) << "Cancel is no failure";
    EXPECT_TRUE(Untouched());
}

// A dialog would block these calls: that they come back at all shows none
// was opened.
TEST_F(ItemListTest, ARequestItCannotReadIsRefusedBeforeAnythingOpens) {
    TAVORIN_LOOKUP copy = m_r;
    copy.structSize = sizeof copy + 8; // a later, larger version of the structure
    copy.error = 99;
    EXPECT_EQ(AtLookupItemList(&copy), 0);
    EXPECT_EQ(copy.error, 99u) << "a structure of unknown size was written";
    EXPECT_EQ(AtLookupItemList(nullptr), 0);

    static char unended[257]; // 256 bytes that are not a text, then a NUL
    std::memset(unended, 'A', 256);
    struct Case {
        const char* what;
        std::function<void(TAVORIN_LOOKUP&)> spoil;
    } cases[] = {
        {"no pattern", [](TAVORIN_LOOKUP& r) { r.pattern = nullptr; }},
        {"no area", [](TAVORIN_LOOKUP& r) { r.area = nullptr; }},
        {"device not ended within its size", [](TAVORIN_LOOKUP& r) { r.deviceSize = 2; }},
        {"pattern not ended within 256 bytes", [](TAVORIN_LOOKUP& r) { r.pattern = unended; }},
        {"area size 0", [](TAVORIN_LOOKUP& r) { r.areaSize = 0; }},
        {"owner is no window",
         [](TAVORIN_LOOKUP& r) { r.owner = reinterpret_cast<void*>(0x1234); }},
    };
    for (const Case& c : cases) {
        TAVORIN_LOOKUP r = m_r;
        c.spoil(r);
        EXPECT_EQ(AtLookupItemList(&r), 0) << c.what;
        EXPECT_EQ(r.error, static_cast<unsigned>(TAVORIN_LOOKUP_ERR_ARGUMENT)) << c.what;
    }
    EXPECT_TRUE(Untouched());
}

TEST_F(ItemListTest, AChoiceTooLongForItsBufferIsRefusedWholeWithTheSizesNeeded) {
    std::memset(m_area, '#', sizeof m_area);
    std::strcpy(m_area, "DATA");
    m_r.areaSize = 5; // "DATA" and its NUL: room for what came in, not for PATTERNS
    const int answer = Run([](const LookupWindow& w) {
        w.Pick(IDC_DEVICE, "3:");
        w.Pick(IDC_DEVICE, "C:");
        w.Pick(IDC_AREA, "PATTERNS");
        w.SelectRows({0});
        w.Command(IDOK);
    });
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(m_r.error, static_cast<unsigned>(TAVORIN_LOOKUP_ERR_TOO_SMALL));
    EXPECT_EQ(m_r.deviceNeeded, 3u);
    EXPECT_EQ(m_r.areaNeeded, 9u);
    EXPECT_STREQ(m_area, "DATA") << "a refused choice was written";
    EXPECT_EQ(m_area[5], '#') << "written past the area's size";
    EXPECT_EQ(m_r.names, nullptr);
}

TEST_F(ItemListTest, TheOwnerGivenOwnsTheDialog) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    m_r.owner = owner;
    HWND seen = nullptr;
    Run([&](const LookupWindow& w) {
        seen = GetWindow(w.Dialog(), GW_OWNER);
        w.Command(IDCANCEL);
    });
    EXPECT_EQ(seen, owner);
    DestroyWindow(owner);
}

// A dialog that fails inside (here: an allocation in the refresh after a
// keystroke) answers 0 with nothing handed back, on every entry point.
class FailingDialog : public ItemListTest, public ::testing::WithParamInterface<bool> {
  protected:
    // Runs call; once the dialog shows, the dialog thread's next allocation
    // fails and a keystroke makes the dialog allocate.
    void FailInside(const std::function<void()>& call) {
        const DWORD caller = GetCurrentThreadId();
        g_failAsFramework = GetParam();
        const int before = g_failures;
        DriveLookup(call, [&](const LookupWindow& w) {
            w.SelectRows({0});
            g_failThread = caller;
            w.SetPattern("AB");
            EXPECT_TRUE(w.WaitClosed()) << "the failing dialog stayed open";
        });
        g_failThread = 0;
        EXPECT_EQ(g_failures, before + 1) << "the allocation seam did not fire";
    }
};

TEST_P(FailingDialog, NoEntryPointLetsTheExceptionOut) {
    char device[8] = "C:", area[32] = "PATTERNS", result[32] = "untouched";
    int type = 9, answer = -1;
    FailInside([&] { answer = AtLookupItem(device, area, &type, "", m_r.flags, result); });
    EXPECT_EQ(answer, 0);
    EXPECT_STREQ(result, "untouched");

    CStringArray kept;
    kept.Add("kept");
    FailInside([&] { answer = AtLookupMultipleItem(device, area, &type, "", m_r.flags, &kept); });
    EXPECT_EQ(answer, 0);
    ASSERT_EQ(kept.GetSize(), 1);
    EXPECT_STREQ(kept[0], "kept");

    FailInside([&] { answer = AtLookupItemList(&m_r); });
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(m_r.error, static_cast<unsigned>(GetParam() ? TAVORIN_LOOKUP_ERR_INTERNAL
                                                          : TAVORIN_LOOKUP_ERR_MEMORY));
    EXPECT_TRUE(Untouched());
    EXPECT_STREQ(device, "C:");
    EXPECT_EQ(type, 9);
}

INSTANTIATE_TEST_SUITE_P(OutOfMemoryOrAHandlersException, FailingDialog, ::testing::Bool());

// A dialog that fails once OK has collected the names: the caller's array
// changes only with a run that ended with OK.
class FailingAfterOk : public CLookup {
  public:
    using CLookup::CLookup;

  protected:
    void OnOK() override {
        CLookup::OnOK();
        AfxThrowInvalidArgException();
    }
};

TEST_F(ItemListTest, ACallersArrayKeepsItsNamesWhenTheDialogFailsAfterOk) {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    CStringArray kept;
    kept.Add("kept");
    FailingAfterOk dlg("C:", "PATTERNS", 9, "", m_r.flags, &kept, nullptr);
    DriveLookup([&] { EXPECT_ANY_THROW(dlg.DoModal()); },
                [](const LookupWindow& w) {
                    w.SelectRows({0});
                    w.Command(IDOK);
                });
    ASSERT_EQ(kept.GetSize(), 1);
    EXPECT_STREQ(kept[0], "kept");
}

} // namespace
