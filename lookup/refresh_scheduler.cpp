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

// What an event does in a phase. A walk sets the phase it ends in itself:
// idle when complete, deferred when stopped for a change, quitting. Events
// a phase has no row for change nothing: a change reported while a refresh
// fills the controls itself, a deferred timer's late expiry.
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
    {EPhase::kBeforeFill, EEvent::kName,    EAction::kNone,           EPhase::kNamed},
    {EPhase::kBeforeFill, EEvent::kFill,    EAction::kWalkFill,       EPhase::kWalking},
    {EPhase::kNamed,      EEvent::kFill,    EAction::kWalkNamedFill,  EPhase::kWalking},
    // A change is walked at once, unless it is walked for nothing (a name
    // typed past) or would keep a selector's list open through the walk.
    {EPhase::kIdle,       EEvent::kName,    EAction::kWalk,           EPhase::kWalking},
    {EPhase::kIdle,       EEvent::kPick,    EAction::kWalk,           EPhase::kWalking},
    {EPhase::kIdle,       EEvent::kLater,   EAction::kSetTimer,       EPhase::kDeferred},
    {EPhase::kIdle,       EEvent::kTimer,   EAction::kKillTimer,      EPhase::kIdle},
    {EPhase::kDeferred,   EEvent::kName,    EAction::kWalk,           EPhase::kWalking},
    {EPhase::kDeferred,   EEvent::kPick,    EAction::kWalk,           EPhase::kWalking},
    {EPhase::kDeferred,   EEvent::kTimer,   EAction::kWalk,           EPhase::kWalking},
    // A row key acts on the rows of the name typed before it.
    {EPhase::kDeferred,   EEvent::kRowKey,  EAction::kWalkForRowKey,  EPhase::kWalking},
    // What the user confirms is what is on the screen.
    {EPhase::kDeferred,   EEvent::kConfirm, EAction::kKillTimer,      EPhase::kIdle},
    // During a walk a change stops it; one refresh runs for the last.
    {EPhase::kWalking,    EEvent::kName,    EAction::kNone,           EPhase::kStopping},
    {EPhase::kWalking,    EEvent::kPick,    EAction::kNone,           EPhase::kStopping},
    {EPhase::kWalking,    EEvent::kLater,   EAction::kNone,           EPhase::kStopping},
};
// clang-format on

// Between two storage calls: shows what the walk read when it is time, and
// looks at the input, at most every kLookMs.
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
            m_s.HandleInputDuringWalk();
        }
        return m_s.WalkGoesOn();
    }

  private:
    CRefreshScheduler& m_s;
};

void CRefreshScheduler::FirstFill(uint32_t opened) {
    if (m_phase == EPhase::kBeforeFill || m_phase == EPhase::kNamed)
        m_refreshBegan = opened;
    On(EEvent::kFill);
}

void CRefreshScheduler::Changed(EChange change) {
    // Whether keys wait is asked only where it decides something.
    const bool bSettled = m_phase == EPhase::kIdle || m_phase == EPhase::kDeferred;
    if (change == EChange::kPickInOpenList ||
        (change == EChange::kName && bSettled && m_host.TypedKeysWaiting()))
        return On(EEvent::kLater);
    On(change == EChange::kName ? EEvent::kName : EEvent::kPick);
}

void CRefreshScheduler::On(EEvent event) {
    const auto* const end = std::end(kTransitions);
    const auto* const t = std::find_if(std::begin(kTransitions), end, [&](const STransition& t) {
        return t.phase == m_phase && t.event == event;
    });
    if (t == end)
        return;
    switch (t->action) {
    case EAction::kNone:
        m_phase = t->next;
        return;
    case EAction::kSetTimer:
    case EAction::kKillTimer:
        m_phase = t->next;
        return m_host.SetRefreshTimer(t->action == EAction::kSetTimer);
    case EAction::kWalkFill:
        return Refresh(EReason::kFill);
    case EAction::kWalkNamedFill:
        return Refresh(EReason::kNamedFill);
    case EAction::kWalk:
        return Refresh(EReason::kChange);
    case EAction::kWalkForRowKey:
        return Refresh(EReason::kRowKey);
    }
}

void CRefreshScheduler::Refresh(EReason reason) {
    // This refresh reads what a deferred one waited for.
    if (m_phase == EPhase::kDeferred)
        m_host.SetRefreshTimer(false);
    m_reason = reason;
    const bool bFill = reason == EReason::kFill || reason == EReason::kNamedFill;
    if (bFill)
        m_host.ShowPatternAndTypes(reason == EReason::kFill);
    else
        m_refreshBegan = m_host.Now();
    CStoreQuery::EResult result;
    for (;;) {
        // Set after the controls were filled: the refresh's own filling of
        // them is no change.
        m_phase = EPhase::kWalking;
        const SLookupChoice choice = m_host.ReadChoice();
        m_walkBegan = m_lastLook = m_host.Now();
        m_nShown = -1;
        m_nInView = m_host.RowsInView();
        CWalkWatch watch(*this);
        result = m_query.Run(choice, watch);
        if (result == CStoreQuery::kComplete || m_phase == EPhase::kQuitting || m_host.IsClosing())
            break;
        // A handler that a look dispatched (the caller's own window, a
        // nested Lookup) walked too, through the same process-wide state:
        // what this walk read since is another's, and it runs again. A walk
        // stopped for a change runs again at once when input waits for its
        // rows: that input acts on the rows of the last change, before the
        // input behind it.
        if (m_phase == EPhase::kWalking || m_host.HoldsInput())
            continue;
        // Stopped for a change: what it showed stays, and one refresh runs
        // for the last change once the input waiting is handled.
        m_host.ShowStoppedWalk();
        m_phase = EPhase::kDeferred;
        return m_host.SetRefreshTimer(true);
    }
    if (result != CStoreQuery::kComplete)
        return; // the dialog ends
    m_bListed = true;
    m_host.ShowListing(m_query.GetListing(), m_query.TakeRows(), m_nShown,
                       reason == EReason::kChange || reason == EReason::kRowKey);
    m_phase = EPhase::kIdle;
    // The input a row key's refresh held waits for the key itself.
    if (reason != EReason::kRowKey)
        ReplayHeldInput();
}

void CRefreshScheduler::ShowRowsSoFar(uint32_t now) {
    // A first batch replaces the rows on the screen; later ones only add
    // rows, in the walk's order, and none once a change has stopped it.
    if (!m_bStream || m_phase != EPhase::kWalking)
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
    return m_phase == EPhase::kWalking && !m_host.IsClosing();
}

void CRefreshScheduler::HandleInputDuringWalk() {
    // Input is taken in its order, so that Shift or Alt is down when the
    // key after it is translated. A key for the rows waits for this walk's
    // rows, and the user's input behind it waits behind it; what ends the
    // dialog, painting, timers and programs' messages never wait. Every
    // look also runs what other threads sent meanwhile (a program setting
    // the name, a screen reader pressing Cancel). A window that never
    // validates its paint must not hold the walk.
    for (int n = 0; n < kMostPerLook && WalkGoesOn(); ++n) {
        const EInput input = m_host.NextInput();
        if (input == EInput::kNone)
            return;
        if (input == EInput::kQuit) {
            m_phase = EPhase::kQuitting;
            return;
        }
        const bool bHolding = m_reason == EReason::kRowKey || m_host.HoldsInput();
        m_host.TakeInput(input == EInput::kRowKey || (bHolding && input == EInput::kUser));
    }
}

void CRefreshScheduler::ReplayHeldInput() {
    // In their order, each after the refresh the one before it caused: a
    // key kept for the rows may start a refresh, which keeps new input
    // behind the rest. A frame further out that replays already goes on
    // with the next once this returns.
    if (m_bReplaying)
        return;
    m_bReplaying = true;
    while (m_phase != EPhase::kQuitting && !m_host.IsClosing() && m_host.HandleHeldInput()) {
    }
    m_bReplaying = false;
}
