// TAVORIN's application object: chooses where the module's resources come
// from when the module starts.
#ifndef TAVORIN_APP_H
#define TAVORIN_APP_H

#include "afxwin.h"

class CTavorinApp : public CWinApp {
  public:
    BOOL InitInstance() override;
};

#endif
