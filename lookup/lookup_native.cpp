// The "Lookup" dialog's entry points in the native library. There is no
// dialog to show on Linux, but a program written for both systems links
// and runs the same: every call answers 0 and writes nothing back, as when
// the dialog could not be made, and AtLookupItemList says so in its error
// field.
#include "tavorin.h"

int AtLookupItem(char*, char*, int*, const char*, int, char*) {
    return 0;
}

int AtLookupMultipleItem(char*, char*, int*, const char*, int, CStringArray*) {
    return 0;
}

int AtLookupItemList(TAVORIN_LOOKUP* request) {
    // A size this library does not know may be a larger structure than
    // ours: nothing of it is written, as on Windows.
    if (!request || request->structSize != sizeof(TAVORIN_LOOKUP))
        return 0;
    request->names = nullptr;
    request->nameCount = 0;
    request->namesSize = 0;
    request->deviceNeeded = 0;
    request->areaNeeded = 0;
    request->error = TAVORIN_LOOKUP_ERR_DIALOG;
    return 0;
}
