#include "refresh_scheduler.h"

#include <algorithm>
#include <iterator>

SBatchClock::EShow SBatchClock::Next(const SNow& since, int nRead, int nShown, int nInView,
                                     uint32_t lastCost) {
    // Between two batches the walk only reads: a batch costs the rows it
    // adds and those of them in view, and nothing on the screen moves but
    // the count. A first batch of no rows is the truth too, once it is
    // due: the rows of the name before are not this walk's; the first rows
    // read after it come at once.
    if (nShown < 0) {
        const bool bDue = since.refresh >= kFirstRowsMs && since.walk >= kShortestWalkMs;
        const bool bFills = nRead >= nInView || since.walk >= kFirstRowsLatestMs;
        return bDue && bFills ? kRows : kNothing;
    }
    if (nRead == nShown)
        return kNothing;
    if (nShown == 0)
        return kRows;
    if (since.count < kMoreRowsMs)
        return kNothing;
    const uint32_t grown = std::min<uint32_t>(since.walk / kGrowth, kLongestGapMs);
    const uint32_t gap = std::max({uint32_t{kMoreRowsMs}, grown, lastCost * kBatchShare});
    return since.rows < gap ? kCount : kRows;
}

// What an event does in a phase; events a phase has no row for change
// nothing (a change reported while the first fill fills the controls
// itself, a row read with nothing due).
struct CRefreshScheduler::STransition {
    EPhase phase;
    EEvent event;
    EAction action;
    EPhase next;
};

// clang-format off
const CRefreshScheduler::STransition CRefreshScheduler::kTransitions[] = {
    // Before the first fill nothing is listed to refresh: a name a program
    // sends then is the pattern the first fill walks.
    {EPhase::kBeforeFill,      EEvent::kChange,      EAction::kNone,        EPhase::kNamed},
    {EPhase::kBeforeFill,      EEvent::kChangeLater, EAction::kNone,        EPhase::kNamed},
    {EPhase::kBeforeFill,      EEvent::kFill,        EAction::kFill,        EPhase::kWalking},
    {EPhase::kNamed,           EEvent::kFill,        EAction::kFillNamed,   EPhase::kWalking},
    // A change is walked at once when nothing waits; else when the loop
    // has nothing else, or a message that reads the rows comes first.
    {EPhase::kIdle,            EEvent::kChange,      EAction::kWalk,        EPhase::kWalking},
    {EPhase::kIdle,            EEvent::kChangeLater, EAction::kShowStopped, EPhase::kDue},
    {EPhase::kDue,             EEvent::kChange,      EAction::kWalk,        EPhase::kWalking},
    {EPhase::kDue,             EEvent::kIdle,        EAction::kWalk,        EPhase::kWalking},
    {EPhase::kDue,             EEvent::kRowsRead,    EAction::kWalk,        EPhase::kWalkingForRows},
    // A walk stepped aside from goes on from its next call, unless the
    // choice changed meanwhile.
    {EPhase::kAside,           EEvent::kChange,      EAction::kWalk,        EPhase::kWalking},
    {EPhase::kAside,           EEvent::kChangeLater, EAction::kNone,        EPhase::kDue},
    {EPhase::kAside,           EEvent::kIdle,        EAction::kGoOn,        EPhase::kWalking},
    {EPhase::kAside,           EEvent::kRowsRead,    EAction::kGoOn,        EPhase::kWalkingForRows},
    // A change during a walk (a program's text, sent while the walk
    // looked) stops it at its next question.
    {EPhase::kWalking,         EEvent::kChange,      EAction::kNone,        EPhase::kStopping},
    {EPhase::kWalking,         EEvent::kChangeLater, EAction::kNone,        EPhase::kStopping},
    {EPhase::kWalkingForRows,  EEvent::kChange,      EAction::kNone,        EPhase::kStoppingForRows},
    {EPhase::kWalkingForRows,  EEvent::kChangeLater, EAction::kNone,        EPhase::kStoppingForRows},
    // How a walk ends. One the rows wait for runs again until it completes
    // for the choice in force: the message after it reads its rows.
    {EPhase::kWalking,         EEvent::kComplete,    EAction::kShowListing, EPhase::kIdle},
    {EPhase::kWalkingForRows,  EEvent::kComplete,    EAction::kShowListing, EPhase::kIdle},
    {EPhase::kWalking,         EEvent::kStopped,     EAction::kShowStopped, EPhase::kAside},
    {EPhase::kStopping,        EEvent::kStopped,     EAction::kShowStopped, EPhase::kDue},
    {EPhase::kStoppingForRows, EEvent::kStopped,     EAction::kWalk,        EPhase::kWalkingForRows},
    // Another walk (a handler of the caller's, a nested Lookup) used the
    // cursors between two calls: what this one would read is not its own.
    {EPhase::kWalking,         EEvent::kDisturbed,   EAction::kNone,        EPhase::kDue},
    {EPhase::kWalkingForRows,  EEvent::kDisturbed,   EAction::kWalk,        EPhase::kWalkingForRows},
    // The user left while the rows were awaited, or the dialog ends.
    {EPhase::kWalking,         EEvent::kLeave,       EAction::kNone,        EPhase::kEnded},
    {EPhase::kWalkingForRows,  EEvent::kLeave,       EAction::kNone,        EPhase::kEnded},
    {EPhase::kStopping,        EEvent::kLeave,       EAction::kNone,        EPhase::kEnded},
    {EPhase::kStoppingForRows, EEvent::kLeave,       EAction::kNone,        EPhase::kEnded},
};
// clang-format on

// Between two storage calls: shows what the walk read when it is time, and
// at most every kLookMs asks whether it must step aside, or whether the
// user leaves while a message waits for its rows.
class CRefreshScheduler::CWalkWatch : public CQueryObserver {
  public:
    explicit CWalkWatch(CRefreshScheduler& s) : m_s(s) {}
    CWalkWatch(const CWalkWatch&) = delete;
    CWalkWatch& operator=(const CWalkWatch&) = delete;

    bool GoOn() override {
        const uint32_t now = m_s.m_host.Now();
        m_s.ShowRowsSoFar(now);
        if (now - m_s.m_lastLook >= kLookMs) {
            m_s.m_lastLook = now;
            const bool bForRows = m_s.m_phase == EPhase::kWalkingForRows;
            if (bForRows ? m_s.m_host.UserLeaves() : m_s.m_host.InputWaits(true))
                return false;
        }
        return m_s.WalkGoesOn();
    }

  private:
    CRefreshScheduler& m_s;
};

void CRefreshScheduler::FirstFill(uint32_t opened) {
    m_refreshBegan = opened;
    On(EEvent::kFill);
}

void CRefreshScheduler::Changed(EChange change) {
    // The user waits from now on for the rows of this choice (the first
    // fill counts from the dialog's opening instead).
    m_refreshBegan = m_host.Now();
    // The change's own painting does not wait for the walk: the walk's first
    // look steps aside for it.
    const bool bLater = change == EChange::kPickInOpenList || m_host.InputWaits(false);
    On(bLater ? EEvent::kChangeLater : EEvent::kChange);
}

bool CRefreshScheduler::RowsRead() {
    const bool bDue = IsWalkDue();
    On(EEvent::kRowsRead);
    return bDue;
}

void CRefreshScheduler::On(EEvent event) {
    // A walk's outcome is the next event: one walk after another without
    // growing the stack.
    for (;;) {
        const auto* const end = std::end(kTransitions);
        const auto* const t =
            std::find_if(std::begin(kTransitions), end, [&](const STransition& t) {
                return t.phase == m_phase && t.event == event;
            });
        if (t == end)
            return;
        switch (t->action) {
        case EAction::kNone:
            m_phase = t->next;
            return;
        case EAction::kShowListing:
            m_phase = t->next;
            m_host.ShowListing(m_query.GetListing(), m_query.TakeRows(), m_nShown, m_bListed);
            m_bListed = true;
            return;
        case EAction::kShowStopped:
            m_phase = t->next;
            return m_host.ShowStoppedWalk();
        case EAction::kFill:
        case EAction::kFillNamed:
            // Before the phase: the fill's own text in the field is no change.
            m_host.ShowPatternAndTypes(t->action == EAction::kFill);
            m_phase = t->next;
            event = Walk(true);
            break;
        case EAction::kWalk:
        case EAction::kGoOn:
            m_phase = t->next;
            event = Walk(t->action == EAction::kWalk);
            break;
        }
    }
}

CRefreshScheduler::EEvent CRefreshScheduler::Walk(bool bFromFirst) {
    CWalkWatch watch(*this);
    CStoreQuery::EResult result;
    if (bFromFirst) {
        const SLookupChoice choice = m_host.ReadChoice();
        m_walkBegan = m_lastLook = m_host.Now();
        m_nShown = -1;
        m_nInView = m_host.RowsInView();
        result = m_query.Run(choice, watch);
    } else {
        m_lastLook = m_host.Now();
        result = m_query.Resume(watch);
    }
    if (m_host.IsClosing())
        return EEvent::kLeave;
    return result == CStoreQuery::kComplete  ? EEvent::kComplete
           : result == CStoreQuery::kStopped ? EEvent::kStopped
                                             : EEvent::kDisturbed;
}

void CRefreshScheduler::ShowRowsSoFar(uint32_t now) {
    // A first batch replaces the rows on the screen; later ones only add
    // rows, in the walk's order, and none once a change has stopped it.
    if (!m_bStream || !WalkGoesOn())
        return;
    const SBatchClock::SNow since = {now - m_refreshBegan, now - m_walkBegan, now - m_lastCount,
                                     now - m_lastRows};
    const SLookupListing& walk = m_query.GetWalk();
    const int nRead = static_cast<int>(walk.rows.size());
    const SBatchClock::EShow show =
        SBatchClock::Next(since, nRead, m_nShown, m_nInView, m_lastCost);
    if (show == SBatchClock::kNothing)
        return;
    m_lastCount = now;
    if (show == SBatchClock::kCount)
        return m_host.ShowRowsRead(nRead);
    m_lastRows = now;
    const uint32_t began = m_host.PreciseNow();
    if (m_nShown < 0)
        m_host.ShowFirstRows(walk.choice, walk.rows.data(), nRead);
    else
        m_host.AppendRows(walk.rows.data() + m_nShown, nRead - m_nShown);
    m_lastCost = m_host.PreciseNow() - began;
    m_nShown = nRead;
}

bool CRefreshScheduler::WalkGoesOn() {
    return (m_phase == EPhase::kWalking || m_phase == EPhase::kWalkingForRows) &&
           !m_host.IsClosing();
}
