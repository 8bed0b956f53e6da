/* Lists the Marker items AB* of C:PATTERNS with their sizes: the sample
 * store has three, the first AB1042 of 18432 bytes. */
#include "kelvast.h"
#include "tavorin.h"

#include <stdio.h>
#include <string.h>

int main(void) {
    int count = 0, first = 1;
    const char* name;
    for (name = ListFirstItem("C:", "PATTERNS", 9, "AB*"); name; name = ListNextItem(), ++count) {
        printf("%s %ld\n", name, (long)atc_data_size);
        if (count == 0)
            first = strcmp(name, "AB1042") != 0 || atc_data_size != 18432;
    }
    return count == 3 && !first ? 0 : 1;
}
