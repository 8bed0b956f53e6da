// A recording fake storage with a small scripted store, and the exported
// entry points called the way a caller of the suite calls them.
#ifndef LOOKUP_FIXTURE_H
#define LOOKUP_FIXTURE_H

#include "fake_kelvast.h"
#include "lookup_driver.h"
#include "resource.h"
#include "afxstr.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// 9 March 2007 14:05 and 09:07, UTC (the tests run with TZ=UTC).
const int kAfternoon = 1173449100;
const int kMorning = 1173431220;
const int kTypeMarker = 9;
const int kTypeModel = 12;

class LookupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake_reset();
        // Device C: holds two areas; numbered device 3: one. Drives the
        // Wine prefix has besides C: hold none.
        fake_add_area("C:*", "C:PATTERNS");
        fake_add_area("C:*", "C:DATA");
        fake_add_area("3:*", "3:ARCHIVE");
        fake_add_item("C:PATTERNS", kTypeMarker, "ABC", 1200, kAfternoon);
        fake_add_item("C:PATTERNS", kTypeMarker, "ABD", 34, kMorning);
        fake_add_item("C:PATTERNS", kTypeMarker, "XAB", 5, kAfternoon);
        fake_add_item("C:PATTERNS", kTypeModel, "MODEL1", 77, kAfternoon);
        fake_add_item("C:DATA", kTypeMarker, "DATA1", 1, kAfternoon);
        fake_add_item("3:ARCHIVE", kTypeMarker, "OLD1", 2, kMorning);
        fake_add_item("3:PATTERNS", kTypeMarker, "OTHER", 3, kMorning);
    }

    // Caller's buffers, filled with what the caller starts with.
    struct Buffers {
        char device[64];
        char area[256];
        int type;
        char result[64];
    };
    static Buffers Start(const char* device, const char* area, int type) {
        Buffers b;
        std::memset(&b, '#', sizeof b);
        std::strcpy(b.device, device);
        std::strcpy(b.area, area);
        b.type = type;
        std::strcpy(b.result, "untouched");
        return b;
    }

    int LookupItem(Buffers& b, const char* pattern, int flags,
                   const std::function<void(const LookupWindow&)>& drive,
                   DriveOutcome* outcome = nullptr, bool settle = true) {
        int answer = -1;
        DriveOutcome o = DriveLookup(
            [&] { answer = AtLookupItem(b.device, b.area, &b.type, pattern, flags, b.result); },
            drive, 5000, settle);
        if (outcome)
            *outcome = o;
        return answer;
    }

    int LookupMultiple(Buffers& b, const char* pattern, int flags, CStringArray* results,
                       const std::function<void(const LookupWindow&)>& drive) {
        int answer = -1;
        DriveLookup(
            [&] {
                answer = AtLookupMultipleItem(b.device, b.area, &b.type, pattern, flags, results);
            },
            drive);
        return answer;
    }

    static const int kAllFlags = LF_LOCAL_DRIVES | LF_DEVICE | LF_AREA | LF_TYPE;
};

std::vector<std::string> Strings(const CStringArray& array);

// Per code page that language_check.sh runs: names whose second bytes a
// byte compare takes for letters ("A", "a") or "\\" (in UTF-8, whose bytes
// one at a time convert to nothing), what typing the second sends, and type
// 9 in the language's library.
struct CodePageNames {
    UINT codePage;
    const char *language, *first, *second;
    wchar_t secondTyped;
    const char *backslash, *marker;
};
const CodePageNames kCodePages[] = {
    {932, "ja-JP", "\x83\x41", "\x83\x61", L'\x30C2', "\x95\x5C", "\x83}\x81[\x83J\x81["},
    {936, "zh-CN", "\x81\x41", "\x81\x61", L'\x4E64', "\x81\x5C", "\xC5\xC5\xC1\xCF\xCD\xBC"},
    {1255, "he-IL", nullptr, nullptr, 0, nullptr, "\xEE\xF8\xF7\xF8"},
    {65001, "ja-JP", "\xE3\x82\xA2", "\xE3\x82\xA4", L'\x30A4', "\xE8\xA1\xA8",
     "\xE3\x83\x9E\xE3\x83\xBC\xE3\x82\xAB\xE3\x83\xBC"},
};

#endif
