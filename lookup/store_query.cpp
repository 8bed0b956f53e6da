#include "store_query.h"

#include "browse_state.h"
#include "names.h"
#include "tavorin.h"

#include <cstring>
#include <utility>

namespace {

const char kLocalComputer[] = "\\\\.";
// Callers keep the chosen device in 256 bytes: a longer name (the network
// device's is whatever the storage library answers) is not offered.
const size_t kDeviceNameMax = 255;

// The first calls of the three walks, for a choice.
const char* FirstDevice(const SLookupChoice& choice) {
    return ListFirstDevice(kLocalComputer, choice.flags);
}
const char* FirstArea(const SLookupChoice& choice) {
    return ListFirstArea(choice.device);
}
const char* FirstItem(const SLookupChoice& choice) {
    return ListFirstItem(choice.device, choice.area, choice.type, choice.pattern);
}

} // namespace

CString CStoreQuery::PatternToWalk(const char* pszName) {
    CString pattern = pszName;
    // A name of the full length is walked as it is: no item name is longer,
    // so it matches what it would with the "*", which the walk cannot hold.
    if (!std::strpbrk(pattern, "*?") && pattern.GetLength() + 1 < AT_ITEM_NAME_SIZE)
        pattern += "*";
    return pattern;
}

std::vector<STypeEntry> CStoreQuery::ListTypes() {
    std::vector<STypeEntry> types;
    int code = 0;
    for (const char* name = ListFirstType(&code); name; name = ListNextType(&code))
        types.push_back(STypeEntry{name, code});
    return types;
}

int CStoreQuery::NameOfChoice(const std::vector<CString>& names, const char* choice) {
    int found = -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (std::strcmp(names[i], choice) == 0)
            return static_cast<int>(i);
        if (found < 0 && SameNameIgnoringCase(names[i], choice))
            found = static_cast<int>(i);
    }
    return found;
}

int CStoreQuery::TypeOfChoice(const std::vector<STypeEntry>& types, int code) {
    for (size_t i = 0; i < types.size(); ++i)
        if (types[i].code == code)
            return static_cast<int>(i);
    return -1;
}

CStoreQuery::EResult CStoreQuery::Run(const SLookupChoice& choice, CQueryObserver& observer) {
    m_walk.choice = choice;
    m_walk.devices.clear();
    m_walk.areas.clear();
    m_walk.bAreaListed = false;
    m_walk.rows.clear(); // what the observer sees of this run so far
    m_stage = EStage::kDevices;
    m_bBegun = false;
    return Resume(observer);
}

CStoreQuery::EResult CStoreQuery::Resume(CQueryObserver& observer) {
    for (;;) {
        const EStage stage = m_stage;
        const EResult result =
            stage == EStage::kDevices
                ? Walk(FirstDevice, ListNextDevice, &CStoreQuery::TakeDevice, observer)
            : stage == EStage::kAreas
                ? Walk(FirstArea, ListNextArea, &CStoreQuery::TakeArea, observer)
            : ItemsWalked() ? Walk(FirstItem, ListNextItem, &CStoreQuery::TakeItem, observer)
                            : kComplete;
        if (result != kComplete)
            return result;
        m_bBegun = false;
        if (stage == EStage::kItems)
            break;
        m_stage = stage == EStage::kDevices ? EStage::kAreas : EStage::kItems;
    }
    std::swap(m_listing, m_walk);
    return kComplete;
}

CStoreQuery::EResult CStoreQuery::Walk(const char* (*first)(const SLookupChoice&), char* (*next)(),
                                       void (CStoreQuery::*take)(const char*),
                                       CQueryObserver& observer) {
    // Once begun, a walk goes on from where it stopped only while its
    // cursor is its own: a handler run between two slices may have walked.
    const char* name;
    if (!m_bBegun) {
        name = first(m_walk.choice);
        m_bBegun = true;
        m_generation = WalkGeneration();
    } else if (WalkGeneration() != m_generation) {
        return kDisturbed;
    } else {
        name = next();
    }
    for (; name; name = next()) {
        (this->*take)(name);
        if (!observer.GoOn())
            return kStopped;
        if (WalkGeneration() != m_generation)
            return kDisturbed;
    }
    return kComplete;
}

bool CStoreQuery::ItemsWalked() const {
    // A pattern longer than the item walk holds (23 characters), or one the
    // code page cannot hold, lists nothing, and never reaches the store:
    // the user goes on editing it.
    const SLookupChoice& choice = m_walk.choice;
    return m_walk.bAreaListed && choice.bNameHeld && choice.pattern.GetLength() < AT_ITEM_NAME_SIZE;
}

void CStoreQuery::TakeDevice(const char* name) {
    if (std::strlen(name) <= kDeviceNameMax)
        m_walk.devices.emplace_back(name);
}

void CStoreQuery::TakeArea(const char* name) {
    m_walk.areas.emplace_back(name);
    m_walk.bAreaListed = m_walk.bAreaListed || SameNameIgnoringCase(name, m_walk.choice.area);
}

void CStoreQuery::TakeItem(const char* name) {
    SItemRow row;
    const size_t length = CutLength(name, sizeof row.name);
    std::memcpy(row.name, name, length);
    row.name[length] = '\0';
    row.modified = atc_last_mod_time;
    row.size = atc_data_size;
    m_walk.rows.push_back(row);
}
