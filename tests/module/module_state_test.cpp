// Which module state is current around the enumeration functions: the
// type names load with the module's own state, the storage library gets the
// network name with it, and every call hands the caller's state back.
#include "afxres_posix.h"
#include "afxstate.h"
#include "fake_kelvast.h"
#include "afxstr.h"
#include "tavorin.h"

#include "gtest/gtest.h"

#include <string>

// No drives: device walks list what the storage reports for 0: to 9:.
uint32_t PlatformLogicalDrives() {
    return 0;
}

namespace {

// Strings of a caller with resources of its own, and of a resource library
// the module has taken in place of its own strings.
const AfxStringResource kCallerStrings[] = {{8, "caller's string 8"}};
const AfxStringTable kCallerTable = {kCallerStrings, 1};
AFX_MODULE_STATE g_caller = {const_cast<AfxStringTable*>(&kCallerTable),
                             const_cast<AfxStringTable*>(&kCallerTable)};

const AfxStringResource kLocalStrings[] = {
    {1, "L1"},   {2, "L2"},   {3, "L3"},   {4, "L4"},   {5, "L5"},   {6, "L6"},
    {7, "L7"},   {8, "L8"},   {9, "L9"},   {10, "L10"}, {11, "L11"}, {12, "L12"},
    {13, "L13"}, {14, "L14"}, {15, "L15"}, {16, "L16"}, {17, "L17"}, {18, "L18"},
    {19, "L19"}, {20, "L20"}, {21, "L21"}, {22, "L22"}, {23, "L23"}, {24, "L24"}};
const AfxStringTable kLocalTable = {kLocalStrings, 24};

void* CurrentState() {
    return AfxGetModuleState();
}

TEST(ModuleState, TypeNamesComeFromTheModulesSourceAndTheCallersStateReturns) {
    HINSTANCE hOwn = g_moduleState.m_hCurrentResourceHandle;
    g_moduleState.m_hCurrentResourceHandle = const_cast<AfxStringTable*>(&kLocalTable);
    AFX_MAINTAIN_STATE2 caller(&g_caller);

    int code = 0;
    const char* first = ListFirstType(&code); // the one call that loads the names
    ASSERT_NE(nullptr, first);
    EXPECT_STREQ("L1", first);
    EXPECT_EQ(&g_caller, AfxGetModuleState()) << "after the loading ListFirstType";
    for (int row = 1; row < 9; ++row)
        ListNextType(&code);
    EXPECT_EQ(&g_caller, AfxGetModuleState()) << "after ListNextType";

    EXPECT_STREQ("L1", ListFirstType(&code));
    EXPECT_EQ(&g_caller, AfxGetModuleState()) << "after a ListFirstType that loads nothing";
    g_moduleState.m_hCurrentResourceHandle = hOwn;
}

TEST(ModuleState, EnumerationRunsInTheCallersStateExceptTheNetworkHandOver) {
    fake_reset();
    fake_set_state_probe(CurrentState);
    fake_add_area("C:*", "C:PATTERNS");
    fake_add_area("3:*", "3:MODELS");
    fake_add_item("C:PATTERNS", 9, "AB1", 10, 0);
    AFX_MAINTAIN_STATE2 caller(&g_caller);

    struct {
        const char* call;
        bool (*run)();
    } const calls[] = {
        {"CountAreas", [] { return CountAreas("C:") == 1; }},
        {"ListFirstArea", [] { return ListFirstArea("C:") != nullptr; }},
        {"ListNextArea", [] { return ListNextArea() == nullptr; }},
        {"ListFirstComputer", [] { return ListFirstComputer() != nullptr; }},
        {"ListNextComputer", [] { return ListNextComputer() == nullptr; }},
        {"ListFirstDevice", [] { return ListFirstDevice("\\\\.", LF_NETWORK) != nullptr; }},
        {"ListNextDevice", [] { return ListNextDevice() != nullptr; }},
        {"ListFirstItem", [] { return ListFirstItem("C:", "PATTERNS", 9, "*") != nullptr; }},
        {"ListNextItem", [] { return ListNextItem() == nullptr; }},
        {"StoreFailedConnections",
         [] {
             CStringList numbers;
             StoreFailedConnections(numbers);
             return true;
         }},
    };
    for (const auto& c : calls) {
        EXPECT_TRUE(c.run()) << c.call << " did not answer as scripted";
        EXPECT_EQ(&g_caller, AfxGetModuleState()) << "after " << c.call;
    }
    EXPECT_EQ(1, fake_count_calls("connect"));
    EXPECT_EQ(static_cast<void*>(&g_moduleState), fake_state_at_set_network())
        << "the storage library must get the network name with the module's state current";
}

} // namespace
