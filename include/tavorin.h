// TAVORIN.dll: walks the storage of the suite one name per call, and lets a
// user pick items in the modal "Lookup" dialog.
//
// Every name returned points into a buffer owned by the library and stays
// valid only until the next call that rewrites that buffer: copy it first.
// The functions are not re-entrant; use them from one thread at a time.
//
// Plain C (C99 or later) and C++: this header needs nothing else. Text is
// 8-bit, in the system's ANSI code page on Windows and as stored (UTF-8 as a
// rule) elsewhere; the 23-character limit of item names and patterns counts
// these bytes.
#ifndef TAVORIN_H
#define TAVORIN_H

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

// One request to AtLookupItemList, in the manner of the system's common
// dialogs. Set structSize to sizeof(TAVORIN_LOOKUP); a size the library does
// not know is refused before anything opens, and nothing is written.
// Sizes count bytes, the terminating NUL included.
typedef struct TAVORIN_LOOKUP {
    unsigned int structSize;
    void* owner;             // HWND of the window that owns the dialog, or null
    char* device;            // in: device to start on; out (LF_DEVICE): the chosen one
    unsigned int deviceSize; // bytes at device
    char* area;              // in: area to start on; out (LF_AREA): the chosen one
    unsigned int areaSize;   // bytes at area; 256 hold every area
    int type;                // in: item type code; out (LF_TYPE): the chosen one
    const char* pattern;     // item name pattern, at most 23 characters; its NUL
                             // must come within 256 bytes, else it is refused
    int flags;               // LookupFlags
    // Out, on every answer once the size was accepted. On 1: the chosen item
    // names in list order, each with its NUL, then one more NUL
    // ("AB1\0AB2\0\0"), in memory the caller frees with LocalFree; null
    // otherwise.
    char* names;
    unsigned int nameCount; // names in the list
    unsigned int namesSize; // bytes of the list, both final NULs included
    unsigned int error;     // TAVORIN_LOOKUP_ERR_..., 0 on 1 and on Cancel
    // Out with TAVORIN_LOOKUP_ERR_TOO_SMALL: the bytes the chosen device and
    // area need, NUL included (0 for one the flags do not ask for).
    unsigned int deviceNeeded;
    unsigned int areaNeeded;
} TAVORIN_LOOKUP;

// Why AtLookupItemList answered 0, in its error field (0: Cancel, or OK
// with nothing chosen).
// A pointer missing, a text not ended within its size (256 bytes for the
// pattern), or an owner that is no window: nothing opened.
#define TAVORIN_LOOKUP_ERR_ARGUMENT 1
// The dialog could not be made (no display, no template; always natively).
#define TAVORIN_LOOKUP_ERR_DIALOG 2
// Out of memory.
#define TAVORIN_LOOKUP_ERR_MEMORY 3
// The dialog failed inside.
#define TAVORIN_LOOKUP_ERR_INTERNAL 4
// The chosen device or area does not fit its buffer: nothing was written;
// deviceNeeded and areaNeeded tell the sizes.
#define TAVORIN_LOOKUP_ERR_TOO_SMALL 5

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

// Numbered devices to skip in device walks, as a list of strings each ended
// by a NUL, the list by one more ("3\0" "7:\0" "\0"); each string's number
// as atoi reads it, numbers outside 0 to 9 ignored. Replaces the earlier
// marks; null clears them.
TAVORIN_API void StoreFailedConnectionList(const char* numbers);

// Storage areas of a device ("C:" or "C").
TAVORIN_API unsigned long CountAreas(const char* device);
TAVORIN_API char* ListFirstArea(const char* device);
TAVORIN_API char* ListNextArea(void);

// The 24 item types; *type receives each type's code (0 after the last,
// and 0 with null when memory ran out loading the names: the next
// ListFirstType loads them again).
TAVORIN_API char* ListFirstType(int* type);
TAVORIN_API char* ListNextType(int* type);

// Items of one type in one area whose names match pattern ("*" and "?",
// at most 23 characters).
TAVORIN_API char* ListFirstItem(const char* device, const char* area, int type,
                                const char* pattern);
TAVORIN_API char* ListNextItem(void);

// The "Lookup" dialog (Windows; the native library has no dialog, and its
// three entry points answer 0 and write nothing, AtLookupItemList with
// TAVORIN_LOOKUP_ERR_DIALOG in error). device, area and *type are the start values
// and, as the flags ask, receive the values chosen; copies are unbounded:
// device and area need room for 255 characters, result for 49 (each plus
// the NUL; the dialog offers no longer device). Answer 1 when the user confirmed with at least one
// item chosen, else 0 (Cancel, or a failure: then nothing is written).
TAVORIN_API int AtLookupItem(char* device, char* area, int* type, const char* pattern, int flags,
                             char* result);

// The "Lookup" dialog through one request; never writes past a size given.
// Answer 1 when the user confirmed with at least one item chosen: device,
// area and type are written as the flags ask, and names holds every chosen
// name. Else 0, with nothing written but the outputs of the request; error
// tells a failure from Cancel.
TAVORIN_API int AtLookupItemList(TAVORIN_LOOKUP* request);

#ifdef __cplusplus
}

// For C++ callers built with the same compiler and the framework's string
// classes (include "afxstr.h" before using these two).
class CStringList;
class CStringArray;

// Numbered devices to skip in device walks: each string's number as atoi
// reads it ("3:" or "3"); numbers outside 0 to 9 are ignored.
extern "C" TAVORIN_API void StoreFailedConnections(CStringList& numbers);

// As AtLookupItem; results (may be null) receives every chosen name, in
// list order. OK with no item selected answers 0 and leaves results empty;
// Cancel or a failure leaves it as it was.
extern "C" TAVORIN_API int AtLookupMultipleItem(char* device, char* area, int* type,
                                                const char* pattern, int flags,
                                                CStringArray* results);
#endif

#endif
