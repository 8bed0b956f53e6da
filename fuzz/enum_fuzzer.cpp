// Drives random sequences of the twelve enumeration functions, with random
// texts and numbers, against the recording fake storage library, and checks
// after every call that each buffer of the browse state is still terminated
// within its size and every returned name points where it may.
#include "browse_state.h"
#include "fake_kelvast.h"
#include "afxstr.h"
#include "tavorin.h"

#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

uint32_t g_driveMask = 1u << 2;
int g_connectCalls = 0; // over the life of the process

// A text in a heap block of exactly its size, so that reading past its
// terminator is caught.
class Text {
  public:
    explicit Text(const std::string& s) : m_data(new char[s.size() + 1]) {
        std::memcpy(m_data.get(), s.c_str(), s.size() + 1);
    }
    const char* get() const { return m_data.get(); }

  private:
    std::unique_ptr<char[]> m_data;
};

// Texts near the limits turn up far more often than chance would bring them.
std::string SomeText(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: {
        static const char* const kDevices[] = {"C:", "C",     "3:",   "3",    "",    ":",
                                               ".",  "\\\\.", "\\\\", "NET:", "A:B", "c:"};
        return kDevices[in.ConsumeIntegralInRange<size_t>(0, 11)];
    }
    case 1: {
        // Lengths around the 256-byte buffers and the 24-byte ones.
        static const size_t kLengths[] = {22, 23, 24, 25, 252, 253, 254, 255, 256, 300};
        std::string s(kLengths[in.ConsumeIntegralInRange<size_t>(0, 9)],
                      in.ConsumeBool() ? '*' : 'D');
        if (in.ConsumeBool() && !s.empty())
            s[in.ConsumeIntegralInRange<size_t>(0, s.size() - 1)] = ':';
        return s;
    }
    default:
        return in.ConsumeRandomLengthString(320);
    }
}

bool Terminated(const char* buffer, size_t size) {
    return std::memchr(buffer, '\0', size);
}

bool Inside(const char* p, const char* buffer, size_t size) {
    return p >= buffer && p < buffer + size;
}

void CheckState() {
    const BrowseState& s = g_browse;
    CHECK(Terminated(s.areaPattern, sizeof s.areaPattern));
    CHECK(Terminated(s.areaName, sizeof s.areaName));
    CHECK(Terminated(s.itemPattern, sizeof s.itemPattern));
    CHECK(Terminated(s.itemPath, sizeof s.itemPath));
    CHECK(Terminated(s.itemName, sizeof s.itemName));
    CHECK(s.deviceName[1] == ':' && s.deviceName[2] == '\0');
    CHECK(s.deviceCursor >= 0 && s.deviceCursor <= kDeviceCount);
    for (int32_t mark : s.failedDevices)
        CHECK(mark == 0 || mark == 1);
    for (const ItemTypeEntry& row : s.typeTable)
        CHECK(Terminated(row.name, sizeof row.name));
    CHECK(s.needConnect == 0 || g_connectCalls == 0);
    CHECK(g_connectCalls <= 1);
}

void CheckDevice(const char* name) {
    if (!name || !Inside(name, g_browse.deviceName, sizeof g_browse.deviceName))
        return; // null, or the storage library's network name
    CHECK(name == g_browse.deviceName);
    const char c = name[0];
    CHECK((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
}

void CheckArea(const char* name) {
    if (name)
        CHECK(Inside(name, g_browse.areaName, sizeof g_browse.areaName));
}

void CheckItem(const char* name) {
    if (name)
        CHECK(name == g_browse.itemName);
}

void CheckType(const char* name, int code) {
    if (!name) {
        CHECK(code == 0);
        return;
    }
    CHECK(code >= 1 && code <= 25 && code != 10);
    bool found = false;
    for (const ItemTypeEntry& row : g_browse.typeTable)
        found = found || name == row.name;
    CHECK(found);
}

void Script(FuzzedDataProvider& in) {
    fake_reset();
    fake_set_connect_result(in.ConsumeIntegralInRange(-1, 2));
    g_driveMask = in.ConsumeIntegral<uint32_t>();
    if (in.ConsumeBool())
        fake_set_network_name(in.ConsumeBool() ? nullptr : SomeText(in).c_str());
    const int scripts = in.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < scripts; ++i) {
        static const char* const kPatterns[] = {"C:*", "3:*", ":*", "0:*", "9:*", "Z:*"};
        const std::string pattern =
            in.ConsumeBool() ? kPatterns[in.ConsumeIntegralInRange<size_t>(0, 5)] : SomeText(in);
        switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            fake_add_area(pattern.c_str(), SomeText(in).c_str());
            break;
        case 1:
            fake_set_count(pattern.c_str(), in.ConsumeIntegralInRange(-1, 2),
                           in.ConsumeIntegral<uint32_t>());
            break;
        default: {
            const std::string path = in.ConsumeBool() ? "C:A" : SomeText(in);
            fake_add_item(path.c_str(), in.ConsumeIntegralInRange(-1, 26), SomeText(in).c_str(),
                          in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>());
        }
        }
    }
}

void Step(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 12)) {
    case 0:
        CHECK(std::strcmp(ListFirstComputer(), "\\\\.") == 0);
        break;
    case 1:
        CHECK(ListNextComputer() == nullptr);
        break;
    case 2: {
        const Text computer(SomeText(in));
        CheckDevice(ListFirstDevice(in.ConsumeBool() ? nullptr : computer.get(),
                                    in.ConsumeIntegral<int>()));
        break;
    }
    case 3:
        CheckDevice(ListNextDevice());
        break;
    case 4: {
        CStringList numbers;
        const int n = in.ConsumeIntegralInRange(0, 6);
        for (int i = 0; i < n; ++i)
            numbers.AddTail(SomeText(in).c_str());
        StoreFailedConnections(numbers);
        break;
    }
    case 5: {
        const Text device(SomeText(in));
        CountAreas(in.ConsumeBool() ? nullptr : device.get());
        break;
    }
    case 6: {
        const Text device(SomeText(in));
        CheckArea(ListFirstArea(in.ConsumeBool() ? nullptr : device.get()));
        break;
    }
    case 7:
        CheckArea(ListNextArea());
        break;
    case 8: {
        int code = -1;
        CheckType(ListFirstType(&code), code);
        break;
    }
    case 9: {
        int code = -1;
        CheckType(ListNextType(&code), code);
        break;
    }
    case 10: {
        const Text device(SomeText(in)), area(SomeText(in)), pattern(SomeText(in));
        CheckItem(
            ListFirstItem(device.get(), area.get(), in.ConsumeIntegral<int>(), pattern.get()));
        break;
    }
    case 11:
        CheckItem(ListNextItem());
        break;
    default:
        ListFirstType(nullptr);
        ListNextType(nullptr);
        break;
    }
}

} // namespace

uint32_t PlatformLogicalDrives() {
    return g_driveMask;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Script(in);
    for (int steps = 0; steps < 64 && in.remaining_bytes() > 0; ++steps) {
        const int before = fake_count_calls("connect");
        Step(in);
        g_connectCalls += fake_count_calls("connect") - before;
        CheckState();
    }
    // What the input added to the fake goes with it: an input that leaves
    // more allocated than it found is run again for a leak check.
    fake_reset();
    return 0;
}
