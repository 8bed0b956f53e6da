// The count of listed items beside the "Lookup" dialog's list, and the
// rows a long walk has read so far.
#ifndef ITEM_COUNT_H
#define ITEM_COUNT_H

#include "afxwin.h"

class CItemCount : public CStatic {
  public:
    void ShowNumber(int nCount);
    // The rows a long walk has read so far, every kProgressMs.
    void ShowRowsRead(int nRows);
    enum { kProgressMs = 200 };

  private:
    DWORD m_lastShown = 0;
};

#endif
