// The "Lookup" dialog: device, storage area and data type selectors, an item
// name pattern, and the list of matching items the user picks from.
#ifndef LOOKUP_H
#define LOOKUP_H

#include "afxwin.h"
#include "item_list.h"
#include "resource.h"
#include "screen_reader.h"
#include "store_query.h"
#include "typing_ahead.h"

class CLookup : public CDialog {
  public:
    enum { IDD = IDD_LOOKUP };

    // results may be null: the chosen names then go to the dialog's own
    // array.
    CLookup(const char* device, const char* area, int type, const char* pattern, int flags,
            CStringArray* results, CWnd* parent);
    ~CLookup() override;

    // Runs the dialog; the names chosen with OK reach the results array
    // only once the dialog has ended with IDOK, in one step that cannot
    // fail, so that every other way out leaves the array as it was.
    INT_PTR DoModal() override;

    // Attributes: the choice in force, read by the entry points once the
    // dialog has closed.
    const CString& GetDevice() const { return m_strDevice; }
    const CString& GetArea() const { return m_strArea; }
    int GetType() const { return m_nType; }
    // The names chosen with OK, in row order: the caller's array or the
    // dialog's own.
    const CStringArray& GetResults() const { return *m_pResults; }

  protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    // Posted by OnInitDialog: the first fill, with the dialog on the screen.
    enum { WM_FIRST_FILL = WM_APP + 1 };
    LRESULT OnFirstFill(WPARAM wParam, LPARAM lParam);
    // Fills the selectors and the item list from the store; bFromControls
    // nonzero first takes the user's choice from the controls. A walk
    // looks at the input meanwhile, and stops for the user.
    void Refresh(int bFromControls);

    void OnSetDetails();
    void OnSetList();
    void OnFilterChanged();
    // The item name changed: refreshes as OnFilterChanged does, or, when
    // the user has typed further keys already, once they are handled.
    void OnItemNameChanged();
    void OnTimer(UINT_PTR nIDEvent);
    // Up, Down, Page Up and Page Down in the item name field move the item
    // list's selection; TRUE when the key was taken.
    BOOL OnItemNameKeyDown(UINT nChar, LPARAM lKeyData);
    void OnDblclkItemList(NMHDR* pNMHDR, LRESULT* pResult);
    // The toolbar's tooltips ask for their texts.
    void OnToolTipText(NMTTDISPINFOA& info, LRESULT* pResult);
    // A per-monitor-aware host's dialog moved to a monitor of another dpi.
    void OnDpiChanged(UINT nDpi, const RECT& suggested);
    // The colour scheme changed.
    LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam);

  private:
    class CWalkWatch;

    // Set-up, once per run.
    bool ReplacePlaceholderByToolbar();
    void AddViewButtons(UINT dpi);
    // Gives the toolbar images for dpi in the colour scheme in force.
    void SetViewImages(UINT dpi);
    // Names for screen readers where no label before a control names it.
    void NameControls();

    // The refresh's steps: the choice from the controls, what only the
    // first fill shows, and what a complete walk found.
    void ReadChoice();
    void ShowPatternAndTypes();
    void ShowListing(bool bAnnounce);
    void ShowStoppedWalk();

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
    CItemList m_list;
    CComboBox m_cbDevice;
    CItemCount m_staticCount;
    CComboBox m_cbArea;

    CStoreQuery m_query;
    // A walk has listed the devices and areas: from then on a refresh reads
    // the device and area from their selectors.
    bool m_bSelectorsListed = false;
    CStringArray m_chosen; // what OnOK collected, until the dialog has ended
    CTypingAhead m_typingAhead;
    // The toolbar's images where it does not load them itself (another dpi
    // than 96, a high-contrast scheme); the toolbar does not free them.
    // The toolbar's window is gone when DoModal returns, long before this.
    CImageList m_viewImages;
    SIZE m_viewImageSize; // at 96 dpi: the toolbar's own where it loaded them
    UINT m_nDpi;          // that the pixel counts are scaled for
    CScreenReaderNotes m_screenReader;
};

#endif
