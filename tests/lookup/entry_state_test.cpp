// The entry points make this module's state current for the whole call and
// put the caller's back afterwards, on OK and on Cancel alike. Linked in
// statically, so the test can hold a module state of its own as a caller
// of the framework would.
#include "afxstate.h"
#include "fake_kelvast.h"
#include "lookup_driver.h"
#include "resource.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <cstring>

extern AFX_MODULE_STATE g_moduleState;

namespace {

class EntryStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The dialog's resources are linked into this program.
        g_moduleState.m_hCurrentInstanceHandle = GetModuleHandleA(nullptr);
        g_moduleState.m_hCurrentResourceHandle = GetModuleHandleA(nullptr);
        fake_reset();
        fake_add_area("C:*", "C:PATTERNS");
        fake_add_item("C:PATTERNS", 9, "ABC", 1, 0);
        // The caller's resources hold no "Lookup" template: the dialog can
        // only open if the call switched to this module's state.
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

} // namespace
