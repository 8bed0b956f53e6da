// The "Lookup" dialog: device, storage area and data type selectors, an item
// name pattern, and the list of matching items the user picks from.
#ifndef LOOKUP_H
#define LOOKUP_H

#include "afxwin.h"
#include "item_rows.h"
#include "resource.h"

class CLookup : public CDialog {
  public:
    enum { IDD = IDD_LOOKUP };

    // results may be null: the chosen names then go to the dialog's own
    // array.
    CLookup(const char* device, const char* area, int type, const char* pattern, int flags,
            CStringArray* results, CWnd* parent);
    ~CLookup() override;

    // Attributes: the choice in force, read by the entry points once the
    // dialog has closed.
    const CString& GetDevice() const { return m_strDevice; }
    const CString& GetArea() const { return m_strArea; }
    int GetType() const { return m_nType; }
    // The names OnOK collected, in row order: the caller's array or the
    // dialog's own.
    const CStringArray& GetResults() const { return *m_pResults; }

  protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    // Fills the selectors and the item list from the enumeration interface;
    // bFromControls nonzero first takes the user's choice from the controls.
    void Refresh(int bFromControls);

    void OnSetDetails();
    void OnSetList();
    void OnFilterChanged();
    // The item name changed: refreshes as OnFilterChanged does, or, when
    // the user has typed further keys already, once they are handled.
    void OnItemNameChanged();
    // Up, Down, Page Up and Page Down in the item name field move the item
    // list's selection; *pResult nonzero when the key was taken.
    void OnItemNameKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    // The selection those keys move shows in the colours of a focused list.
    void OnCustomDrawItemList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnDblclkItemList(NMHDR* pNMHDR, LRESULT* pResult);
    // The virtual item list asks for a cell's text, and for the row whose
    // name begins with what the user typed into it.
    void OnGetDispInfo(NMLVDISPINFOA& info, LRESULT* pResult);
    void OnFindItem(NMLVFINDITEMA& find, LRESULT* pResult);

  private:
    void ReplaceItemListByVirtualList();
    bool ReplacePlaceholderByToolbar();
    void AddViewButtons(UINT dpi);
    // Answers whether a refresh was waiting for typed keys; it no longer is.
    bool DropDeferredRefresh();
    void RunDeferredRefresh();
    void SelectOnlyRow(int nRow);

    // The choice in force and the controls bound to the template, in the
    // fixed order in which they are constructed and destroyed.
    CToolBarCtrl m_toolbar;
    CStringArray* m_pResults; // never owned, never null
    CStringArray m_ownResults;
    int m_nType;
    CString m_strArea;
    CString m_strDevice;
    int m_nFlags;
    CString m_strItemName;
    CEdit m_editItemName;
    CComboBox m_cbType;
    CListCtrl m_list;
    CComboBox m_cbDevice;
    CStatic m_staticCount;
    CComboBox m_cbArea;

    CItemRows m_rows; // what the item list shows, in walk order
    // The toolbar's images above 96 dpi; the toolbar does not free them.
    // The toolbar's window is gone when DoModal returns, long before this.
    CImageList m_viewImages;
};

#endif
