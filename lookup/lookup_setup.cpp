// The "Lookup" dialog's window: its controls bound, the virtual item list
// and the toolbar in the template's places, the columns, the view commands
// and their tooltips; and the same scaled and drawn again for another dpi
// or colour scheme.
#include "lookup.h"

#include "afxres.h"
#include "dpi.h"
#include "tavorin.h"
#include "toolbar_images.h"

#include <cstdlib>
#include <cstring>

CLookup::CLookup(const char* device, const char* area, int type, const char* pattern, int flags,
                 CStringArray* results, CWnd* parent)
    : CDialog(IDD, parent), m_pResults(nullptr), m_nType(0), m_nFlags(0), m_scheduler(*this),
      m_viewImageSize(kViewImageSize), m_nDpi(kBaseDpi) {
    m_strDevice = device;
    m_strArea = area;
    m_nType = type;
    m_strPattern = pattern;
    m_nFlags = flags;
    m_pResults = results ? results : &m_ownResults;
    // Measurements compare a slow walk with the rows shown as it reads them
    // against the same walk shown only once complete.
    const char* whenComplete = std::getenv("TAVORIN_ROWS_WHEN_COMPLETE");
    m_scheduler.StreamRows(!whenComplete || std::strcmp(whenComplete, "1") != 0);
}

CLookup::~CLookup() = default;

void CLookup::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_ITEM_NAME, m_editItemName);
    DDX_Control(pDX, IDC_DATA_TYPE, m_cbType);
    DDX_Control(pDX, IDC_ITEM_LIST, m_list);
    DDX_Control(pDX, IDC_DEVICE, m_cbDevice);
    DDX_Control(pDX, IDC_ITEM_COUNT, m_staticCount);
    DDX_Control(pDX, IDC_AREA, m_cbArea);
}

BOOL CLookup::OnInitDialog() {
    // The item name field takes its characters in UTF-16, before the
    // dialog's own handling is put in front of it: as an 8-bit window it
    // gets a character the code page writes in two bytes as two characters
    // (Wine's edit takes each alone: "ヂ" became "?a"), and one of UTF-8's
    // three not at all. Its text still reads in the code page.
    HWND hItemName = ::GetDlgItem(m_hWnd, IDC_ITEM_NAME);
    ::SetWindowLongPtrW(hItemName, GWLP_WNDPROC, ::GetWindowLongPtrW(hItemName, GWLP_WNDPROC));
    CDialog::OnInitDialog();
    m_list.MakeVirtual(this);

    if (!(m_nFlags & LF_DEVICE))
        m_cbDevice.EnableWindow(FALSE);
    if (!(m_nFlags & LF_AREA))
        m_cbArea.EnableWindow(FALSE);
    if (!(m_nFlags & LF_TYPE))
        m_cbType.EnableWindow(FALSE);

    // Columns and toolbar images are counted in pixels: unlike the template's
    // dialog units, they do not follow the display's dpi by themselves.
    const UINT dpi = WindowDpi(m_hWnd);
    m_nDpi = dpi;
    if (ReplacePlaceholderByToolbar())
        AddViewButtons(dpi);
    m_list.InsertColumns(dpi);
    NameControls();

    PostMessage(WM_FIRST_FILL);
    m_editItemName.SetFocus();
    return 0; // the focus stays where it was put
}

bool CLookup::ReplacePlaceholderByToolbar() {
    // The template only reserves the toolbar's place: a localised template
    // moves the placeholder, and the toolbar follows it. A template without
    // one gets no toolbar, as when the toolbar cannot be made.
    CWnd placeholder = GetDlgItem(IDC_TOOLBAR);
    if (!placeholder.m_hWnd)
        return false;
    // Not its placement: in a mirrored (right-to-left) dialog that counts
    // from the left, while a new child's position counts from the right.
    RECT rect;
    placeholder.GetWindowRect(&rect);
    ScreenToClient(&rect);
    placeholder.DestroyWindow();
    return m_toolbar.Create(WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE,
                            rect, this, IDC_TOOLBAR) != FALSE;
}

void CLookup::AddViewButtons(UINT dpi) {
    m_viewImageSize = kViewImageSize;
    HINSTANCE hResources = AfxGetModuleState()->m_hCurrentResourceHandle;
    if (dpi == kBaseDpi && !ViewImagesNeedSchemeColours(hResources)) {
        m_toolbar.AddBitmap(2, IDB_VIEW_BUTTONS);
        // Images made later match these where the toolbar's size differs
        // from Windows' (Wine's are 16 x 16).
        ImageList_GetIconSize(m_toolbar.GetImageList(), reinterpret_cast<int*>(&m_viewImageSize.cx),
                              reinterpret_cast<int*>(&m_viewImageSize.cy));
    } else {
        SetViewImages(dpi);
    }
    // Image, command, state, style, data word, string index; no captions:
    // each button is known by its image and its tooltip.
    const TBBUTTON buttons[2] = {
        {0, ID_SET_DETAILS, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
        {1, ID_SET_LIST, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 1, 1},
    };
    m_toolbar.AddButtons(2, buttons);
}

void CLookup::SetViewImages(UINT dpi) {
    // Made aside and swapped in: the toolbar never holds a freed list.
    CImageList images;
    if (!CreateViewImages(images, AfxGetModuleState()->m_hCurrentResourceHandle, dpi,
                          m_viewImageSize))
        return;
    m_toolbar.SetImageList(&images);
    m_viewImages.Attach(images.Detach());
    const SIZE button = ViewButtonSize(dpi);
    m_toolbar.SetButtonSize(button.cx, button.cy);
    m_toolbar.Invalidate();
}

void CLookup::NameControls() {
    // Screen readers name the edits and selectors after the label before
    // them; the list and the area selector have none. A language library
    // made before these strings existed lacks them: the module's serve.
    // In UTF-16, so that they read right also where the ANSI code page
    // cannot hold the translation.
    HINSTANCE hOwn = AfxGetModuleState()->m_hCurrentInstanceHandle;
    AFX_MODULE_STATE ownResources = {hOwn, hOwn};
    std::wstring list, area;
    if (!AfxLoadStringW(IDS_ITEM_LIST, list) || !AfxLoadStringW(IDS_AREA, area)) {
        AFX_MAINTAIN_STATE2 state(&ownResources);
        AfxLoadStringW(IDS_ITEM_LIST, list);
        AfxLoadStringW(IDS_AREA, area);
    }
    m_list.SetWindowText(list.c_str());
    m_screenReader.SetName(m_list.m_hWnd, list.c_str());
    m_screenReader.SetName(m_cbArea.m_hWnd, area.c_str());
    m_screenReader.MakeLive(m_staticCount.m_hWnd);
}

void CLookup::OnDpiChanged(UINT dpi, const RECT& suggested) {
    // The system scales the font and the template's controls of a
    // per-monitor-aware dialog; the pixel counts are the dialog's own.
    m_list.ScaleColumns(m_nDpi, dpi);
    if (m_toolbar.m_hWnd)
        SetViewImages(dpi);
    m_nDpi = dpi;
    SetWindowPos(nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CLookup::OnSysColorChange(WPARAM wParam, LPARAM lParam) {
    // Only top-level windows are told; the common controls keep colours
    // of their own until they are.
    SendMessageToDescendants(WM_SYSCOLORCHANGE, wParam, lParam);
    if (m_toolbar.m_hWnd)
        SetViewImages(m_nDpi);
    return 0;
}

// The view is the style's two low bits (LVS_TYPEMASK), and the rule relies
// on their values: LVS_ICON 0, LVS_REPORT 1, LVS_SMALLICON 2, LVS_LIST 3.
// Taking away bit 2 and adding bit 1 leaves 1, details, from any view;
// adding both bits leaves 3, list. Every other style bit stays.
void CLookup::OnSetDetails() {
    m_list.ModifyViewStyle(LVS_SMALLICON, LVS_REPORT);
}

void CLookup::OnSetList() {
    m_list.ModifyViewStyle(0, LVS_LIST);
}

void CLookup::OnToolTipText(NMTTDISPINFOA& info, LRESULT*) {
    UINT_PTR nID = info.hdr.idFrom;
    if (info.uFlags & TTF_IDISHWND)
        nID = static_cast<UINT_PTR>(CWnd(reinterpret_cast<HWND>(nID)).GetDlgCtrlID());
    if (nID == 0)
        return;
    // The tooltip loads the text itself, from whichever library supplies
    // this module's resources now.
    info.lpszText = MAKEINTRESOURCEA(LOWORD(nID));
    info.hinst = AfxGetModuleState()->m_hCurrentResourceHandle;
}
