#include "shown_rows.h"

#include <cstring>

bool SameChoice(const SLookupChoice& a, const SLookupChoice& b) {
    return a.type == b.type && a.bNameHeld == b.bNameHeld && std::strcmp(a.device, b.device) == 0 &&
           std::strcmp(a.area, b.area) == 0 && std::strcmp(a.pattern, b.pattern) == 0;
}

const CShownRows::SPick* CShownRows::GetPickToKeep() const {
    return m_bPicked || m_pick.names.IsEmpty() ? nullptr : &m_pick;
}

void CShownRows::Changed(const SLookupChoice& choice) {
    if (!SameChoice(choice, m_choice))
        m_bPicked = false, m_pick = SPick{};
}

void CShownRows::Replace(const SLookupChoice& choice, const CStringArray& selected,
                         const CString& focused) {
    if (m_bPicked)
        m_pick = SPick{selected, focused};
    if (!SameChoice(choice, m_choice))
        m_pick = SPick{};
    m_bPicked = false;
    m_choice = choice;
}
