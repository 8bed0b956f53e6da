// The "Lookup" dialog's set-up: its controls bound, the virtual item list
// and the toolbar in the template's places, the columns; and the same
// scaled and drawn again for another dpi or colour scheme.
#include "lookup.h"

#include "dpi.h"
#include "tavorin.h"
#include "toolbar_images.h"

namespace {

const int kColumnWidth = 100;

} // namespace

void CLookup::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_ITEM_NAME, m_editItemName);
    DDX_Control(pDX, IDC_DATA_TYPE, m_cbType);
    DDX_Control(pDX, IDC_ITEM_LIST, m_list);
    DDX_Control(pDX, IDC_DEVICE, m_cbDevice);
    DDX_Control(pDX, IDC_ITEM_COUNT, m_staticCount);
    DDX_Control(pDX, IDC_AREA, m_cbArea);
}

BOOL CLookup::OnInitDialog() {
    CDialog::OnInitDialog();
    ReplaceItemListByVirtualList();

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
    InsertColumns(dpi);
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
    HINSTANCE hOwn = AfxGetModuleState()->m_hCurrentInstanceHandle;
    AFX_MODULE_STATE ownResources = {hOwn, hOwn};
    CString list, area;
    if (!list.LoadString(IDS_ITEM_LIST) || !area.LoadString(IDS_AREA)) {
        AFX_MAINTAIN_STATE2 state(&ownResources);
        list.LoadString(IDS_ITEM_LIST);
        area.LoadString(IDS_AREA);
    }
    m_list.SetWindowText(list);
    m_screenReader.SetName(m_list.m_hWnd, list);
    m_screenReader.SetName(m_cbArea.m_hWnd, area);
    m_screenReader.MakeLive(m_staticCount.m_hWnd);
}

void CLookup::InsertColumns(UINT dpi) {
    for (int i = 0; i < CItemRows::kColumnCount; ++i) {
        CString title;
        title.LoadString(IDS_ITEM + i);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaleToDpi(kColumnWidth, dpi);
        column.pszText = const_cast<char*>(title.GetString());
        column.iSubItem = i;
        m_list.InsertColumn(i, &column);
    }
}

void CLookup::ReplaceItemListByVirtualList() {
    // Only a list made with LVS_OWNERDATA keeps no rows of its own, and the
    // style cannot be given to a list that exists: a new list takes the
    // template's list's id, place, styles, font and place in the tab order,
    // so that a localised template's list is replaced the same way.
    RECT rect;
    m_list.GetWindowRect(&rect);
    ScreenToClient(&rect);
    CListCtrl list;
    // The selection stays visible while the focus is in the item name
    // field, whose Up and Down keys move it.
    if (!list.CreateEx(m_list.GetExStyle(), m_list.GetStyle() | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                       rect, this, static_cast<UINT>(m_list.GetDlgCtrlID())))
        return; // the template's list serves, filled row by row
    list.SetFont(m_list.GetFont(), FALSE);
    list.SetExtendedStyle(m_list.GetExtendedStyle());
    list.SetWindowPos(&m_list, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_list.DestroyWindow();
    m_list.Attach(list.m_hWnd);
}

LRESULT CLookup::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    // The system scales the font and the template's controls of a
    // per-monitor-aware dialog; the pixel counts are the dialog's own. A
    // column's width goes by the ratio, keeping what the user dragged.
    const UINT dpi = LOWORD(wParam);
    for (int i = 0; i < CItemRows::kColumnCount; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        if (m_list.GetColumn(i, &column)) {
            column.cx = MulDiv(column.cx, static_cast<int>(dpi), static_cast<int>(m_nDpi));
            m_list.SetColumn(i, &column);
        }
    }
    if (m_toolbar.m_hWnd)
        SetViewImages(dpi);
    m_nDpi = dpi;
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CLookup::OnSysColorChange(WPARAM wParam, LPARAM lParam) {
    // Only top-level windows are told; the common controls keep colours
    // of their own until they are.
    SendMessageToDescendants(WM_SYSCOLORCHANGE, wParam, lParam);
    if (m_toolbar.m_hWnd)
        SetViewImages(m_nDpi);
    return 0;
}
