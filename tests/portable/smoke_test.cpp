// Proves that the sanitizers the portable tests rely on are really compiled into the host
// build: a fault aborts the test with the sanitizer's report, it does not just pass unnoticed.

#include <climits>
#include <vector>

#include <gtest/gtest.h>

namespace {

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
