// Proves the host build of the portable code: GoogleTest runs, and the sanitizers that the
// portable tests rely on are really compiled in (a fault aborts the test, not just a warning).
// Remove the sorting case once real portable tests exist; keep the sanitizer cases.

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(InfraSmoke, StandardLibrarySortsWideStrings) {
    std::vector<std::wstring> names{L"b.txt", L"a.txt", L"c.txt"};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt"}));
}

int ReadPastEnd(std::size_t count) {
    std::vector<int> values(count, 1);
    // The read one past the end is what AddressSanitizer must catch.
    return values.data()[count];
}

TEST(InfraSmokeDeathTest, AddressSanitizerStopsAHeapOverflow) {
    volatile std::size_t count = 4;
    EXPECT_DEATH(ReadPastEnd(count), "heap-buffer-overflow");
}

int Add(int a, int b) { return a + b; }

TEST(InfraSmokeDeathTest, UndefinedBehaviourSanitizerStopsASignedOverflow) {
    volatile int big = INT_MAX;
    EXPECT_DEATH(Add(big, 1), "signed integer overflow");
}

} // namespace
