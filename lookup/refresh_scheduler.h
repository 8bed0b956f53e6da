// When the "Lookup" dialog walks the store, decided in one table. Every
// route by which the choice changes (keys, a program's text, a pick in a
// selector), the modal loop's turns (nothing waits; a message that reads
// the rows is next) and a walk's outcomes report here as events. A walk
// never handles a message: between two storage calls it only asks whether
// anything waits for the dialog's thread and, when something does, steps
// aside, to go on from where it was once the loop has handled it. Only a
// message that reads the rows (a row key, Return, a click in the list, OK)
// waits for the walk due, at the head of the queue, and the walk then runs
// to its end unless the user leaves meanwhile. It knows no window: the
// dialog answers through CRefreshHost, and a test can script both.
#ifndef REFRESH_SCHEDULER_H
#define REFRESH_SCHEDULER_H

#include "store_query.h"

#include <cstdint>

// How the choice changed.
enum class EChange {
    kName,           // the item name's text, by any route
    kPick,           // a selector's entry, picked with its list closed
    kPickInOpenList, // the same while its list is still open: walked once it closes
};

class CRefreshHost {
  public:
    // Input
    // Anything waits for the dialog's thread: input, a posted or a sent
    // message, in Windows' queue or the dialog's own; with bPainting,
    // painting or a timer too. Read between two storage calls, at most
    // every kLookMs.
    virtual bool InputWaits(bool bPainting) = 0;
    // For a walk that a message reading the rows waits for: takes what
    // waits behind that message into the dialog's own queue, in order,
    // until a message that confirms; true when one that ends the dialog
    // (Escape, Cancel, Alt+F4, the close box) came before any, and the
    // dialog now ends.
    virtual bool UserLeaves() = 0;
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
    // The rows shown are not yet those of the choice in force (a walk is
    // due, stepped aside or stopped): they stay, their count marked as
    // incomplete, until a walk shows rows.
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
    // Walked at once when nothing waits, else once what waits is handled.
    void Changed(EChange change);
    // The modal loop has nothing to handle, or has just painted: the walk
    // due goes on until something waits. True while one is still due.
    bool Idle() { return On(EEvent::kIdle), IsWalkDue(); }
    // A message that reads the rows is next: the walk due runs to its end
    // before it, unless the user leaves meanwhile. True when one ran.
    bool RowsRead();
    // Whether the rows of a long walk show as it reads them (the default),
    // or only once it is complete.
    void StreamRows(bool bStream) { m_bStream = bStream; }

    enum { kLookMs = 25 };

  private:
    enum class EPhase {
        kBeforeFill, // not on the screen yet: nothing to walk
        kNamed,      // the same, with a program's name for the first fill to walk
        kIdle,       // the list is the last complete walk's
        kDue,        // a change waits to be walked, from the first call
        kAside,      // the walk stepped aside, to go on from its next call
        kWalking,
        kWalkingForRows, // a message that reads the rows waits for it
        kStopping,       // a change came during the walk: it stops at its next question
        kStoppingForRows,
        kEnded, // the user left during a walk: nothing more runs
    };
    enum class EEvent {
        kFill,
        kChange,      // nothing waits
        kChangeLater, // input waits, or a selector's list is open
        kIdle,
        kRowsRead,
        // A walk's outcomes
        kComplete,
        kStopped, // stepped aside, or stopped for a change
        kDisturbed,
        kLeave,
    };
    enum class EAction { kNone, kFill, kFillNamed, kWalk, kGoOn, kShowListing, kShowStopped };
    struct STransition;
    static const STransition kTransitions[];
    class CWalkWatch;

    void On(EEvent event);
    // Runs the walk (from its first call, or on from where it stopped)
    // until it ends; answers how, as the next event.
    EEvent Walk(bool bFromFirst);
    bool IsWalkDue() const { return m_phase == EPhase::kDue || m_phase == EPhase::kAside; }
    bool WalkGoesOn();
    void ShowRowsSoFar(uint32_t now);

    CRefreshHost& m_host;
    CStoreQuery m_query;
    EPhase m_phase = EPhase::kBeforeFill;
    bool m_bListed = false; // a walk has completed
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
