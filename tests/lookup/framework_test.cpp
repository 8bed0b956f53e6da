// The window framework on its own: message map routing, the modal run, the
// module state in the window procedure, and exceptions raised by handlers.
// The framework is linked in statically, with template 129 as its dialog.
#include "afxwin.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Ends a dialog that the test failed to end, so a fault cannot hang the run.
void CALLBACK EndForgottenDialog(HWND hWnd, UINT, UINT_PTR, DWORD) {
    EndDialog(hWnd, 99);
}

// A member control that handles a notification it sent.
struct CNotified {
    LRESULT OnReturn(NMHDR& hdr) { return static_cast<LRESULT>(hdr.idFrom) + 1; }
};

class CProbe : public CDialog {
  public:
    CProbe() : CDialog(IDD_LOOKUP) {}

    std::vector<std::string> m_calls;
    std::vector<LRESULT> m_answers;
    AFX_MODULE_STATE* m_pStateInHandler = nullptr;
    HWND m_hWndSeen = nullptr;
    CEdit m_edit;
    CNotified m_notified;
    bool m_throwOnInit = false;

    // Seen once the modal run shows the dialog, then the run ends this way.
    enum End { kNone, kOk, kCancel, kThrow } m_endAfterLook = kNone;
    HWND m_ownerSeen = nullptr, m_foregroundSeen = nullptr;
    BOOL m_ownerEnabledSeen = TRUE;
    RECT m_rectSeen = {};

  protected:
    DECLARE_MESSAGE_MAP()

    void DoDataExchange(CDataExchange* pDX) override {
        m_calls.push_back("exchange");
        DDX_Control(pDX, IDC_ITEM_NAME, m_edit);
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_hWndSeen = m_hWnd;
        m_pStateInHandler = AfxGetModuleState();
        if (m_throwOnInit)
            AfxThrowInvalidArgException();
        ::SetTimer(m_hWnd, 1, 5000, EndForgottenDialog);
        if (m_endAfterLook != kNone) {
            ::PostMessageA(m_hWnd, WM_COMMAND, 1005, 0);
            return TRUE;
        }
        auto command = [&](int id, int code) { SendMessage(WM_COMMAND, MAKEWPARAM(id, code), 0); };
        command(1000, 0);
        command(1000, CBN_SELENDOK);
        command(1000, CBN_SELCHANGE); // no entry
        NMHDR hdr = {nullptr, IDC_ITEM_LIST, static_cast<UINT>(NM_DBLCLK)};
        m_answers.push_back(SendMessage(WM_NOTIFY, IDC_ITEM_LIST, reinterpret_cast<LPARAM>(&hdr)));
        hdr.idFrom = IDC_AREA; // same code, other id: no entry
        m_answers.push_back(SendMessage(WM_NOTIFY, IDC_AREA, reinterpret_cast<LPARAM>(&hdr)));
        hdr.code = static_cast<UINT>(NM_RETURN); // the member control answers
        m_answers.push_back(SendMessage(WM_NOTIFY, IDC_AREA, reinterpret_cast<LPARAM>(&hdr)));
        for (UINT id : {1001u, 1003u}) { // in the range, then past it
            hdr = {nullptr, id, static_cast<UINT>(NM_CLICK)};
            SendMessage(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&hdr));
        }
        for (WPARAM key : {WPARAM{VK_DOWN}, WPARAM{'A'}}) // taken, then left to the edit
            m_answers.push_back(::SendMessageA(m_edit.m_hWnd, WM_KEYDOWN, key, 0));
        const RECT suggested = {10, 20, 300, 400};
        SendMessage(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        ::PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }

    void OnFirst() { m_calls.push_back("first"); }
    void OnSecond() { m_calls.push_back("second"); }
    void OnSelEndOk() { m_calls.push_back("selendok"); }
    void OnThrow() { AfxThrowInvalidArgException(); }
    void OnLookAround() {
        m_ownerSeen = ::GetWindow(m_hWnd, GW_OWNER);
        m_ownerEnabledSeen = m_ownerSeen ? ::IsWindowEnabled(m_ownerSeen) : TRUE;
        m_foregroundSeen = ::GetForegroundWindow();
        ::GetWindowRect(m_hWnd, &m_rectSeen);
        if (m_endAfterLook == kThrow)
            AfxThrowInvalidArgException();
        EndDialog(m_endAfterLook == kOk ? IDOK : IDCANCEL);
    }
    void OnClickRange(NMHDR* pNMHDR, LRESULT*) {
        m_calls.push_back("click " + std::to_string(pNMHDR->idFrom));
    }
    BOOL OnEditKey(UINT nChar, LPARAM) {
        m_calls.push_back("key " + std::to_string(nChar));
        return nChar == VK_DOWN;
    }
    void OnDpiChanged(UINT nDpi, const RECT& suggested) {
        m_calls.push_back("dpi " + std::to_string(nDpi) + " " + std::to_string(suggested.top));
    }
    void OnDblclk(NMHDR* pNMHDR, LRESULT* pResult) {
        m_calls.push_back("dblclk " + std::to_string(pNMHDR->idFrom));
        *pResult = 7;
    }
};

BEGIN_MESSAGE_MAP(CProbe, CDialog)
ON_COMMAND(1000, OnFirst)
ON_COMMAND(1000, OnSecond)
ON_CBN_SELENDOK(1000, OnSelEndOk)
ON_COMMAND(1001, OnThrow)
ON_COMMAND(1005, OnLookAround)
ON_NOTIFY(NM_DBLCLK, IDC_ITEM_LIST, OnDblclk)
ON_NOTIFY_FOR(NM_RETURN, IDC_AREA, m_notified, OnReturn)
ON_NOTIFY_RANGE(NM_CLICK, 1000, 1002, OnClickRange)
ON_CHILD_MESSAGE(WM_KEYDOWN, IDC_ITEM_NAME, OnEditKey)
ON_WM_DPICHANGED()
END_MESSAGE_MAP()

class FrameworkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_moduleState.m_hCurrentInstanceHandle = GetModuleHandleA(nullptr);
        g_moduleState.m_hCurrentResourceHandle = GetModuleHandleA(nullptr);
        // The caller's own state finds the template in this program too.
        AfxGetAppModuleState()->m_hCurrentResourceHandle = GetModuleHandleA(nullptr);
    }
};

} // namespace

TEST_F(FrameworkTest, FirstFullMatchWinsAndTheBaseMapEndsTheDialog) {
    CProbe probe;
    const INT_PTR result = probe.DoModal();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(probe.m_calls, (std::vector<std::string>{"exchange", "first", "selendok",
                                                       "dblclk 1004", "click 1001", "key 40",
                                                       "key 65", "dpi 144 20", "exchange"}));
    // A handled notification answers with its handler's result; a child's
    // message taken by its handler answers 0, one left to the edit its own.
    EXPECT_EQ(probe.m_answers, (std::vector<LRESULT>{7, 0, IDC_AREA + 1, 0, 1}));
    EXPECT_NE(probe.m_edit.m_hWnd, nullptr) << "DDX_Control bound the edit";
    EXPECT_EQ(probe.m_hWnd, nullptr) << "no window after the run";
}

TEST_F(FrameworkTest, WindowProcedureRunsInTheModulesStateAndPutsTheCallersBack) {
    AFX_MODULE_STATE* caller = AfxGetModuleState();
    ASSERT_NE(caller, AfxGetStaticModuleState());
    CProbe probe;
    probe.DoModal();
    EXPECT_EQ(probe.m_pStateInHandler, AfxGetStaticModuleState());
    EXPECT_EQ(AfxGetModuleState(), caller);
}

TEST_F(FrameworkTest, ExceptionFromAHandlerReachesTheCallerAfterTheWindowIsGone) {
    CProbe probe;
    probe.m_throwOnInit = true;
    AFX_MODULE_STATE* caller = AfxGetModuleState();
    EXPECT_THROW(probe.DoModal(), CInvalidArgException);
    EXPECT_FALSE(IsWindow(probe.m_hWndSeen));
    EXPECT_EQ(AfxGetModuleState(), caller);
    // The object runs again afterwards.
    probe.m_throwOnInit = false;
    probe.m_calls.clear();
    EXPECT_EQ(probe.DoModal(), IDOK);
}

TEST_F(FrameworkTest, MissingTemplateAnswersMinusOne) {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    class CNoTemplate : public CDialog {
      public:
        CNoTemplate() : CDialog(4242) {}
    } dialog;
    EXPECT_EQ(dialog.DoModal(), -1);
}

namespace {

POINT Centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ExpectCentredOn(const RECT& dialog, const RECT& around, const char* what) {
    const POINT a = Centre(dialog), b = Centre(around);
    EXPECT_LE(std::abs(a.x - b.x), 1) << "dialog not centred on " << what;
    EXPECT_LE(std::abs(a.y - b.y), 1) << "dialog not centred on " << what;
}

} // namespace

// A caller's own window: the dialog belongs to it, keeps it disabled while
// it runs, opens centred over it and in front, and gives it back its input
// and activation however the run ends.
TEST_F(FrameworkTest, ModalToTheCallersActiveWindowHoweverItEnds) {
    HWND hCaller = CreateWindowExA(0, "STATIC", "caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 90,
                                   900, 700, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hCaller, nullptr);
    RECT callerRect;
    GetWindowRect(hCaller, &callerRect);
    for (CProbe::End end : {CProbe::kOk, CProbe::kCancel, CProbe::kThrow}) {
        SetForegroundWindow(hCaller);
        SetActiveWindow(hCaller);
        CProbe probe;
        probe.m_endAfterLook = end;
        INT_PTR result = 0;
        if (end == CProbe::kThrow)
            EXPECT_THROW(probe.DoModal(), CInvalidArgException);
        else
            result = probe.DoModal();
        SCOPED_TRACE(end == CProbe::kOk ? "OK" : end == CProbe::kCancel ? "Cancel" : "exception");
        EXPECT_EQ(result, end == CProbe::kOk ? IDOK : end == CProbe::kCancel ? IDCANCEL : 0);
        EXPECT_EQ(probe.m_ownerSeen, hCaller) << "owner while open";
        EXPECT_FALSE(probe.m_ownerEnabledSeen) << "the caller's window took input while open";
        EXPECT_EQ(probe.m_foregroundSeen, probe.m_hWndSeen) << "the dialog was not in front";
        ExpectCentredOn(probe.m_rectSeen, callerRect, "the caller's window");
        EXPECT_TRUE(IsWindowEnabled(hCaller)) << "the caller's window stayed disabled";
        EXPECT_EQ(GetActiveWindow(), hCaller) << "the caller's window is not active again";
    }
    DestroyWindow(hCaller);
}

TEST_F(FrameworkTest, WithoutACallersWindowTheDialogIsCentredOnTheScreen) {
    ASSERT_EQ(GetActiveWindow(), nullptr);
    CProbe probe;
    probe.m_endAfterLook = CProbe::kOk;
    EXPECT_EQ(probe.DoModal(), IDOK);
    EXPECT_EQ(probe.m_ownerSeen, nullptr);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ExpectCentredOn(probe.m_rectSeen, work, "the work area");
}
