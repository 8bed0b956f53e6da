#include "shown_rows.h"

#include <cstring>

const CShownRows::SPick* CShownRows::GetPickToKeep() const {
    const SLookupChoice& from = m_pick.choice;
    if (m_pick.names.IsEmpty() || m_bPicked || std::strcmp(from.device, m_choice.device) != 0 ||
        std::strcmp(from.area, m_choice.area) != 0 || from.type != m_choice.type)
        return nullptr;
    return &m_pick;
}

CStringArray CShownRows::GetConfirmed(const CStringArray& selected, SLookupChoice& choice) const {
    if (!selected.IsEmpty() || m_bPicked || m_pick.names.IsEmpty()) {
        choice = m_choice;
        return selected;
    }
    choice = m_pick.choice;
    return m_pick.names;
}

void CShownRows::Replace(const SLookupChoice& choice, const CStringArray& selected,
                         const CString& focused) {
    if (m_bPicked)
        m_pick = SPick{selected, m_choice, focused};
    m_bPicked = false;
    m_choice = choice;
    m_bShown = true;
}
