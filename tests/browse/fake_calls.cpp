#include "browse_test_support.h"
#include "fake_kelvast.h"

std::vector<std::string> FakeCallsFrom(size_t first) {
    std::vector<std::string> calls;
    for (int i = static_cast<int>(first); i < fake_call_count(); ++i)
        calls.push_back(fake_call(i));
    return calls;
}

std::vector<std::string> FakeCalls() {
    return FakeCallsFrom(0);
}

std::string Listing(const std::vector<std::string>& calls) {
    std::string text = "storage calls:";
    for (const std::string& c : calls)
        text += "\n  " + c;
    if (calls.empty())
        text += " none";
    return text;
}
