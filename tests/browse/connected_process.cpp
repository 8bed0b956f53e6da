// The suites of browse_tests share one process: it connects before the
// first test, so that no test sees the one-time connection calls. Facts
// about that first connection live in first_contact_test.cpp.
#include "fake_kelvast.h"
#include "tavorin.h"

#include <gtest/gtest.h>

namespace {

class ConnectedProcess : public testing::Environment {
  public:
    void SetUp() override {
        fake_reset();
        fake_set_connect_result(1);
        CountAreas("");
        ASSERT_EQ(fake_count_calls("connect"), 1) << "the first area count should connect";
        fake_reset();
    }
};

testing::Environment* const g_connected = testing::AddGlobalTestEnvironment(new ConnectedProcess);

} // namespace
