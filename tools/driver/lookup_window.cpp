#include "lookup_window.h"

#include "resource.h"

#include <commctrl.h>

#include <cstring>

DriveOutcome DriveLookup(const std::function<void()>& call,
                         const std::function<void(const LookupWindow&)>& drive, DWORD patienceMs,
                         bool settle) {
    const DriveOutcome outcome = DriveModal(
        call,
        [&](HWND hDlg) {
            const LookupWindow w(hDlg);
            // Rows picked before the walk completes may not be there yet.
            if (settle && !w.WaitListed(patienceMs) && w.IsOpen())
                DriverFailure("the dialog's walk did not complete within " +
                              std::to_string(patienceMs) + " ms");
            drive(w);
        },
        patienceMs, IDC_ITEM_LIST, settle);
    if (!outcome.appeared)
        DriverFailure("no \"Lookup\" dialog appeared within " + std::to_string(patienceMs) + " ms");
    return outcome;
}

// A walk handles the dialog's queue as it goes, the message that tells the
// modal driver the dialog settled included: the count, a plain number once
// a walk completes ("12…" while its rows are still coming, and after a walk
// stopped before any completed), is what says it has.
bool LookupWindow::Listed() const {
    wchar_t text[16] = L"";
    const int length = InternalGetWindowText(Item(IDC_ITEM_COUNT), text, 16);
    return length > 0 && text[length - 1] >= L'0' && text[length - 1] <= L'9';
}

bool LookupWindow::WaitListed(DWORD ms) const {
    for (const DWORD start = GetTickCount(); !Listed(); Sleep(10)) {
        if (GetTickCount() - start >= ms || !IsOpen())
            return false;
    }
    return true;
}

std::string LookupWindow::Text(HWND hWnd) const {
    char buffer[512] = "";
    Send(hWnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

// CB_GETLBTEXT knows no bound: the room comes from the entry's length.
std::string LookupWindow::EntryText(int comboId, int index) const {
    const LRESULT length = Send(Item(comboId), CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length <= 0)
        return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    Send(Item(comboId), CB_GETLBTEXT, static_cast<WPARAM>(index),
         reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::vector<std::string> LookupWindow::Entries(int comboId) const {
    std::vector<std::string> entries;
    const int n = static_cast<int>(Send(Item(comboId), CB_GETCOUNT));
    for (int i = 0; i < n; ++i)
        entries.push_back(EntryText(comboId, i));
    return entries;
}

std::string LookupWindow::Selection(int comboId) const {
    const int sel = static_cast<int>(Send(Item(comboId), CB_GETCURSEL));
    return sel < 0 ? "" : EntryText(comboId, sel);
}

std::vector<std::string> LookupWindow::Columns() const {
    std::vector<std::string> titles;
    for (int i = 0;; ++i) {
        char title[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        if (!Send(Item(IDC_ITEM_LIST), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)))
            return titles;
        titles.push_back(title);
    }
}

std::vector<Row> LookupWindow::Rows() const {
    std::vector<Row> rows;
    HWND hList = Item(IDC_ITEM_LIST);
    const int n = static_cast<int>(Send(hList, LVM_GETITEMCOUNT));
    for (int i = 0; i < n; ++i) {
        Row row;
        for (int col = 0; col < 4; ++col) {
            char buffer[128] = "";
            LVITEMA item = {};
            item.iSubItem = col;
            item.pszText = buffer;
            item.cchTextMax = sizeof buffer;
            Send(hList, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            row[col] = buffer;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> LookupWindow::Names() const {
    std::vector<std::string> names;
    for (const Row& row : Rows())
        names.push_back(row[0]);
    return names;
}

std::vector<int> LookupWindow::SelectedRows() const {
    std::vector<int> rows;
    HWND hList = Item(IDC_ITEM_LIST);
    for (int row = -1;
         (row = static_cast<int>(
              Send(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

HWND LookupWindow::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(m_threadId, &info);
    return info.hwndFocus;
}

LONG LookupWindow::ListStyle() const {
    return GetWindowLongA(Item(IDC_ITEM_LIST), GWL_STYLE);
}

void LookupWindow::SetPattern(const char* text) const {
    Send(Item(IDC_ITEM_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void LookupWindow::Pick(int comboId, const char* entry) const {
    const LRESULT index = Send(Item(comboId), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(entry));
    if (index == CB_ERR) {
        DriverFailure("no entry \"" + std::string(entry) + "\" in combo box " +
                      std::to_string(comboId));
        return;
    }
    PickIndex(comboId, static_cast<int>(index));
}

void LookupWindow::PickIndex(int comboId, int index) const {
    Send(Item(comboId), CB_SETCURSEL, static_cast<WPARAM>(index));
    // What a pick in the drop-down list tells the dialog, in this order.
    Command(comboId, CBN_SELCHANGE);
    Command(comboId, CBN_SELENDOK);
}

void LookupWindow::SelectRows(const std::vector<int>& rows, bool select) const {
    for (int row : rows) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = select ? LVIS_SELECTED : 0;
        Send(Item(IDC_ITEM_LIST), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
}

void LookupWindow::ClickRow(int row) const {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    Send(Item(IDC_ITEM_LIST), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    // Focus can only be moved by the dialog's own thread; without it the
    // list does not show its selection.
    Send(m_hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_ITEM_LIST)), TRUE);
}

void LookupWindow::Command(int id, int code) const {
    Send(m_hDlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
}

void LookupWindow::PostKey(UINT vk) const {
    HWND target = Focus() ? Focus() : m_hDlg;
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

void LookupWindow::PostChar(char c) const {
    HWND target = Focus() ? Focus() : m_hDlg;
    PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
}

namespace {

// The dialog's thread waits inside this hook, between two messages, where
// it holds nothing of the window system's: suspending the thread instead
// could stop it in the middle of a paint, holding what posting a key needs.
struct HoldGate {
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr); // the hook reads it no more
};

UINT HoldMessage() {
    static const UINT message = RegisterWindowMessageA("LookupWindow.Hold");
    return message;
}

LRESULT CALLBACK HoldHook(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent.message == HoldMessage()) {
        const HoldGate& gate = *reinterpret_cast<const HoldGate*>(sent.lParam);
        SetEvent(gate.held);
        WaitForSingleObject(gate.release, 30000);
        SetEvent(gate.done);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void LookupWindow::Hold(const std::function<void()>& input) const {
    HoldGate* gate = new HoldGate;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, HoldHook, nullptr, m_threadId);
    SendNotifyMessageA(m_hDlg, HoldMessage(), 0, reinterpret_cast<LPARAM>(gate));
    const bool held = hook && WaitForSingleObject(gate->held, 10000) == WAIT_OBJECT_0;
    if (!held)
        DriverFailure("the dialog's thread could not be held for typed-ahead input");
    input();
    SetEvent(gate->release);
    if (hook)
        UnhookWindowsHookEx(hook);
    // The hook reads the gate until its wait ends. The keys may close the
    // dialog at once: a message sent to it would find no window.
    if (!held || WaitForSingleObject(gate->done, 40000) != WAIT_OBJECT_0)
        return; // the hook may still run with the gate: it stays
    for (HANDLE h : {gate->held, gate->release, gate->done})
        CloseHandle(h);
    delete gate;
}

bool LookupWindow::WaitClosed(DWORD ms) const {
    const DWORD start = GetTickCount();
    while (IsWindow(m_hDlg)) {
        if (GetTickCount() - start >= ms)
            return false;
        Sleep(20);
    }
    return true;
}
