// The 24 item types. Their names come from the string resources, so a
// localised resource library renames them; they are loaded once per process.
#include "browse_state.h"
#include "afxstr.h"
#include "tavorin.h"

#include "afxstate.h"

#include <cstring>

namespace {

void LoadTypeNames() {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    g_browse.typeNamesPending = 0;
    // One buffer for all rows: a string missing from the resources leaves
    // the previous row's name in it, and that row's name is taken again.
    CString text;
    for (ItemTypeEntry& row : g_browse.typeTable) {
        AfxLoadString(static_cast<unsigned int>(row.stringId), text);
        std::strncpy(row.name, text, kTypeNameSize);
        row.name[kTypeNameSize] = '\0';
    }
}

} // namespace

char* ListFirstType(int* type) {
    if (!type)
        return nullptr;
    if (g_browse.typeNamesPending) {
        try {
            LoadTypeNames();
        } catch (...) {
            return nullptr; // out of memory: a failed walk, never an exception
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
