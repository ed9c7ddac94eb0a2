#include <gtest/gtest.h>

#include "intake/hand_over_format.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Paths = std::vector<std::wstring>;

Bytes Units(std::initializer_list<int> units) {
    Bytes bytes;
    for (int unit : units) {
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return bytes;
}

std::optional<intake::HandOver> Decode(const Bytes& bytes) {
    return intake::DecodeHandOver(bytes.data(), bytes.size());
}

TEST(HandOverFormat, EncodesUtf16WithEachEntryNulTerminatedAndOneMoreNulAtTheEnd) {
    EXPECT_EQ(intake::EncodeHandOver({L"P", {L"ab", L"\x3042"}}),
              Units({'P', 0, 'a', 'b', 0, 0x3042, 0, 0}));
}

TEST(HandOverFormat, RoundTripKeepsOrderDuplicatesAndLeavesOutEmptyPaths) {
    const intake::HandOver in{L"C:\\t\\tuckbay.exe", {L"C:\\b.txt", L"", L"C:\\a.txt", L"C:\\b.txt"}};
    auto out = Decode(intake::EncodeHandOver(in));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->program, in.program);
    EXPECT_EQ(out->paths, (Paths{L"C:\\b.txt", L"C:\\a.txt", L"C:\\b.txt"}));
}

TEST(HandOverFormat, RefusesDataThatIsNotAWholeHandOver) {
    EXPECT_FALSE(Decode({}));
    EXPECT_FALSE(intake::DecodeHandOver(nullptr, 4));
    // odd byte count
    Bytes odd = Units({'P', 0, 'a', 0, 0});
    odd.push_back(0);
    EXPECT_FALSE(Decode(odd));
    // no closing NUL, or no terminator at all
    EXPECT_FALSE(Decode(Units({'P', 0, 'a', 0})));
    EXPECT_FALSE(Decode(Units({'P', 0, 'a'})));
    // an empty entry before the end: the list would end early
    EXPECT_FALSE(Decode(Units({'P', 0, 0, 'a', 0, 0})));
    EXPECT_FALSE(Decode(Units({'P', 0, 'a', 0, 0, 0})));
    // no path, no program
    EXPECT_FALSE(Decode(Units({'P', 0, 0})));
    EXPECT_FALSE(Decode(Units({0, 'a', 0, 0})));
    EXPECT_FALSE(Decode(Units({0})));
}

TEST(HandOverFormat, RefusesMoreThanTheLimitUnread) {
    // A claimed size past the limit is refused before any byte is read.
    const unsigned char one = 0;
    EXPECT_FALSE(intake::DecodeHandOver(&one, intake::kHandOverLimit + 2));
    Bytes atLimit(intake::kHandOverLimit, 'a');
    const Bytes end = Units({0, 'b', 0, 0});
    std::copy(end.begin(), end.end(), atLimit.end() - end.size());
    auto decoded = Decode(atLimit);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->paths, Paths{L"b"});
}

} // namespace
