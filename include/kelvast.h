// Kelvast.dll: the suite's storage library, as far as TAVORIN uses it.
// Every operation answers exactly 1 on success; any other value is failure or
// the end of a walk. Text is 8-bit and NUL-terminated.
#ifndef KELVAST_H
#define KELVAST_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(KELVAST_BUILD)
#define KELVAST_API
#define KELVAST_DATA extern
#else
// The variables must go through the import table: mingw would otherwise
// resolve them with runtime pseudo-relocations, which write into TAVORIN's
// read-only code pages.
#define KELVAST_API __declspec(dllimport)
#define KELVAST_DATA extern __declspec(dllimport)
#endif
typedef unsigned long at_count_t;
#else
#define KELVAST_API __attribute__((visibility("default")))
#define KELVAST_DATA extern __attribute__((visibility("default")))
typedef uint32_t at_count_t; // 32 bits, as on Windows
#endif

enum { AT_AREA_NAME_SIZE = 256, AT_ITEM_NAME_SIZE = 24 };

#ifdef __cplusplus
extern "C" {
#endif

KELVAST_API int at_connect_to_network(void);
KELVAST_API int at_set_network_str(const char* text);
KELVAST_API char* at_get_network_str(const char* computer, int flags);
KELVAST_API int at_count_storage_areas(const char* pattern, at_count_t* count);
// areaName: AT_AREA_NAME_SIZE bytes; mode 0 starts a walk, 1 continues it.
KELVAST_API int at_lookup_storage_areas(char* areaName, const char* pattern, int mode);
// itemName: AT_ITEM_NAME_SIZE bytes; mode 0 starts a walk, 1 continues it.
KELVAST_API int at_lookup_data(int typeCode, const char* itemPath, char* itemName,
                               const char* pattern, int mode);

// Describe the item of the last at_lookup_data call that returned 1.
KELVAST_DATA int32_t atc_data_size;
KELVAST_DATA int32_t atc_last_mod_time; // seconds since 1970-01-01 UTC

#ifdef __cplusplus
}
#endif

#endif
