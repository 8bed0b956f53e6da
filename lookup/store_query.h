// What the "Lookup" dialog lists for one choice of device, area, type and
// pattern, asked of the store through the enumeration interface: the
// devices, the areas of the chosen device and the matching items. It knows
// no window: the dialog reads its controls into a choice, runs the query
// and shows what it found.
#ifndef STORE_QUERY_H
#define STORE_QUERY_H

#include "afxstr.h"
#include "kelvast.h"

#include <cstdint>
#include <vector>

// The user's choice, as the selectors and the item name field give it.
struct SLookupChoice {
    CString device;
    CString area;
    int type = 0;
    CString pattern; // as the walk takes it: see CStoreQuery::PatternToWalk
    int flags = 0;   // LookupFlags: which devices are listed
    // False when the code page cannot hold the name typed: it is no stored
    // name, and matches none.
    bool bNameHeld = true;
};

// One item as the walk found it.
struct SItemRow {
    char name[AT_ITEM_NAME_SIZE]; // the walk's names have at most 23 characters
    int32_t modified;             // seconds since 1970, as the storage reports them
    int32_t size;
};

// What a complete run found.
struct SLookupListing {
    SLookupChoice choice; // that the run listed: the rows come from its area and type
    std::vector<CString> devices;
    std::vector<CString> areas;
    bool bAreaListed = false; // an area names the choice's, so its items were walked
    std::vector<SItemRow> rows;
};

// Told by a run between two storage calls.
class CQueryObserver {
  public:
    // False stops the run: the user asked for something else.
    virtual bool GoOn() = 0;

  protected:
    ~CQueryObserver() = default;
};

struct STypeEntry {
    CString name;
    int code;
};

class CStoreQuery {
  public:
    // An item name becomes a pattern by a "*" at its end, unless it holds
    // a wildcard already or has the full length of a name.
    static CString PatternToWalk(const char* pszName);
    // The item types, in the order the enumeration gives them.
    static std::vector<STypeEntry> ListTypes();
    // Which of names a selector shows as chosen: the one that is choice
    // exactly, else the first that is choice ignoring case; -1 when none.
    // Two areas that differ only in case (a case-sensitive share) stay
    // apart.
    static int NameOfChoice(const std::vector<CString>& names, const char* choice);
    // The first of types whose code is code; -1 when none: two names may
    // read alike ("????" where the code page cannot show a translation).
    static int TypeOfChoice(const std::vector<STypeEntry>& types, int code);

    // Attributes
    // The last complete run's result; empty before the first.
    const SLookupListing& GetListing() const { return m_listing; }
    // The run under way: what it has read so far.
    const SLookupListing& GetWalk() const { return m_walk; }

    // Operations
    // Lists devices, areas and items for choice, from their first calls. A
    // run the observer stops, or one disturbed by another walk begun
    // meanwhile, leaves the last complete result as it was.
    enum EResult { kComplete, kStopped, kDisturbed };
    EResult Run(const SLookupChoice& choice, CQueryObserver& observer);
    // Goes on with the run the observer stopped, from the call after its
    // last: kDisturbed when another walk used the enumeration's cursors
    // since, and the run must begin again.
    EResult Resume(CQueryObserver& observer);
    // Hands the rows over to whoever shows them.
    std::vector<SItemRow> TakeRows() { return std::move(m_listing.rows); }

  private:
    // Walks one family for m_walk's choice, from its first call or, once
    // begun, from the call after its last, handing each name to take;
    // kComplete when it went through.
    EResult Walk(const char* (*first)(const SLookupChoice&), char* (*next)(),
                 void (CStoreQuery::*take)(const char*), CQueryObserver& observer);
    bool ItemsWalked() const;
    void TakeDevice(const char* name);
    void TakeArea(const char* name);
    void TakeItem(const char* name);

    SLookupListing m_listing;
    SLookupListing m_walk; // the run in progress
    enum class EStage { kDevices, kAreas, kItems };
    EStage m_stage = EStage::kDevices;
    bool m_bBegun = false;     // the stage's first call was made
    uint32_t m_generation = 0; // the walks' when it was
};

#endif
