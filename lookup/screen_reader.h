// What a screen reader is told of the "Lookup" dialog beyond what its
// controls tell by themselves: names for controls without a label before
// them, and the item count as a live region.
#ifndef LOOKUP_SCREEN_READER_H
#define LOOKUP_SCREEN_READER_H

#include <windows.h>

#include <oleacc.h>

#include <utility>
#include <vector>

// The system's annotations of the dialog's controls (IAccPropServices),
// given back when the dialog's window goes. Where the system has none
// (Wine answers E_NOTIMPL), the dialog goes on without them.
class CScreenReaderNotes {
  public:
    CScreenReaderNotes() = default;
    ~CScreenReaderNotes();
    CScreenReaderNotes(const CScreenReaderNotes&) = delete;
    CScreenReaderNotes& operator=(const CScreenReaderNotes&) = delete;

    // Operations
    // The name a screen reader speaks for hWnd.
    void SetName(HWND hWnd, const wchar_t* name);
    // A screen reader reads hWnd's text out, without interrupting, after
    // each Announce.
    void MakeLive(HWND hWnd);
    // Gives back every annotation: their windows are about to go.
    void Clear();

    // hWnd's text changed; MakeLive's setting decides how it is read.
    static void Announce(HWND hWnd);

  private:
    IAccPropServices* Services();

    IAccPropServices* m_pServices = nullptr;
    bool m_bTried = false;
    bool m_bComStarted = false;
    std::vector<std::pair<HWND, const MSAAPROPID*>> m_set;
};

#endif
