// The device walk: which devices come back, in which order, and what each
// one costs in storage calls.
#include "browse_test_support.h"
#include "fake_kelvast.h"
#include "afxstr.h"
#include "tavorin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const uint32_t kBit = 1;
const int kLetters = 26;

std::string DeviceOf(char c) {
    return std::string(1, c) + ":";
}
std::string Count(char c) {
    return "count " + DeviceOf(c) + "*";
}

// Results until null, bounded so that a walk that never ends fails.
std::vector<std::string> Rest(const char* first) {
    std::vector<std::string> names;
    for (const char* name = first; name && names.size() < 64; name = ListNextDevice())
        names.push_back(name);
    return names;
}

void MarkFailed(std::initializer_list<const char*> numbers) {
    CStringList list;
    for (const char* n : numbers)
        list.AddTail(n);
    StoreFailedConnections(list);
}

class DeviceWalk : public testing::Test {
  protected:
    void SetUp() override {
        // A: (floppy), C:, D:, F: and Z:, plus bits the walk must never read.
        if (DriveMaskSettable())
            SetDriveMask(kBit << 0 | kBit << 2 | kBit << 3 | kBit << 5 | kBit << 25 | 0xFC000000u);
        mask = DriveMask();
        fake_reset();
        MarkFailed({});
        // The first present drive after A: holds areas, the others none.
        for (int i = 1; i < kLetters; ++i) {
            if (DrivePresent(mask, i)) {
                storedDrive = static_cast<char>('A' + i);
                break;
            }
        }
        if (storedDrive)
            fake_add_area((DeviceOf(storedDrive) + "*").c_str(), "PATTERNS");
        for (const char* device : {"1:*", "4:*", "9:*"})
            fake_add_area(device, "AREA");
    }

    // Probes of a walk over every present drive B: to Z: and every numbered
    // device not in skipped.
    std::vector<std::string> Probes(const std::string& skipped = "") const {
        std::vector<std::string> calls;
        for (int i = 1; i < kLetters; ++i)
            if (DrivePresent(mask, i))
                calls.push_back(Count(static_cast<char>('A' + i)));
        for (char d = '0'; d <= '9'; ++d)
            if (skipped.find(d) == std::string::npos)
                calls.push_back(Count(d));
        return calls;
    }

    std::vector<std::string> Numbered() const { return {"1:", "4:", "9:"}; }

    uint32_t mask = 0;
    char storedDrive = 0;
};

TEST_F(DeviceWalk, OrderIsNetworkThenDrivesThenNumberedDevices) {
    std::vector<std::string> expected = {"NET:"};
    if (DrivePresent(mask, 0))
        expected.push_back("A:");
    if (storedDrive)
        expected.push_back(DeviceOf(storedDrive));
    for (const std::string& d : Numbered())
        expected.push_back(d);

    const std::vector<std::string> names =
        Rest(ListFirstDevice("\\\\.", LF_NETWORK | LF_DRIVE_A | LF_LOCAL_DRIVES));
    EXPECT_EQ(names, expected);

    std::vector<std::string> calls = {"get_network \\\\. 7"};
    for (const std::string& c : Probes())
        calls.push_back(c);
    EXPECT_EQ(FakeCalls(), calls) << Listing(FakeCalls());
}

TEST_F(DeviceWalk, NetworkDeviceIsTheStorageLibrarysTextUnchanged) {
    fake_set_network_name("\\\\SERVER\\SHARE");
    const char* first = ListFirstDevice(".", LF_NETWORK | 0x100);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "\\\\SERVER\\SHARE");
    // The computer name and flags go over as the caller gave them.
    EXPECT_EQ(FakeCalls(), std::vector<std::string>{"get_network . 260"}) << Listing(FakeCalls());
    // The walk goes on with the drives and numbered devices afterwards.
    EXPECT_EQ(Rest(ListNextDevice()), Numbered());
}

TEST_F(DeviceWalk, NullNetworkNameEndsNothingButTheFirstCall) {
    fake_set_network_name(nullptr);
    EXPECT_EQ(ListFirstDevice("\\\\.", LF_NETWORK | LF_LOCAL_DRIVES), nullptr);
    std::vector<std::string> expected;
    if (storedDrive)
        expected.push_back(DeviceOf(storedDrive));
    for (const std::string& d : Numbered())
        expected.push_back(d);
    EXPECT_EQ(Rest(ListNextDevice()), expected);
}

TEST_F(DeviceWalk, OnlyTheLocalComputerIsAccepted) {
    for (const char* computer : {".", "\\\\."}) {
        EXPECT_NE(ListFirstDevice(computer, 0), nullptr) << "computer \"" << computer << "\"";
    }
    for (const char* computer :
         {"", "\\\\", "\\\\\\\\.", "..", "\\\\..", "\\.", ".\\\\", "x", "\\\\.\\", "LOCAL", " ."}) {
        fake_reset();
        EXPECT_EQ(ListFirstDevice(computer, LF_NETWORK | LF_LOCAL_DRIVES), nullptr)
            << "computer \"" << computer << "\"";
        EXPECT_TRUE(FakeCalls().empty()) << "computer \"" << computer << "\"\n"
                                         << Listing(FakeCalls());
    }
}

TEST_F(DeviceWalk, RefusedComputerStillReplacesTheFlagsOfTheWalk) {
    if (!storedDrive)
        GTEST_SKIP() << "no drive letter besides A: on this machine";
    ASSERT_STREQ(ListFirstDevice(".", LF_LOCAL_DRIVES), DeviceOf(storedDrive).c_str());
    const size_t before = FakeCalls().size();
    EXPECT_EQ(ListFirstDevice("other", 0), nullptr);
    // Same cursor and drives, new flags: the later drives are probed but no
    // longer offered.
    EXPECT_EQ(Rest(ListNextDevice()), Numbered());
    std::vector<std::string> rest;
    for (int i = storedDrive - 'A' + 1; i < kLetters; ++i)
        if (DrivePresent(mask, i))
            rest.push_back(Count(static_cast<char>('A' + i)));
    for (char d = '0'; d <= '9'; ++d)
        rest.push_back(Count(d));
    EXPECT_EQ(FakeCallsFrom(before), rest) << Listing(FakeCallsFrom(before));
}

TEST_F(DeviceWalk, WithoutFlagsDrivesAreProbedButOnlyNumberedDevicesOffered) {
    EXPECT_EQ(Rest(ListFirstDevice(".", 0)), Numbered());
    EXPECT_EQ(FakeCalls(), Probes()) << Listing(FakeCalls());
}

TEST_F(DeviceWalk, NetworkFlagWithoutOtherFlagsStartsWithTheNetwork) {
    std::vector<std::string> expected = {"NET:"};
    for (const std::string& d : Numbered())
        expected.push_back(d);
    EXPECT_EQ(Rest(ListFirstDevice(".", LF_NETWORK)), expected);
}

TEST_F(DeviceWalk, DriveAIsNeverProbed) {
    if (!DrivePresent(mask, 0))
        GTEST_SKIP() << "no drive A: on this machine";
    fake_add_area("A:*", "FLOPPY");
    const char* first = ListFirstDevice(".", LF_DRIVE_A);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "A:");
    Rest(ListNextDevice());
    EXPECT_EQ(fake_count_calls("count A:"), 0) << Listing(FakeCalls());

    fake_reset();
    fake_add_area("A:*", "FLOPPY");
    for (const std::string& name : Rest(ListFirstDevice(".", LF_LOCAL_DRIVES)))
        EXPECT_NE(name, "A:") << "A: offered without LF_DRIVE_A";
    EXPECT_EQ(fake_count_calls("count A:"), 0) << Listing(FakeCalls());
}

TEST_F(DeviceWalk, OnlyACountOfExactlyOneWithAreasOffersADevice) {
    fake_set_count("1:*", 0, 5); // failed, count set anyway
    fake_set_count("4:*", 2, 5); // not exactly 1
    fake_set_count("9:*", 1, 0); // no areas
    fake_set_count("6:*", 1, 3);
    EXPECT_EQ(Rest(ListFirstDevice(".", 0)), std::vector<std::string>{"6:"});
}

TEST_F(DeviceWalk, FailedNumberedDevicesAreSkippedWithoutAProbe) {
    MarkFailed({"4:", "9"});
    EXPECT_EQ(Rest(ListFirstDevice(".", 0)), std::vector<std::string>{"1:"});
    EXPECT_EQ(FakeCalls(), Probes("49")) << Listing(FakeCalls());

    // An empty list clears every mark.
    fake_reset();
    for (const char* device : {"1:*", "4:*", "9:*"})
        fake_add_area(device, "AREA");
    MarkFailed({});
    EXPECT_EQ(Rest(ListFirstDevice(".", 0)), Numbered());
    EXPECT_EQ(FakeCalls(), Probes()) << Listing(FakeCalls());
}

TEST_F(DeviceWalk, FailedDeviceNumbersAreReadAsAtoiReadsThem) {
    // Leading blanks and a sign pass; reading stops at the first non-digit;
    // text without a number is device 0.
    MarkFailed({" 4", "+9x", "C:"});
    EXPECT_EQ(Rest(ListFirstDevice(".", 0)), std::vector<std::string>{"1:"});
    EXPECT_EQ(FakeCalls(), Probes("049")) << Listing(FakeCalls());
}

TEST_F(DeviceWalk, MarksOutsideZeroToNineMarkNothingAndCorruptNothing) {
    // A pattern that a stray mark past the end of the marks would overwrite.
    fake_add_area("D:*", "ONE");
    fake_add_area("D:*", "TWO");
    ASSERT_STREQ(ListFirstArea("D:"), "ONE");
    MarkFailed({"10", "-1", "99:", "-10", "2147483647", "-2147483647", "1"});
    const size_t before = FakeCalls().size();
    EXPECT_STREQ(ListNextArea(), "TWO");
    EXPECT_EQ(FakeCallsFrom(before), std::vector<std::string>{"areas D:* 1"})
        << Listing(FakeCallsFrom(before));

    fake_reset();
    for (const char* device : {"1:*", "4:*", "9:*"})
        fake_add_area(device, "AREA");
    EXPECT_EQ(Rest(ListFirstDevice(".", 0)), (std::vector<std::string>{"4:", "9:"}));
    EXPECT_EQ(FakeCalls(), Probes("1")) << Listing(FakeCalls());
}

TEST_F(DeviceWalk, NewMarksApplyToTheDevicesAWalkHasYetToReach) {
    EXPECT_STREQ(ListFirstDevice(".", 0), "1:");
    MarkFailed({"4"});
    EXPECT_EQ(Rest(ListNextDevice()), std::vector<std::string>{"9:"});
    EXPECT_EQ(fake_count_calls("count 4:"), 0) << Listing(FakeCalls());
}

TEST_F(DeviceWalk, EveryDeviceComesBackInTheOneBuffer) {
    char* first = ListFirstDevice(".", 0);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "1:");
    char* second = ListNextDevice();
    EXPECT_EQ(second, first);
    // A caller that kept the first pointer sees the new device.
    EXPECT_STREQ(first, "4:");
}

TEST_F(DeviceWalk, AnEndedWalkStaysEndedWithoutProbing) {
    Rest(ListFirstDevice(".", LF_LOCAL_DRIVES));
    const size_t before = FakeCalls().size();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ListNextDevice(), nullptr) << "call " << i << " after the end";
    EXPECT_EQ(FakeCalls().size(), before) << Listing(FakeCallsFrom(before));
}

TEST_F(DeviceWalk, CostsOneCountPerPresentDriveAndUnmarkedNumberedDevice) {
    if (DriveMaskSettable()) {
        SetDriveMask(0xFFFFFFFFu); // A: to Z:, and bits 26 to 31 that name no drive
        mask = DriveMask();
    }
    MarkFailed({"2", "5", "8"});
    Rest(ListFirstDevice(".", LF_DRIVE_A | LF_LOCAL_DRIVES));
    int presentDrives = 0;
    for (int i = 1; i < kLetters; ++i)
        presentDrives += DrivePresent(mask, i);
    EXPECT_EQ(fake_count_calls("count "), presentDrives + 7) << Listing(FakeCalls());
    EXPECT_EQ(fake_call_count(), presentDrives + 7) << Listing(FakeCalls());
}

TEST(Computers, OnlyTheLocalComputerAndNoStorageCall) {
    fake_reset();
    const char* local = ListFirstComputer();
    ASSERT_NE(local, nullptr);
    EXPECT_STREQ(local, "\\\\.");
    EXPECT_EQ(ListFirstComputer(), local);
    EXPECT_EQ(ListNextComputer(), nullptr);
    EXPECT_EQ(ListNextComputer(), nullptr);
    EXPECT_EQ(fake_call_count(), 0) << Listing(FakeCalls());
}

} // namespace
