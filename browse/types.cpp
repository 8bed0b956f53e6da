// The 24 item types. Their names come from the string resources, so a
// localised resource library renames them; they are loaded once per process.
#include "browse_state.h"
#include "afxstr.h"
#include "tavorin.h"

#include "afxres.h"
#include "afxstate.h"
#include "names.h"

#include <cstring>

namespace {

// The names go to the table only once every one of them is loaded: running
// out of memory half way leaves the table as it was, to be loaded whole by
// the next ListFirstType.
void LoadTypeNames() {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    char names[kTypeCount][kTypeNameSize + 1] = {};
    // One buffer for all rows: a string missing from the resources leaves
    // the previous row's name in it, and that row's name is taken again.
    CString text;
    for (int row = 0; row < kTypeCount; ++row) {
        AfxLoadString(static_cast<unsigned int>(g_browse.typeTable[row].stringId), text);
        // A translated name longer than the table holds loses whole
        // characters only.
        std::memcpy(names[row], text, CutLength(text, kTypeNameSize + 1));
    }
    for (int row = 0; row < kTypeCount; ++row)
        std::memcpy(g_browse.typeTable[row].name, names[row], sizeof names[row]);
    g_browse.typeNamesPending = 0;
}

} // namespace

char* ListFirstType(int* type) {
    ++g_walkGeneration;
    if (!type)
        return nullptr;
    if (g_browse.typeNamesPending) {
        try {
            LoadTypeNames();
        } catch (...) {
            // Out of memory: a walk that ends at once, never an exception.
            g_browse.typeCursor = kTypeCount;
            *type = 0;
            return nullptr;
        }
    }
    g_browse.typeCursor = 0;
    return ListNextType(type);
}

char* ListNextType(int* type) {
    if (!type)
        return nullptr;
    if (g_browse.typeCursor >= static_cast<uint32_t>(kTypeCount)) {
        *type = 0;
        return nullptr;
    }
    ItemTypeEntry& row = g_browse.typeTable[g_browse.typeCursor++];
    *type = row.typeCode;
    return row.name;
}
