// Window classes of the framework layer: thin wrappers over Win32 windows
// and common controls, a modal dialog, and the message map that routes a
// dialog's commands and notifications to its handlers.
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
//   WM_COMMAND: void OnSomething();
//   WM_NOTIFY:  void OnSomething(NMHDR* pNMHDR, LRESULT* pResult);
typedef void (CCmdTarget::*AFX_PCMD)();
typedef void (CCmdTarget::*AFX_PNOTIFY)(NMHDR*, LRESULT*);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // WM_COMMAND or WM_NOTIFY; 0 ends the table
    UINT nCode;    // notification code
    UINT nID;      // control or command id
    AFX_PCMD pfnCommand;
    AFX_PNOTIFY pfnNotify;
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

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr, nullptr }                                                                  \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = {TheBaseClass::GetThisMessageMap(), entries};                    \
    return &map;                                                                                   \
    }

#define ON_COMMAND_CODE(code, id, memberFxn)                                                       \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id),                                   \
     static_cast<AFX_PCMD>(&ThisClass::memberFxn), nullptr},
#define ON_COMMAND(id, memberFxn) ON_COMMAND_CODE(0, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_COMMAND_CODE(EN_CHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_COMMAND_CODE(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_COMMAND_CODE(CBN_SELENDOK, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), nullptr,                           \
     static_cast<AFX_PNOTIFY>(&ThisClass::memberFxn)},

class CCmdTarget : public CObject {
  public:
    // Runs the first entry of this class's map, then of its bases' maps,
    // whose message, code and id all match; false when none does.
    bool DispatchCommand(UINT nCode, UINT nID);
    bool DispatchNotify(NMHDR* pNMHDR, LRESULT* pResult);

  protected:
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
    static const AFX_MSGMAP* GetThisMessageMap();

  private:
    const AFX_MSGMAP_ENTRY* FindEntry(UINT nMessage, UINT nCode, UINT nID) const;
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
    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const {
        assert(m_hWnd);
        lpwndpl->length = sizeof(WINDOWPLACEMENT);
        return ::GetWindowPlacement(m_hWnd, lpwndpl);
    }
    void GetWindowText(CString& rString) const;
    void SetWindowText(const char* lpszString) {
        assert(m_hWnd);
        ::SetWindowTextA(m_hWnd, lpszString);
    }

    // Operations
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return (assert(m_hWnd), ::SendMessageA(m_hWnd, message, wParam, lParam));
    }
    BOOL EnableWindow(BOOL bEnable = TRUE) {
        return (assert(m_hWnd), ::EnableWindow(m_hWnd, bEnable));
    }
    HWND SetFocus() { return (assert(m_hWnd), ::SetFocus(m_hWnd)); }
    BOOL DestroyWindow();

  protected:
    // WM_COMMAND through the message map; false when no entry took it.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY through the message map; *pResult is the notification's answer.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
};

class CDataExchange {
  public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
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

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult) {
        assert(m_hWnd);
        ::EndDialog(m_hWnd, nResult);
    }

  protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }

    DECLARE_MESSAGE_MAP()

  private:
    static HWND GetDefaultOwner();
    void CenterOverOwner();
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    std::exception_ptr m_pendingException;
};

class CEdit : public CWnd {};

class CStatic : public CWnd {};

class CComboBox : public CWnd {
  public:
    // Attributes
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
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
    int SelectString(int nStartAfter, const char* lpszString) {
        return static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(nStartAfter),
                                            reinterpret_cast<LPARAM>(lpszString)));
    }
};

class CListCtrl : public CWnd {
  public:
    // Attributes
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    BOOL GetItem(LVITEMA* pItem) const {
        return static_cast<BOOL>(SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
    }
    BOOL SetItem(const LVITEMA* pItem) {
        return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
    }
    // Makes a virtual list (LVS_OWNERDATA) hold nItems rows.
    void SetItemCount(int nItems) { SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(nItems)); }

    // Operations
    int InsertColumn(int nCol, const LVCOLUMNA* pColumn) {
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol),
                                            reinterpret_cast<LPARAM>(pColumn)));
    }
    int InsertItem(UINT nMask, int nItem, const char* lpszItem, UINT nState, UINT nStateMask,
                   int nImage, LPARAM lParam);
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
};

class CToolBarCtrl : public CWnd {
  public:
    // Creates the toolbar window, ready to take button records.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Adds nNumButtons images of bitmap nBitmapID from the current module
    // state's resource source; answers the first new image's index or -1.
    int AddBitmap(int nNumButtons, UINT nBitmapID);
};

#endif
