#include "browse_state.h"

#include "afxstate.h"
#include "kelvast.h"

uint32_t g_walkGeneration = 0;

BrowseState g_browse = {
    /* needConnect */ 1,
    /* networkConnected */ 0,
    /* typeNamesPending */ 1,
    /* typeCursor */ 0,
    /* deviceFlags */ 0,
    /* deviceCursor */ 0,
    /* driveMask */ 0,
    /* deviceName */ "X:",
    /* failedDevices */ {},
    /* areaPattern */ "",
    /* areaName */ "",
    /* itemType */ 0,
    /* itemPattern */ "",
    /* itemPath */ "",
    /* itemName */ "",
    // Ordered by type code; codes 7 and 11 came later, so their strings sit
    // at the end of the string table. There is no code 10.
    /* typeTable */
    {
        {"", 1, 1},   {"", 2, 2},   {"", 3, 3},   {"", 4, 4},   {"", 5, 5},   {"", 6, 6},
        {"", 7, 23},  {"", 8, 7},   {"", 9, 8},   {"", 11, 24}, {"", 12, 9},  {"", 13, 10},
        {"", 14, 11}, {"", 15, 12}, {"", 16, 13}, {"", 17, 14}, {"", 18, 15}, {"", 19, 16},
        {"", 20, 17}, {"", 21, 18}, {"", 22, 19}, {"", 23, 20}, {"", 24, 21}, {"", 25, 22},
    },
};

void ConnectOnce() {
    if (at_connect_to_network() == 1)
        g_browse.networkConnected = 1;
    // One attempt per process, whatever it gave.
    g_browse.needConnect = 0;

    // The storage library may load text from the current module's resources
    // while it takes the name, so it must see ours.
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    at_set_network_str("NETWORK");
}
