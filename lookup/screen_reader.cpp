#include "screen_reader.h"

#include <string>

namespace {

// UI Automation's live setting, which Narrator and other readers consult
// for a live region; mingw's headers do not declare it.
const MSAAPROPID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
const LONG kLivePolite = 1;
// EVENT_OBJECT_LIVEREGIONCHANGED, declared only for Windows 8 and later:
// older systems let it pass unheard.
const DWORD kLiveRegionChanged = 0x8019;

} // namespace

CScreenReaderNotes::~CScreenReaderNotes() {
    Clear();
    if (m_pServices)
        m_pServices->Release();
    if (m_bComStarted)
        ::CoUninitialize();
}

IAccPropServices* CScreenReaderNotes::Services() {
    if (m_bTried)
        return m_pServices;
    m_bTried = true;
    // A host that started COM in either model serves as it is; one that did
    // not gets it started for the dialog's lifetime only.
    const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    m_bComStarted = SUCCEEDED(started);
    void* pServices = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IAccPropServices, &pServices)))
        pServices = nullptr;
    m_pServices = static_cast<IAccPropServices*>(pServices);
    return m_pServices;
}

void CScreenReaderNotes::SetName(HWND hWnd, const wchar_t* name) {
    IAccPropServices* pServices = Services();
    if (!pServices)
        return;
    if (SUCCEEDED(pServices->SetHwndPropStr(hWnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                            PROPID_ACC_NAME, name)))
        m_set.push_back({hWnd, &PROPID_ACC_NAME});
}

void CScreenReaderNotes::MakeLive(HWND hWnd) {
    IAccPropServices* pServices = Services();
    if (!pServices)
        return;
    VARIANT setting = {};
    setting.vt = VT_I4;
    setting.lVal = kLivePolite;
    if (SUCCEEDED(pServices->SetHwndProp(hWnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                         kLiveSettingProperty, setting)))
        m_set.push_back({hWnd, &kLiveSettingProperty});
}

void CScreenReaderNotes::Clear() {
    for (const auto& set : m_set)
        m_pServices->ClearHwndProps(set.first, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                    set.second, 1);
    m_set.clear();
}

void CScreenReaderNotes::Announce(HWND hWnd) {
    ::NotifyWinEvent(kLiveRegionChanged, hWnd, OBJID_CLIENT, CHILDID_SELF);
}
