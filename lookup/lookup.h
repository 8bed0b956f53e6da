// The "Lookup" dialog: device, storage area and data type selectors, an item
// name pattern, and the list of matching items the user picks from.
#ifndef LOOKUP_H
#define LOOKUP_H

#include "afxwin.h"
#include "item_count.h"
#include "item_list.h"
#include "resource.h"
#include "screen_reader.h"
#include "shown_rows.h"
#include "refresh_scheduler.h"

// The windows whose messages the modal loop asks about.
struct SDialogWindows {
    HWND hDlg, hItemName, hList, hOK, hCancel;
};

class CLookup : public CDialog, private CRefreshHost {
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

    // Each reports its event to the refresh scheduler, which refreshes the
    // selectors and the item list when it is time.
    void OnSetDetails();
    void OnSetList();
    void OnFilterChanged();
    void OnItemNameChanged();
    // Up, Down, Page Up and Page Down in the item name field move the item
    // list's selection; TRUE when the key was taken.
    BOOL OnItemNameKeyDown(UINT nChar, LPARAM lKeyData);
    void OnDblclkItemList(NMHDR* pNMHDR, LRESULT* pResult);
    // The selection changed, for one row or for a range.
    void OnRowChanged(NMLISTVIEW& change, LRESULT* pResult);
    void OnRowsChanged(NMLVODSTATECHANGE& change, LRESULT* pResult);
    void UserSelected();
    // The toolbar's tooltips ask for their texts.
    void OnToolTipText(NMTTDISPINFOA& info, LRESULT* pResult);
    // A per-monitor-aware host's dialog moved to a monitor of another dpi.
    void OnDpiChanged(UINT nDpi, const RECT& suggested);
    // The colour scheme changed.
    LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam);
    // Gives back what is kept for the windows while they exist.
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);

  private:
    // Set-up, once per run.
    bool ReplacePlaceholderByToolbar();
    void AddViewButtons(UINT dpi);
    // Gives the toolbar images for dpi in the colour scheme in force.
    void SetViewImages(UINT dpi);
    // Names for screen readers where no label before a control names it.
    void NameControls();

    // The modal loop's turns, for the refresh scheduler.
    SDialogWindows Windows() const;
    bool BeforeMessage(const MSG& msg) override;
    bool OnIdle() override { return m_scheduler.Idle(); }

    // What the refresh scheduler asks of the window.
    bool InputWaits(bool bPainting) override;
    bool UserLeaves() override;
    bool IsClosing() override { return !m_hWnd || IsEnding(); }
    uint32_t Now() override { return ::GetTickCount(); }
    uint32_t PreciseNow() override;
    void ShowPatternAndTypes(bool bPattern) override;
    SLookupChoice ReadChoice() override;
    // The same, read without taking it as the choice in force.
    SLookupChoice ChoiceInControls() const;
    int RowsInView() override;
    void ShowFirstRows(const SLookupChoice& choice, const SItemRow* pRows, int nRows) override;
    void AppendRows(const SItemRow* pRows, int nRows) override;
    void ShowRowsRead(int nRead) override;
    void ShowListing(const SLookupListing& listing, std::vector<SItemRow>&& rows, int nShown,
                     bool bAnnounce) override;
    void ShowStoppedWalk() override;
    // Rows of another choice than those shown. What the user selected
    // since the refresh began stays selected where the rows from nFrom on
    // hold it.
    void ShowNewRows(const SLookupChoice& choice, std::vector<SItemRow>&& rows);
    void SelectPickIn(int nFrom);
    // Rows a walk under way added: on the screen now, its next look may be
    // a while.
    void ShowRowsComing();

    // The choice in force and the controls bound to the template, in the
    // fixed order in which they are constructed and destroyed.
    CToolBarCtrl m_toolbar;
    CStringArray* m_pResults; // never owned, never null
    CStringArray m_ownResults;
    int m_nType;
    CString m_strArea;
    CString m_strDevice;
    int m_nFlags;
    CString m_strPattern; // the caller's, then the one walked last
    CEdit m_editItemName;
    CComboBox m_cbType;
    CItemList m_list;
    CComboBox m_cbDevice;
    CItemCount m_staticCount;
    CComboBox m_cbArea;

    CRefreshScheduler m_scheduler;
    CShownRows m_shown;
    bool m_bRefilling = false; // the selection changes are the refill's own
    DWORD m_opened = 0;        // when DoModal began
    int m_nCountBefore = 0;    // the walk under way's
    CStringArray m_chosen;     // what OnOK collected, until the dialog has ended
    // The toolbar's images where it does not load them itself (another dpi
    // than 96, a high-contrast scheme); the toolbar does not free them.
    // The toolbar's window is gone when DoModal returns, long before this.
    CImageList m_viewImages;
    SIZE m_viewImageSize; // at 96 dpi: the toolbar's own where it loaded them
    UINT m_nDpi;          // that the pixel counts are scaled for
    CScreenReaderNotes m_screenReader;
};

#endif
