// The "Lookup" dialog's item list: a virtual list view that keeps its rows
// in the program (CItemRows) and answers the control's requests for them.
// The dialog tells it which rows to show and asks it which are selected.
#ifndef ITEM_LIST_H
#define ITEM_LIST_H

#include "afxwin.h"
#include "item_rows.h"

#include <vector>

class CItemList : public CListCtrl {
  public:
    // Attributes
    // The names of the selected rows, top down, read back as any program
    // reads a row: cut to 49 characters.
    CStringArray GetSelectedNames() const;
    CString GetFocusedName() const;

    // Operations
    // Takes the place of the template's list (this window) with a virtual
    // one; the template's list stays, filled row by row, if that fails.
    void MakeVirtual(CWnd* pDialog);
    // The four columns, with widths for dpi; and scaled to another dpi.
    void InsertColumns(UINT dpi);
    void ScaleColumns(UINT fromDpi, UINT toDpi);
    // Shows rows instead of those shown, painted once, from the top.
    void ShowRows(std::vector<SItemRow>&& rows);
    // Adds rows after those shown; the selection, the focused row and the
    // rows in view stay as they are.
    void AppendRows(const SItemRow* pRows, int nRows);
    // Takes rows, which begin with those shown, in their place: the rest
    // are added as AppendRows adds them, and one listing is held, not two.
    void CompleteRows(std::vector<SItemRow>&& rows);
    // Selects the rows from nFrom on whose names are among names, and
    // focuses the one named focused, in view.
    void SelectNamed(const CStringArray& names, const char* focused, int nFrom);
    // Up, Down, Page Up and Page Down typed elsewhere (the item name field)
    // select the row they lead to; false for any other key, and with Shift
    // or Ctrl down, when they stay the other control's.
    static bool IsRowKey(UINT nChar) {
        return (nChar == VK_UP || nChar == VK_DOWN || nChar == VK_PRIOR || nChar == VK_NEXT) &&
               ::GetKeyState(VK_SHIFT) >= 0 && ::GetKeyState(VK_CONTROL) >= 0;
    }
    bool TakeRowKey(UINT nChar);

    // The control's requests, routed here by the dialog's map.
    LRESULT OnGetDispInfo(NMLVDISPINFOA& info);
    LRESULT OnFindItem(NMLVFINDITEMA& find);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);

  private:
    // The template's list, when it could not be made virtual, keeps copies.
    void InsertRows(int nFrom);

    CItemRows m_rows;
};

#endif
