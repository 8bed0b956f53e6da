// The count of listed items beside the "Lookup" dialog's list, and the
// rows a long walk has read so far.
#ifndef ITEM_COUNT_H
#define ITEM_COUNT_H

#include "afxwin.h"

class CItemCount : public CStatic {
  public:
    // bMore: a walk goes on, and more rows may come ("1234…").
    void ShowNumber(int nCount, bool bMore = false);
};

#endif
