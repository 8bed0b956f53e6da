// TAVORIN.dll: walks the storage of the suite one name per call, and lets a
// user pick items in the modal "Lookup" dialog.
//
// Every name returned points into a buffer owned by the library and stays
// valid only until the next call that rewrites that buffer: copy it first.
// The functions are not re-entrant; use them from one thread at a time.
#ifndef TAVORIN_H
#define TAVORIN_H

#ifdef __cplusplus
#include "afxstr.h"
#endif

#if defined(_WIN32)
#if defined(TAVORIN_BUILD)
#define TAVORIN_API
#else
#define TAVORIN_API __declspec(dllimport)
#endif
#else
#define TAVORIN_API __attribute__((visibility("default")))
#endif

// LookupFlags
#define LF_DRIVE_A 0x01      // offer drive A: when present, without a probe
#define LF_LOCAL_DRIVES 0x02 // offer drives B: to Z: that hold storage areas
#define LF_NETWORK 0x04      // offer the network device first when connected
#define LF_DEVICE 0x08       // device selector enabled; chosen device handed back
#define LF_AREA 0x10         // area selector enabled; chosen area handed back
#define LF_TYPE 0x20         // type selector enabled; chosen type code handed back

#ifdef __cplusplus
extern "C" {
#endif

// Computers: only the local computer "\\." is ever offered.
TAVORIN_API char* ListFirstComputer(void);
TAVORIN_API char* ListNextComputer(void);

// Devices: the network device, drives A: to Z: and numbered devices 0: to 9:
// that hold storage areas, as the flags ask.
TAVORIN_API char* ListFirstDevice(const char* computer, int flags);
TAVORIN_API char* ListNextDevice(void);

// Storage areas of a device ("C:" or "C").
TAVORIN_API unsigned long CountAreas(const char* device);
TAVORIN_API char* ListFirstArea(const char* device);
TAVORIN_API char* ListNextArea(void);

// The 24 item types; *type receives each type's code (0 after the last).
TAVORIN_API char* ListFirstType(int* type);
TAVORIN_API char* ListNextType(int* type);

// Items of one type in one area whose names match pattern ("*" and "?",
// at most 23 characters).
TAVORIN_API char* ListFirstItem(const char* device, const char* area, int type,
                                const char* pattern);
TAVORIN_API char* ListNextItem(void);

#ifdef __cplusplus
}

// Numbered devices to skip in device walks: each string's number as atoi
// reads it ("3:" or "3"); numbers outside 0 to 9 are ignored.
extern "C" TAVORIN_API void StoreFailedConnections(CStringList& numbers);

// The "Lookup" dialog. device, area and *type are the start values and, as
// the flags ask, receive the values chosen; copies are unbounded: device
// needs room for a device name, area for 255 characters, result for 49
// (each plus the NUL). Answer 1 when the user confirmed with at least one
// item chosen, else 0.
extern "C" TAVORIN_API int AtLookupItem(char* device, char* area, int* type, const char* pattern,
                                        int flags, char* result);
// As AtLookupItem; results (may be null) receives every chosen name, in
// list order.
extern "C" TAVORIN_API int AtLookupMultipleItem(char* device, char* area, int* type,
                                                const char* pattern, int flags,
                                                CStringArray* results);
#endif

#endif
