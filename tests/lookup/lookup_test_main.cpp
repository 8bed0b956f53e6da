#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "afxstr.h"
#include "lookup_driver.h"

std::vector<std::string> Strings(const CStringArray& array) {
    std::vector<std::string> out;
    for (int i = 0; i < array.GetSize(); ++i)
        out.push_back(array[i].GetString());
    return out;
}

namespace {
void FailTest(const std::string& text) {
    ADD_FAILURE() << text;
}
} // namespace

int main(int argc, char** argv) {
    // A crash must end the program at once: under Wine it would otherwise
    // wait in a debugger for a click that never comes.
    EndOnCrash();
    SetDriverFailureHandler(FailTest);
    BePerMonitorAware();
    // Dates and times in the item list are local: fix the zone they are
    // shown in.
    _putenv("TZ=UTC");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
