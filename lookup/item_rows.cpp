#include "item_rows.h"

#include "names.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// Copies text cut to fit size bytes on a whole character, always terminated.
void CopyCut(char* pszOut, int cchOut, const char* pszText) {
    if (cchOut <= 0)
        return;
    const size_t length = CutLength(pszText, static_cast<size_t>(cchOut));
    std::memcpy(pszOut, pszText, length);
    pszOut[length] = '\0';
}

// A modification time as text in the given format; empty when there is no
// local time for it (every negative time) or the text does not fit.
void TimeText(int32_t modified, const char* pszFormat, char (&buffer)[128]) {
    const __time64_t wide = modified; // widened with its sign
    struct tm local;
    if (_localtime64_s(&local, &wide) != 0 ||
        std::strftime(buffer, sizeof buffer, pszFormat, &local) == 0)
        buffer[0] = '\0';
}

} // namespace

const char* CItemRows::GetName(int nRow) const {
    if (nRow < 0 || nRow >= GetCount())
        return "";
    return m_rows[static_cast<size_t>(nRow)].name;
}

void CItemRows::GetCellText(int nRow, int nColumn, char* pszBuffer, int cchBuffer) const {
    if (!pszBuffer || cchBuffer <= 0)
        return;
    if (nRow < 0 || nRow >= GetCount() || nColumn < 0 || nColumn >= kColumnCount) {
        pszBuffer[0] = '\0';
        return;
    }
    const SItemRow& row = m_rows[static_cast<size_t>(nRow)];
    char text[128];
    switch (nColumn) {
    case 0:
        CopyCut(pszBuffer, cchBuffer, row.name);
        return;
    case 1:
        TimeText(row.modified, "%y/%m/%d", text);
        break;
    case 2:
        TimeText(row.modified, "%#I:%M %p", text);
        break;
    default:
        std::snprintf(text, sizeof text, "%d", static_cast<int>(row.size));
        break;
    }
    CopyCut(pszBuffer, cchBuffer, text);
}

void CItemRows::Assign(std::vector<SItemRow>&& rows) {
    m_rows = std::move(rows);
    // A walk's rows come in a vector grown by doubling: up to twice their
    // size, for as long as the dialog shows them. One copy now (a few ms
    // at a million rows) keeps what they hold near the rows themselves.
    if (m_rows.capacity() - m_rows.size() > m_rows.size() / 8)
        m_rows.shrink_to_fit();
}

int CItemRows::Find(const char* pszText, int nStart, bool bPartial, bool bWrap) const {
    const int count = GetCount();
    if (!pszText || count == 0)
        return -1;
    if (nStart < 0 || nStart >= count)
        nStart = 0;
    const int span = bWrap ? count : count - nStart;
    for (int i = 0; i < span; ++i) {
        const int row = (nStart + i) % count;
        const char* name = m_rows[static_cast<size_t>(row)].name;
        if (bPartial ? NameBeginsWith(name, pszText) : SameNameIgnoringCase(name, pszText))
            return row;
    }
    return -1;
}
