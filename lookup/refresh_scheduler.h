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
    // Input is kept for a walk's rows.
    virtual bool HoldsInput() = 0;
    // Handles the oldest kept message, and what handling it posted (the
    // character a key is translated to), before any other; false when none
    // is kept.
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
    // The choice in the controls, with the pattern as the walk takes it,
    // for a walk about to begin.
    virtual SLookupChoice ReadChoice() = 0;
    // Rows of the list the user sees now, at most a view's worth.
    virtual int RowsInView() = 0;
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
    // A walk stopped for a change: what it showed stays, its count marked
    // as incomplete, until the refresh for the change.
    virtual void ShowStoppedWalk() = 0;

  protected:
    ~CRefreshHost() = default;
};

// When a walk under way shows what it has read. A walk over a fast store is
// shown once, complete (10,000 items take about 70 ms under Wine: a first
// batch would fill the list twice, and cost the keystroke half as much
// again). A longer one shows its first rows kFirstRowsMs after the refresh
// began (the first fill's: after the dialog opened, the walk having run
// kShortestWalkMs at least), once they fill the rows the list shows now,
// so that a row under the pointer stays there; a walk so slow that they
// do not within kFirstRowsLatestMs shows what it has. Then it shows what it
// has read every kMoreRowsMs, and less often as the walk grows long (every
// kGrowth-th of its time so far, at most every kLongestGapMs). A batch
// changes the list view's item count, which redraws its scroll bars
// whatever the rows: under Wine twice, 10 to 40 ms. Where a batch costs
// that much, the next comes later, so that batches take at most one part in
// kBatchShare of the walk; the count still shows what was read every
// kMoreRowsMs.
struct SBatchClock {
    enum {
        kFirstRowsMs = 100,
        kShortestWalkMs = 10,
        kFirstRowsLatestMs = 1000,
        kMoreRowsMs = 240,
        kGrowth = 4,
        kLongestGapMs = 1000,
        kBatchShare = 25
    };
    enum EShow { kNothing, kCount, kRows };
    // Milliseconds since each moment, at this storage call.
    struct SNow {
        uint32_t refresh; // since the refresh began, or the dialog opened for the first fill
        uint32_t walk;    // since this walk began
        uint32_t count;   // since the count or rows were last shown
        uint32_t rows;    // since rows were last shown
    };
    // nShown -1: none of this walk yet; nInView: the rows the list showed
    // when the walk began.
    static EShow Next(const SNow& since, int nRead, int nShown, int nInView, uint32_t lastCost);
};

class CRefreshScheduler {
  public:
    explicit CRefreshScheduler(CRefreshHost& host) : m_host(host) {}
    CRefreshScheduler(const CRefreshScheduler&) = delete;
    CRefreshScheduler& operator=(const CRefreshScheduler&) = delete;

    // Attributes
    // The last complete listing's choice, devices and areas (its rows are
    // the host's once shown).
    const SLookupListing& GetListing() const { return m_query.GetListing(); }
    bool HasListing() const { return m_bListed; }

    // Events
    // The dialog is on the screen: fills the selectors, the types and the
    // list, once, whatever arrived before. The user has waited since
    // opened (a time of Now's): the first rows are due counted from then.
    void FirstFill(uint32_t opened);
    void Changed(EChange change);
    void TimerFired() { On(EEvent::kTimer); }
    // A key that moves through the rows, before and after the list takes
    // it: it acts on the rows of the name typed before it, and the input
    // behind it waits until it has.
    void BeforeRowKey() { On(EEvent::kRowKey); }
    void AfterRowKey() { ReplayHeldInput(); }
    // OK, Enter or a double-click: the rows on the screen are confirmed, and
    // no deferred refresh runs.
    void Confirm() { On(EEvent::kConfirm); }
    // Whether the rows of a long walk show as it reads them (the default),
    // or only once it is complete.
    void StreamRows(bool bStream) { m_bStream = bStream; }

    enum { kLookMs = 25, kMostPerLook = 200 };

  private:
    enum class EPhase {
        kBeforeFill, // not on the screen yet: nothing to refresh
        kNamed,      // the same, with a program's name for the first fill to walk
        kIdle,       // the list is the last complete walk's, or a stopped one's
        kDeferred,   // a change waits for the input before it: the timer runs
        kWalking,
        kStopping, // a change came during the walk: it stops at its next question
        kQuitting, // WM_QUIT waits for the modal loop: nothing more runs
    };
    // kLater: a change to walk once the input before it is handled (a
    // name typed past, a pick in a selector's open list).
    enum class EEvent { kFill, kName, kPick, kLater, kTimer, kRowKey, kConfirm };
    // Why a walk runs: the first fill reads the caller's pattern and is not
    // announced; a row key's input waits for the key, not for the walk.
    enum class EReason { kFill, kNamedFill, kChange, kRowKey };
    enum class EAction {
        kNone,
        kWalkFill,
        kWalkNamedFill,
        kWalk,
        kWalkForRowKey,
        kSetTimer,
        kKillTimer
    };
    struct STransition;
    static const STransition kTransitions[];
    class CWalkWatch;

    void On(EEvent event);
    void Refresh(EReason reason);
    bool WalkGoesOn();
    void HandleInputDuringWalk();
    void ReplayHeldInput();
    void ShowRowsSoFar(uint32_t now);

    CRefreshHost& m_host;
    CStoreQuery m_query;
    EPhase m_phase = EPhase::kBeforeFill;
    EReason m_reason = EReason::kFill; // of the walk under way
    bool m_bListed = false;            // a walk has completed
    bool m_bReplaying = false;         // held input, in a frame further out
    bool m_bStream = true;
    // The walk under way's times, and what it showed.
    uint32_t m_refreshBegan = 0;
    uint32_t m_walkBegan = 0;
    uint32_t m_lastLook = 0;
    uint32_t m_lastCount = 0;
    uint32_t m_lastRows = 0;
    uint32_t m_lastCost = 0;
    int m_nShown = -1; // -1: nothing of this walk yet
    int m_nInView = 0;
};

#endif
