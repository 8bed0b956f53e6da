// Answers every message box the calling thread raises and keeps its caption
// and text, so a test never waits for a click. The WH_CBT hook sees a box
// as it is activated, also while a library's attach shows it.
#ifndef MESSAGE_BOXES_H
#define MESSAGE_BOXES_H

#include <windows.h>

#include <string>
#include <vector>

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};

class MessageBoxCatcher {
  public:
    MessageBoxCatcher() {
        s_pThis = this;
        m_hHook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxCatcher() {
        if (m_hHook)
            UnhookWindowsHookEx(m_hHook);
        s_pThis = nullptr;
    }
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    // Attributes
    bool IsHooked() const { return m_hHook != nullptr; }
    std::vector<MessageBoxSeen> m_boxes;

  private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && s_pThis)
            s_pThis->OnActivate(reinterpret_cast<HWND>(wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    void OnActivate(HWND hwnd) {
        char className[32] = "";
        GetClassNameA(hwnd, className, sizeof className);
        // A box may be activated more than once before our OK reaches it.
        // Activation can also pass to another program's dialog on the same
        // display when our box closes; that one is not ours to answer.
        if (hwnd == m_hLastBox || std::string(className) != "#32770" ||
            GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId())
            return;
        m_hLastBox = hwnd;
        char caption[256] = "";
        char text[1024] = "";
        GetWindowTextA(hwnd, caption, sizeof caption);
        GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof text); // the box's text control
        m_boxes.push_back({caption, text});
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    }

    static inline MessageBoxCatcher* s_pThis = nullptr;
    HHOOK m_hHook = nullptr;
    HWND m_hLastBox = nullptr;
};

#endif
