#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "afxstr.h"

std::vector<std::string> Strings(const CStringArray& array) {
    std::vector<std::string> out;
    for (int i = 0; i < array.GetSize(); ++i)
        out.push_back(array[i].GetString());
    return out;
}

namespace {
// A crash must end the program at once: under Wine it would otherwise wait
// in a debugger for a click that never comes.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "crash 0x%lx\n", info->ExceptionRecord->ExceptionCode);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
}
} // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(EndOnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // Dates and times in the item list are local: fix the zone they are
    // shown in.
    _putenv("TZ=UTC");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
