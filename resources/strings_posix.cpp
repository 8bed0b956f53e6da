// The module's own strings where there is no resource section; the Windows
// build carries the same texts in tavorin.rc.
#include "afxres_posix.h"
#include "resource.h"

namespace {
const AfxStringResource kStrings[] = {
    {IDS_TYPE_ALTERATION, "Alteration"},
    {IDS_TYPE_ANNOTATION, "Annotation"},
    {IDS_TYPE_BLOCK_BUFFER, "Block Buffer"},
    {IDS_TYPE_CUT, "Cut"},
    {IDS_TYPE_DIGITIZE_DATA, "Stored Digitize Data"},
    {IDS_TYPE_LAY_LIMITS, "Lay Limits"},
    {IDS_TYPE_MACRO, "Macro"},
    {IDS_TYPE_MARKER, "Marker"},
    {IDS_TYPE_MODEL, "Model"},
    {IDS_TYPE_ORDER, "Order"},
    {IDS_TYPE_P_CUTTER, "P-Cutter"},
    {IDS_TYPE_P_LAYRULE_SEARCH, "P-Layrule-Search"},
    {IDS_TYPE_P_MARKER_PLOT, "P-Marker-Plot"},
    {IDS_TYPE_P_NOTCH, "P-Notch"},
    {IDS_TYPE_P_PIECE_PLOT, "P-Piece-Plot"},
    {IDS_TYPE_P_USER_ENVIRON, "P-User-Environ"},
    {IDS_TYPE_PIECE, "Piece"},
    {IDS_TYPE_PIECE_LIST, "Piece List"},
    {IDS_TYPE_PLOT, "Plot"},
    {IDS_TYPE_RULE_TABLE, "Rule Table"},
    {IDS_TYPE_SIZE_CODE, "Size Code"},
    {IDS_TYPE_TEXT, "Text"},
    {IDS_TYPE_LAYRULE, "Layrule"},
    {IDS_TYPE_MATCHING_RULES, "Matching Rules"},
    {IDS_ITEM, "Item"},
    {IDS_DATE, "Date"},
    {IDS_TIME, "Time"},
    {IDS_SIZE, "Size"},
    {ID_SET_DETAILS, "Set Details"},
    {ID_SET_LIST, "Set List"},
};
} // namespace

const AfxStringTable g_builtinStrings = {kStrings, sizeof kStrings / sizeof kStrings[0]};
