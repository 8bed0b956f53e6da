#include "refresh_scheduler.h"

#include <algorithm>

// Between two storage calls: looks at the input, at most every kLookMs.
class CRefreshScheduler::CWalkWatch : public CQueryObserver {
  public:
    explicit CWalkWatch(CRefreshScheduler& s) : m_s(s) {
        m_s.m_bWalking = true;
        m_s.m_bChanged = false;
        m_s.m_lastLook = m_s.m_host.Now();
        m_s.m_nStreamed = -1;
    }
    ~CWalkWatch() { m_s.m_bWalking = false; }
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
    if (m_bFillStarted)
        return;
    m_bFillStarted = true;
    m_refreshBegan = opened;
    Refresh(true);
}

void CRefreshScheduler::Changed(EChange change) {
    // Before the first fill nothing is listed to refresh: a name sent by a
    // program then is the pattern the first fill walks.
    if (!m_bFillStarted) {
        m_bNameBeforeFill = m_bNameBeforeFill || change == EChange::kName;
        return;
    }
    // During a walk the change stops it, and is refreshed for once the
    // input is handled; the refresh's own filling of the controls is no
    // change.
    if (m_bRefreshing) {
        m_bChanged = m_bChanged || m_bWalking;
        return;
    }
    // A selector whose list is open would stay open through the walk; a
    // name the user has typed past would be walked for nothing.
    if (change == EChange::kPickInOpenList ||
        (change == EChange::kName && m_host.TypedKeysWaiting()))
        return Defer();
    Refresh(false);
}

void CRefreshScheduler::TimerFired() {
    if (m_bRefreshing)
        return; // a walk's look: the refresh after it reads the controls
    if (!m_bDeferred)
        return m_host.SetRefreshTimer(false);
    Refresh(false);
}

void CRefreshScheduler::BeforeRowKey() {
    if (!m_bDeferred || m_bRefreshing)
        return;
    m_bRowKeyWaits = true;
    Refresh(false);
    m_bRowKeyWaits = false;
}

void CRefreshScheduler::Defer() {
    m_bDeferred = true;
    m_host.SetRefreshTimer(true);
}

void CRefreshScheduler::CancelDeferred() {
    if (m_bDeferred)
        m_host.SetRefreshTimer(false);
    m_bDeferred = false;
}

void CRefreshScheduler::Refresh(bool bFirstFill) {
    // This refresh reads what a deferred one waited for.
    CancelDeferred();
    m_bRefreshing = true;
    m_walkBegan = m_host.Now();
    if (bFirstFill)
        m_host.ShowPatternAndTypes(!m_bNameBeforeFill);
    else
        m_refreshBegan = m_walkBegan;
    CStoreQuery::EResult result;
    do {
        // A handler that a look dispatched (the caller's own window, a
        // nested Lookup) walked too, through the same process-wide state:
        // what this walk read since is another's, and it runs again.
        const SLookupChoice choice = m_host.ReadChoice();
        CWalkWatch watch(*this);
        result = m_query.Run(choice, watch);
    } while (result == CStoreQuery::kDisturbed && WalkGoesOn());
    if (result == CStoreQuery::kComplete) {
        m_bListed = true;
        m_host.ShowListing(m_query.GetListing(), m_query.TakeRows(), m_nStreamed, !bFirstFill);
    } else if (!m_host.IsClosing() && !m_bQuitting) {
        // Stopped for a change: the rows, count and selection of the
        // refresh before stay, and one refresh runs for the last change
        // once the input waiting is handled.
        m_host.ShowStoppedWalk();
        Defer();
    }
    m_bRefreshing = false;
    if (result == CStoreQuery::kComplete && !m_bRowKeyWaits)
        HandleHeldInput();
}

void CRefreshScheduler::ShowRowsSoFar(uint32_t now) {
    // Between two batches the walk only reads: a batch costs the rows it
    // adds and those of them in view, and nothing on the screen moves but
    // the count. Rows are only ever added during a walk, in its order, and
    // none once a change has stopped it. A first batch of no rows is the
    // truth too: the rows of the name before are not this walk's.
    // A walk of a few storage calls, whenever it began, shows its rows once.
    // While the list shows none of this walk's rows (an empty first batch
    // replaced the name before's), the first it reads come at once.
    const bool bFirst = m_nStreamed < 0;
    const bool bNoRows = m_nStreamed <= 0;
    const uint32_t wait = bFirst ? uint32_t{kFirstRowsMs} : bNoRows ? 0u : uint32_t{kMoreRowsMs};
    if (!m_bStream || now - (bFirst ? m_refreshBegan : m_lastCount) < wait)
        return;
    if (bFirst && now - m_walkBegan < static_cast<uint32_t>(kShortestWalkMs))
        return;
    const SLookupListing& walk = m_query.GetWalk();
    const int nRows = static_cast<int>(walk.rows.size());
    if (!bFirst && nRows == m_nStreamed)
        return;
    m_lastCount = now;
    if (!bNoRows && now - m_lastRows < m_rowsGap)
        return m_host.ShowRowsRead(nRows);
    m_lastRows = now;
    const uint32_t began = m_host.PreciseNow();
    if (bFirst)
        m_host.ShowFirstRows(walk.choice, walk.rows.data(), nRows);
    else
        m_host.AppendRows(walk.rows.data() + m_nStreamed, nRows - m_nStreamed);
    m_nStreamed = nRows;
    // The first rows may be a row or two: the next fill the view, at their
    // time whatever the first cost, or a click would find no row.
    const uint32_t cost = m_host.PreciseNow() - began;
    m_rowsGap = std::max<uint32_t>(kMoreRowsMs, bNoRows ? 0 : cost * kBatchShare);
}

bool CRefreshScheduler::WalkGoesOn() {
    return !m_bChanged && !m_bQuitting && !m_host.IsClosing();
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
            m_bQuitting = true;
            return;
        }
        const bool bHolding = m_nHeld > 0 || m_bRowKeyWaits;
        const bool bHold = input == EInput::kRowKey || (bHolding && input == EInput::kUser);
        m_nHeld += bHold ? 1 : 0;
        m_host.TakeInput(bHold);
    }
}

void CRefreshScheduler::HandleHeldInput() {
    // In their order, each after the refresh the one before it caused: a
    // key kept for the rows may start a refresh, which keeps new input
    // behind the rest.
    if (m_bReplaying)
        return;
    m_bReplaying = true;
    while (m_nHeld > 0 && !m_host.IsClosing() && !m_bQuitting) {
        --m_nHeld;
        if (!m_host.HandleHeldInput())
            m_nHeld = 0;
    }
    m_bReplaying = false;
}
