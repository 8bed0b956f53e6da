// When the "Lookup" dialog refreshes, and what the input that arrives
// meanwhile does. Every route by which the choice changes (keys, a
// program's text, a pick in a selector), every way the user confirms or
// leaves, and the timer of a deferred refresh report here as events; the
// scheduler decides whether a refresh runs now, waits, stops or runs again,
// and, between two storage calls of a walk, which waiting input is handled
// at once and which waits for the walk's rows. It knows no window: the
// dialog answers through CRefreshHost, and a test can script both.
#ifndef REFRESH_SCHEDULER_H
#define REFRESH_SCHEDULER_H

#include "store_query.h"

#include <cstdint>

// What the first message waiting in the dialog's queue is, for a walk.
enum class EInput {
    kNone,   // nothing waits
    kQuit,   // the thread is told to quit: left for the modal loop
    kRowKey, // Up, Down, Page Up or Page Down for the item name field: acts on the rows
    kEnds,   // ends the dialog: Escape, Alt+F4, Cancel clicked, the close box
    kUser,   // any other key or mouse input
    kOther,  // painting, timers, programs' posted messages
};

// How the choice changed.
enum class EChange {
    kName,           // the item name's text, by any route
    kPick,           // a selector's entry, picked with its list closed
    kPickInOpenList, // the same while its list is still open
};

class CRefreshHost {
  public:
    // Input
    virtual EInput NextInput() = 0;
    // Takes the message NextInput classified from the queue: handles it as
    // the modal loop would, or keeps it behind those kept (bHold).
    virtual void TakeInput(bool bHold) = 0;
    // Handles the oldest kept message; false when none is kept.
    virtual bool HandleHeldInput() = 0;
    // Keys or characters for the dialog wait, kept or in the queue.
    virtual bool TypedKeysWaiting() = 0;
    // The timer whose expiry reaches CRefreshScheduler::TimerFired; it
    // expires only once no input waits.
    virtual void SetRefreshTimer(bool bSet) = 0;
    // The dialog ends, or is gone.
    virtual bool IsClosing() = 0;
    // Milliseconds, from any origin. Read between every two storage calls:
    // it must cost next to nothing, and may move in steps of the system's
    // timer tick.
    virtual uint32_t Now() = 0;
    // Milliseconds to a finer step, for what a batch of rows cost.
    virtual uint32_t PreciseNow() = 0;

    // The refresh's steps
    // The first fill's own: the item types, and the caller's pattern in the
    // name field unless bPattern is false (a text arrived before).
    virtual void ShowPatternAndTypes(bool bPattern) = 0;
    // The choice in the controls, with the pattern as the walk takes it.
    virtual SLookupChoice ReadChoice() = 0;
    // The first rows a walk under way has read, of choice, instead of the
    // rows on the screen; then the rows it read since, after them. More
    // may come.
    virtual void ShowFirstRows(const SLookupChoice& choice, const SItemRow* pRows, int nRows) = 0;
    virtual void AppendRows(const SItemRow* pRows, int nRows) = 0;
    // The count of rows the walk under way has read, more than are shown.
    virtual void ShowRowsRead(int nRead) = 0;
    // A complete walk's result, its rows handed over, of which nShown are
    // on the screen already (-1: none of this walk, not even an empty
    // first batch); bAnnounce for a refresh from the controls.
    virtual void ShowListing(const SLookupListing& listing, std::vector<SItemRow>&& rows,
                             int nShown, bool bAnnounce) = 0;
    // A walk stopped for a change: the last listing stays.
    virtual void ShowStoppedWalk() = 0;

  protected:
    ~CRefreshHost() = default;
};

class CRefreshScheduler {
  public:
    explicit CRefreshScheduler(CRefreshHost& host) : m_host(host) {}
    CRefreshScheduler(const CRefreshScheduler&) = delete;
    CRefreshScheduler& operator=(const CRefreshScheduler&) = delete;

    // Attributes
    // The last complete listing: the rows on the screen and their choice.
    const SLookupListing& GetListing() const { return m_query.GetListing(); }
    bool HasListing() const { return m_bListed; }

    // Events
    // The dialog is on the screen: fills the selectors, the types and the
    // list, once, whatever arrived before. The user has waited since
    // opened (a time of Now's): the first rows are due counted from then.
    void FirstFill(uint32_t opened);
    void Changed(EChange change);
    void TimerFired();
    // A key that moves through the rows, before and after the list takes
    // it: it acts on the rows of the name typed before it, and the input
    // behind it waits until it has.
    void BeforeRowKey();
    void AfterRowKey() { HandleHeldInput(); }
    // OK, Enter or a double-click: the rows on the screen are confirmed, and
    // no deferred refresh runs.
    void Confirm() { CancelDeferred(); }
    // Whether the rows of a long walk show as it reads them (the default),
    // or only once it is complete.
    void StreamRows(bool bStream) { m_bStream = bStream; }

    // A walk over a fast store is shown once, complete (10,000 items take
    // about 70 ms under Wine: a first batch would fill the list twice, and
    // cost the keystroke half as much again); a longer one shows
    // its first rows kFirstRowsMs after the refresh began (the first fill's:
    // after the dialog opened, the walk having run kShortestWalkMs at
    // least), then what it has read every kMoreRowsMs. A batch changes the
    // list view's item count, which redraws its scroll bars whatever the
    // rows: under Wine twice, 10 to 40 ms. Where a batch after the first
    // costs that much, the next comes later, so that batches take at most
    // one part in kBatchShare of the walk; the count still shows what was
    // read every kMoreRowsMs.
    enum {
        kLookMs = 25,
        kMostPerLook = 200,
        kFirstRowsMs = 100,
        kShortestWalkMs = 10,
        kMoreRowsMs = 240,
        kBatchShare = 25
    };

  private:
    class CWalkWatch;

    void Refresh(bool bFirstFill);
    void Defer();
    void CancelDeferred();
    bool WalkGoesOn();
    void HandleInputDuringWalk();
    void HandleHeldInput();
    void ShowRowsSoFar(uint32_t now);

    CRefreshHost& m_host;
    CStoreQuery m_query;
    bool m_bFillStarted = false;
    bool m_bNameBeforeFill = false; // the name changed before the first fill
    bool m_bListed = false;
    bool m_bDeferred = false;
    bool m_bRefreshing = false;
    bool m_bWalking = false;
    bool m_bChanged = false;  // during a walk
    bool m_bQuitting = false; // WM_QUIT waits for the modal loop
    bool m_bReplaying = false;
    bool m_bRowKeyWaits = false; // for the refresh it started
    int m_nHeld = 0;             // messages the host keeps for a walk's rows
    uint32_t m_lastLook = 0;
    bool m_bStream = true;
    int m_nStreamed = -1;        // rows of the walk under way on the screen; -1: none yet
    uint32_t m_refreshBegan = 0; // or the dialog opened, for the first fill
    uint32_t m_walkBegan = 0;
    uint32_t m_lastRows = 0;
    uint32_t m_lastCount = 0;
    uint32_t m_rowsGap = kMoreRowsMs; // after the last batch, for what it cost
};

#endif
