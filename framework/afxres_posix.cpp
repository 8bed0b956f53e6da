#include "afxres.h"
#include "afxres_posix.h"
#include "afxstate.h"
#include "afxstr.h"

AFX_MODULE_STATE g_moduleState = {
    const_cast<AfxStringTable*>(&g_builtinStrings),
    const_cast<AfxStringTable*>(&g_builtinStrings),
};

bool AfxLoadString(unsigned int nID, CString& rText) {
    const auto* table =
        static_cast<const AfxStringTable*>(AfxGetModuleState()->m_hCurrentResourceHandle);
    if (!table)
        return false;
    for (size_t i = 0; i < table->count; ++i) {
        if (table->entries[i].id == nID) {
            rText = table->entries[i].text;
            return true;
        }
    }
    return false;
}

bool CString::LoadString(unsigned int nID) {
    return AfxLoadString(nID, *this);
}
