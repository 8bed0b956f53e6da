// The rows of the Lookup dialog's item list, kept by the list's own class
// (CItemList) instead of the list view: the list is virtual and asks for a cell's text only when
// it paints that cell or another program reads it, so a walk of 100,000
// items costs the walk and a few bytes per row, not 100,000 stored rows.
#ifndef ITEM_ROWS_H
#define ITEM_ROWS_H

#include "store_query.h"

#include <cstddef>
#include <vector>

class CItemRows {
  public:
    enum { kColumnCount = 4 }; // item, date, time, size

    // Attributes
    int GetCount() const { return static_cast<int>(m_rows.size()); }
    // The name of row nRow, or "" for a row that does not exist.
    const char* GetName(int nRow) const;
    // Cell text of row nRow, column nColumn, cut to fit cchBuffer bytes
    // with its terminator; "" for a cell that does not exist.
    void GetCellText(int nRow, int nColumn, char* pszBuffer, int cchBuffer) const;
    // The first row from nStart on whose name begins with pszText (bPartial)
    // or is pszText, ignoring case, wrapping to the top when bWrap; -1 when
    // none is.
    int Find(const char* pszText, int nStart, bool bPartial, bool bWrap) const;

    // Operations
    void Assign(std::vector<SItemRow>&& rows);
    void Append(const SItemRow* pRows, int nRows) {
        m_rows.insert(m_rows.end(), pRows, pRows + nRows);
    }

  private:
    std::vector<SItemRow> m_rows;
};

#endif
