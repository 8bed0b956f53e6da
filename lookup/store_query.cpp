#include "store_query.h"

#include "names.h"
#include "tavorin.h"

#include <cstring>
#include <utility>

namespace {

const char kLocalComputer[] = "\\\\.";
// Callers keep the chosen device in 256 bytes: a longer name (the network
// device's is whatever the storage library answers) is not offered.
const size_t kDeviceNameMax = 255;

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

bool CStoreQuery::Run(const SLookupChoice& choice, CQueryObserver& observer) {
    m_walk.choice = choice;
    if (!WalkDevices(observer) || !WalkAreas(observer) || !WalkItems(observer))
        return false;
    std::swap(m_listing, m_walk);
    return true;
}

bool CStoreQuery::WalkDevices(CQueryObserver& observer) {
    m_walk.devices.clear();
    for (const char* name = ListFirstDevice(kLocalComputer, m_walk.choice.flags); name;
         name = ListNextDevice()) {
        if (!observer.GoOn())
            return false;
        if (std::strlen(name) <= kDeviceNameMax)
            m_walk.devices.emplace_back(name);
    }
    return true;
}

bool CStoreQuery::WalkAreas(CQueryObserver& observer) {
    m_walk.areas.clear();
    m_walk.bAreaListed = false;
    for (const char* name = ListFirstArea(m_walk.choice.device); name; name = ListNextArea()) {
        m_walk.areas.emplace_back(name);
        m_walk.bAreaListed = m_walk.bAreaListed || SameNameIgnoringCase(name, m_walk.choice.area);
        if (!observer.GoOn())
            return false;
    }
    return true;
}

bool CStoreQuery::WalkItems(CQueryObserver& observer) {
    const SLookupChoice& choice = m_walk.choice;
    // A pattern longer than the item walk holds (23 characters) lists
    // nothing, and never reaches the store: the user goes on editing it.
    m_walk.rows.clear();
    if (!m_walk.bAreaListed || choice.pattern.GetLength() >= AT_ITEM_NAME_SIZE)
        return true;
    for (const char* name = ListFirstItem(choice.device, choice.area, choice.type, choice.pattern);
         name; name = ListNextItem()) {
        SItemRow row;
        const size_t length = CutLength(name, sizeof row.name);
        std::memcpy(row.name, name, length);
        row.name[length] = '\0';
        row.modified = atc_last_mod_time;
        row.size = atc_data_size;
        m_walk.rows.push_back(row);
        observer.RowsRead(static_cast<int>(m_walk.rows.size()));
        if (!observer.GoOn())
            return false;
    }
    return true;
}
