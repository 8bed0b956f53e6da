#include "tavorin.h"

int AtLookupItem(char*, char*, int*, const char*, int, char*) { return 0; }
int AtLookupMultipleItem(char*, char*, int*, const char*, int, CStringArray*) { return 0; }
