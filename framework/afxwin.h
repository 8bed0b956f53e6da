// Window classes of the framework layer: thin wrappers over Win32 windows
// and common controls, an image list, a modal dialog, the message map that
// routes a dialog's commands and notifications to its handlers, and the
// application object of a regular library.
#ifndef AFXWIN_H
#define AFXWIN_H

#include <windows.h>
#include <commctrl.h>

#include <cassert>
#include <exception>

#include "afxstate.h"
#include "afxstr.h"

class CObject {
  public:
    virtual ~CObject() = default;
};

class CCmdTarget;

// Handler signatures, one per kind of entry:
//   ON_COMMAND, ON_EN_CHANGE, ON_CBN_...:  void OnSomething();
//   ON_NOTIFY, ON_NOTIFY_RANGE:  void OnSomething(NMHDR* pNMHDR, LRESULT* pResult);
//                            or  void OnSomething(NMLVDISPINFOA& info, LRESULT* pResult);
//                                with the structure the notification carries, cast once here.
//   ON_NOTIFY_FOR:     LRESULT CControl::OnSomething(NMLVDISPINFOA& info);
//                      a notification handled by the member control that
//                      sent it, which answers with the notification's result.
//   ON_MESSAGE:        LRESULT OnSomething(WPARAM wParam, LPARAM lParam);
//   ON_WM_DPICHANGED:  void OnDpiChanged(UINT nDpi, const RECT& suggested);
//                      the dialog manager's own handling of the message
//                      (it scales the font and the template) runs after.
//   ON_WM_TIMER:       void OnTimer(UINT_PTR nIDEvent);
//   ON_CHILD_MESSAGE:  BOOL OnSomething(WPARAM wParam, LPARAM lParam);
//                      a message on its way to a child control; TRUE when
//                      the handler took it and the control must not see it.
typedef LRESULT (*AFX_PMSG)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

template <class TClass> void AfxCall(void (TClass::*pfn)(), CCmdTarget* pTarget, WPARAM, LPARAM) {
    (static_cast<TClass*>(pTarget)->*pfn)();
}
template <class TClass, class TNotify>
LRESULT AfxCallNotify(void (TClass::*pfn)(TNotify&, LRESULT*), CCmdTarget* pTarget, LPARAM lParam) {
    LRESULT lResult = 0;
    (static_cast<TClass*>(pTarget)->*pfn)(*reinterpret_cast<TNotify*>(lParam), &lResult);
    return lResult;
}
template <class TClass>
LRESULT AfxCallNotify(void (TClass::*pfn)(NMHDR*, LRESULT*), CCmdTarget* pTarget, LPARAM lParam) {
    LRESULT lResult = 0;
    (static_cast<TClass*>(pTarget)->*pfn)(reinterpret_cast<NMHDR*>(lParam), &lResult);
    return lResult;
}
template <class TClass, class TResult, class TFirst>
LRESULT AfxCallMessage(TResult (TClass::*pfn)(TFirst, LPARAM), CCmdTarget* pTarget, WPARAM wParam,
                       LPARAM lParam) {
    return static_cast<LRESULT>(
        (static_cast<TClass*>(pTarget)->*pfn)(static_cast<TFirst>(wParam), lParam));
}
// Named through an alias: clang-format 14 and 19 space a bare "TClass::*"
// parameter differently.
template <class TClass, class TMember> using AfxMemberOf = TMember TClass::*;
template <class TClass, class TControl, class TNotify>
LRESULT AfxCallControlNotify(AfxMemberOf<TClass, TControl> pControl,
                             LRESULT (TControl::*pfn)(TNotify&), CCmdTarget* pTarget,
                             LPARAM lParam) {
    TControl& control = static_cast<TClass*>(pTarget)->*pControl;
    return (control.*pfn)(*reinterpret_cast<TNotify*>(lParam));
}
template <class TClass>
LRESULT AfxCallDpiChanged(void (TClass::*pfn)(UINT, const RECT&), CCmdTarget* pTarget,
                          WPARAM wParam, LPARAM lParam) {
    (static_cast<TClass*>(pTarget)->*pfn)(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    return 0;
}
template <class TClass>
LRESULT AfxCallMessage(void (TClass::*pfn)(UINT_PTR), CCmdTarget* pTarget, WPARAM wParam, LPARAM) {
    (static_cast<TClass*>(pTarget)->*pfn)(static_cast<UINT_PTR>(wParam));
    return 0;
}

// One function per handler, so that the table holds plain pointers
// whatever the handler takes.
template <auto pfn> LRESULT AfxCommandThunk(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam) {
    AfxCall(pfn, pTarget, wParam, lParam);
    return 0;
}
template <auto pfn> LRESULT AfxNotifyThunk(CCmdTarget* pTarget, WPARAM, LPARAM lParam) {
    return AfxCallNotify(pfn, pTarget, lParam);
}
template <auto pControl, auto pfn>
LRESULT AfxControlNotifyThunk(CCmdTarget* pTarget, WPARAM, LPARAM lParam) {
    return AfxCallControlNotify(pControl, pfn, pTarget, lParam);
}
template <auto pfn> LRESULT AfxDpiChangedThunk(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam) {
    return AfxCallDpiChanged(pfn, pTarget, wParam, lParam);
}
template <auto pfn> LRESULT AfxMessageThunk(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam) {
    return AfxCallMessage(pfn, pTarget, wParam, lParam);
}

// nCode of the entries for messages on their way to a child control.
const UINT AFX_CHILD_MESSAGE = 0xFFFFFFFF;
// nCode of the entries whose message also gets the default handling.
const UINT AFX_THEN_DEFAULT = 0xFFFFFFFE;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // 0 ends the table
    UINT nCode;    // notification code; AFX_CHILD_MESSAGE for a child's message
    UINT nID;      // control or command id, first of a range
    UINT nLastID;  // last id of the range
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// A class with a map declares it in its body and defines it, entry by entry,
// between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP.
#define DECLARE_MESSAGE_MAP()                                                                      \
  protected:                                                                                       \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

// The end entry's comma makes clang-format 14 and 19 read it as a list.
#define END_MESSAGE_MAP()                                                                          \
    {0, 0, 0, 0, nullptr},                                                                         \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = {TheBaseClass::GetThisMessageMap(), entries};                    \
    return &map;                                                                                   \
    }

#define AFX_ENTRY(message, code, id, lastId, thunk, memberFxn)                                     \
    {static_cast<UINT>(message), static_cast<UINT>(code), static_cast<UINT>(id),                   \
     static_cast<UINT>(lastId), &thunk<&ThisClass::memberFxn>},
#define ON_COMMAND_CODE(code, id, memberFxn)                                                       \
    AFX_ENTRY(WM_COMMAND, code, id, id, AfxCommandThunk, memberFxn)
#define ON_COMMAND(id, memberFxn) ON_COMMAND_CODE(0, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_COMMAND_CODE(EN_CHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_COMMAND_CODE(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_COMMAND_CODE(CBN_SELENDOK, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn) AFX_ENTRY(WM_NOTIFY, code, id, id, AfxNotifyThunk, memberFxn)
#define ON_NOTIFY_RANGE(code, id, lastId, memberFxn)                                               \
    AFX_ENTRY(WM_NOTIFY, code, id, lastId, AfxNotifyThunk, memberFxn)
#define ON_NOTIFY_FOR(code, id, control, controlFxn)                                               \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),             \
     &AfxControlNotifyThunk<&ThisClass::control, &decltype(ThisClass::control)::controlFxn>},
#define ON_MESSAGE(message, memberFxn) AFX_ENTRY(message, 0, 0, 0, AfxMessageThunk, memberFxn)
#define ON_WM_DPICHANGED()                                                                         \
    AFX_ENTRY(WM_DPICHANGED, AFX_THEN_DEFAULT, 0, 0, AfxDpiChangedThunk, OnDpiChanged)
#define ON_WM_DESTROY() AFX_ENTRY(WM_DESTROY, AFX_THEN_DEFAULT, 0, 0, AfxMessageThunk, OnDestroy)
#define ON_WM_TIMER() AFX_ENTRY(WM_TIMER, 0, 0, 0, AfxMessageThunk, OnTimer)
#define ON_CHILD_MESSAGE(message, id, memberFxn)                                                   \
    AFX_ENTRY(message, AFX_CHILD_MESSAGE, id, id, AfxMessageThunk, memberFxn)

class CCmdTarget : public CObject {
  public:
    // Runs the first entry of this class's map, then of its bases' maps,
    // whose message and code match and whose id range holds nID; false
    // when none does. *pResult is the handler's answer.
    bool Dispatch(UINT nMessage, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam,
                  LRESULT* pResult);

  protected:
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
    static const AFX_MSGMAP* GetThisMessageMap();
};

// A window handle with the operations the dialog uses. It does not own the
// window: the dialog's children live and die with the dialog.
class CWnd : public CCmdTarget {
  public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}

    HWND m_hWnd = nullptr;

    // Attributes
    CWnd GetDlgItem(int nID) const { return (assert(m_hWnd), CWnd(::GetDlgItem(m_hWnd, nID))); }
    int GetDlgCtrlID() const { return (assert(m_hWnd), ::GetDlgCtrlID(m_hWnd)); }
    DWORD GetStyle() const {
        return (assert(m_hWnd), static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)));
    }
    DWORD GetExStyle() const {
        return (assert(m_hWnd), static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)));
    }
    void GetWindowRect(RECT* lpRect) const { (assert(m_hWnd), ::GetWindowRect(m_hWnd, lpRect)); }
    void ScreenToClient(RECT* lpRect) const {
        assert(m_hWnd);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(lpRect), 2);
    }
    void GetWindowText(CString& rString) const;
    void GetWindowText(std::wstring& rString) const;
    void SetWindowText(const char* lpszString) {
        assert(m_hWnd);
        ::SetWindowTextA(m_hWnd, lpszString);
    }
    void SetWindowText(const wchar_t* lpszString) {
        assert(m_hWnd);
        ::SetWindowTextW(m_hWnd, lpszString);
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
    }
    BOOL GetScrollInfo(int nBar, SCROLLINFO* pInfo) const {
        return (assert(m_hWnd), ::GetScrollInfo(m_hWnd, nBar, pInfo));
    }
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE) {
        return (assert(m_hWnd), ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw));
    }

    // Operations
    // Creates the window as a child of pParentWnd with id nID on rect (in
    // the parent's client coordinates).
    BOOL CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName,
                  DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return (assert(m_hWnd), ::SendMessageA(m_hWnd, message, wParam, lParam));
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return (assert(m_hWnd), ::PostMessageA(m_hWnd, message, wParam, lParam));
    }
    BOOL ShowWindow(int nCmdShow) { return (assert(m_hWnd), ::ShowWindow(m_hWnd, nCmdShow)); }
    // Takes dwRemove out of the window style and puts dwAdd in, in that
    // order; FALSE when the style stays as it was, and is then not written.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd);
    void Invalidate(BOOL bErase = TRUE) {
        assert(m_hWnd);
        ::InvalidateRect(m_hWnd, nullptr, bErase);
    }
    // Sends the message to every child window and their children.
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
        assert(m_hWnd);
        return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx,
                              cy, nFlags);
    }
    BOOL UpdateWindow() { return (assert(m_hWnd), ::UpdateWindow(m_hWnd)); }
    BOOL RedrawWindow(const RECT* lpRectUpdate, HRGN hrgnUpdate, UINT nFlags) {
        return (assert(m_hWnd), ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, nFlags));
    }
    void SetRedraw(BOOL bRedraw = TRUE) { SendMessage(WM_SETREDRAW, bRedraw); }
    BOOL EnableWindow(BOOL bEnable = TRUE) {
        return (assert(m_hWnd), ::EnableWindow(m_hWnd, bEnable));
    }
    HWND SetFocus() { return (assert(m_hWnd), ::SetFocus(m_hWnd)); }
    BOOL DestroyWindow();
    // The system's own handling of a message, past the window's procedure.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return (assert(m_hWnd), ::DefWindowProcA(m_hWnd, message, wParam, lParam));
    }
    // A timer of this window: WM_TIMER comes only when no other message
    // waits for the thread. KillTimer answers FALSE when none was set.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) {
        return (assert(m_hWnd), ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr));
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return (assert(m_hWnd), ::KillTimer(m_hWnd, nIDEvent)); }
};

class CDataExchange {
  public:
    explicit CDataExchange(CWnd* pDlgWnd) : m_pDlgWnd(pDlgWnd) {}
    CWnd* m_pDlgWnd;
};

// Binds rControl to the dialog's child nIDC; moves no value.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
  public:
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

    // Runs the dialog of template m_nIDTemplate from the current module
    // state's resource source; answers the EndDialog result, or -1 when the
    // dialog could not be made. An exception raised by a handler ends the
    // dialog and is raised again here, once the window is gone. Without a
    // parent, the dialog is owned by this thread's active top-level window,
    // which it disables while it runs; it opens centred over its owner, or
    // on the screen's work area when there is none, in front.
    virtual INT_PTR DoModal();

    void UpdateData(BOOL bSaveAndValidate = TRUE);
    // The run ends once the message being handled is: code that goes on
    // handling others meanwhile (a long walk) asks IsEnding.
    void EndDialog(int nResult) {
        assert(m_hWnd);
        m_bEnding = true;
        ::EndDialog(m_hWnd, nResult);
    }
    bool IsEnding() const { return m_bEnding; }

  protected:
    // Binds the controls (DoDataExchange) and puts the map's child-message
    // entries in front of their children.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }

    DECLARE_MESSAGE_MAP()

  private:
    static HWND GetDefaultOwner();
    void CenterOverOwner();
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Where the map's child-message entries see their children's messages.
    static LRESULT CALLBACK ChildProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR uIdSubclass, DWORD_PTR dwRefData);
    void SubclassChildren();
    // Runs a handler; an exception it raises ends the dialog (hWnd) and
    // waits for DoModal.
    template <class Handler> void Guard(HWND hWnd, Handler handler);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    bool m_bEnding = false;
    std::exception_ptr m_pendingException;
};

class CEdit : public CWnd {};

class CStatic : public CWnd {};

class CComboBox : public CWnd {
  public:
    // Attributes
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    // The entry's text; empty for an index that names none.
    CString GetLBText(int nIndex) const;
    BOOL GetDroppedState() const { return SendMessage(CB_GETDROPPEDSTATE) != 0; }
    DWORD_PTR GetItemData(int nIndex) const {
        return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
    }
    int SetItemData(int nIndex, DWORD_PTR dwItemData) {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(nIndex),
                                            static_cast<LPARAM>(dwItemData)));
    }

    // Operations
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int AddString(const char* lpszString) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
    }
    int InsertString(int nIndex, const char* lpszString) {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                                            reinterpret_cast<LPARAM>(lpszString)));
    }
    int SetCurSel(int nSelect) {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect)));
    }
};

class CListCtrl : public CWnd {
  public:
    // Creates the list view window with an extended window style
    // (WS_EX_...) too.
    BOOL CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return CWnd::CreateEx(dwExStyle, WC_LISTVIEWA, nullptr, dwStyle, rect, pParentWnd, nID);
    }

    // Attributes
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    UINT GetItemState(int nItem, UINT nMask) const {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
    }
    // The next row after nItem (-1: from the top) in the state nFlags
    // names (LVNI_SELECTED, ...); -1 when there is none.
    int GetNextItem(int nItem, int nFlags) const {
        return static_cast<int>(
            SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
    }
    // The text of row nItem, column nSubItem, cut to nLen bytes with its
    // NUL; answers its length.
    int GetItemText(int nItem, int nSubItem, char* lpszText, int nLen) const;
    BOOL SetItemText(int nItem, int nSubItem, const char* lpszText);
    // Makes a virtual list (LVS_OWNERDATA) hold nItems rows; dwFlags
    // LVSICF_NOINVALIDATEALL keeps the rows shown, 0 repaints them all.
    BOOL SetItemCountEx(int nItems, DWORD dwFlags) {
        return static_cast<BOOL>(SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(nItems),
                                             static_cast<LPARAM>(dwFlags)));
    }
    // The list view's own extended style (LVS_EX_...), not the window's.
    DWORD GetExtendedStyle() const {
        return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
    }
    DWORD SetExtendedStyle(DWORD dwNewStyle) {
        return static_cast<DWORD>(
            SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwNewStyle)));
    }
    int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
    // Row nItem's state bits in nMask become nState; nItem -1 means every row.
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    int SetSelectionMark(int nIndex) {
        return static_cast<int>(SendMessage(LVM_SETSELECTIONMARK, 0, nIndex));
    }

    // Operations
    // The width of a report column, in any view (GetColumnWidth answers
    // with the list view's own column width in list view).
    BOOL GetColumn(int nCol, LVCOLUMNA* pColumn) const {
        return static_cast<BOOL>(SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(nCol),
                                             reinterpret_cast<LPARAM>(pColumn)));
    }
    BOOL SetColumn(int nCol, const LVCOLUMNA* pColumn) {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNA, static_cast<WPARAM>(nCol),
                                             reinterpret_cast<LPARAM>(pColumn)));
    }
    int InsertColumn(int nCol, const LVCOLUMNA* pColumn) {
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol),
                                            reinterpret_cast<LPARAM>(pColumn)));
    }
    int InsertColumn(int nCol, const LVCOLUMNW* pColumn) {
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol),
                                            reinterpret_cast<LPARAM>(pColumn)));
    }
    int InsertItem(UINT nMask, int nItem, const char* lpszItem, UINT nState, UINT nStateMask,
                   int nImage, LPARAM lParam);
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) {
        return static_cast<BOOL>(
            SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOK));
    }
    // ModifyStyle for the bits that choose the view, then the new view on
    // the screen at once: a list view told its view through its style
    // alone keeps the old view's layout (rows under the header, empty
    // cells) until something lays it out and repaints it.
    void ModifyViewStyle(DWORD dwRemove, DWORD dwAdd);
    // Row nItem selected, focused and scrolled into view, and no other row
    // selected.
    void SelectOnly(int nItem);
};

// An image list that owns its handle: whatever holds it (a toolbar is given
// one and never frees it) must not outlive it.
class CImageList {
  public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    // Operations
    // Makes an empty list of cx x cy images; a list held before is freed.
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
        DeleteImageList();
        m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
        return m_hImageList != nullptr;
    }
    // Adds the images side by side in hBitmap; pixels of crMask are left
    // out by the mask. Answers the first new image's index or -1.
    int Add(HBITMAP hBitmap, COLORREF crMask) {
        return (assert(m_hImageList), ImageList_AddMasked(m_hImageList, hBitmap, crMask));
    }
    // Takes hImageList over, freeing the list held before.
    void Attach(HIMAGELIST hImageList) {
        DeleteImageList();
        m_hImageList = hImageList;
    }
    HIMAGELIST Detach() {
        HIMAGELIST hImageList = m_hImageList;
        m_hImageList = nullptr;
        return hImageList;
    }
    BOOL DeleteImageList() {
        const BOOL bDeleted = m_hImageList && ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
        return bDeleted;
    }
};

class CToolBarCtrl : public CWnd {
  public:
    // Creates the toolbar window, ready to take button records.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // Attributes
    HIMAGELIST GetImageList() const {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TB_GETIMAGELIST));
    }
    // The toolbar draws its buttons' images from pImageList, which it does
    // not free: pImageList must outlive the toolbar. Answers the list it
    // drew from before.
    HIMAGELIST SetImageList(CImageList* pImageList) {
        return reinterpret_cast<HIMAGELIST>(
            SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pImageList->m_hImageList)));
    }
    BOOL SetButtonSize(int cx, int cy) {
        return static_cast<BOOL>(SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(cx, cy)));
    }

    // Operations
    // Adds nNumButtons images of bitmap nBitmapID from the current module
    // state's resource source; answers the first new image's index or -1.
    int AddBitmap(int nNumButtons, UINT nBitmapID);
    BOOL AddButtons(int nNumButtons, const TBBUTTON* lpButtons) {
        return static_cast<BOOL>(SendMessage(TB_ADDBUTTONS, static_cast<WPARAM>(nNumButtons),
                                             reinterpret_cast<LPARAM>(lpButtons)));
    }
};

// The application object of a regular library, reduced to what this module
// uses: a start hook and an end hook that the library's entry point calls
// around the module's life. There is no main window and no message loop.
class CWinApp {
  public:
    CWinApp() = default;
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Operations
    // Runs once at process attach with the module's state current; FALSE
    // makes the loading of the module fail.
    virtual BOOL InitInstance() { return TRUE; }
    // Runs once when the module ends, whatever InitInstance answered.
    virtual int ExitInstance() { return 0; }
};

// The module's one application object, defined by the module.
CWinApp* AfxGetApp();

#endif
