#include "filelist/sort_rules.h"

#include <algorithm>

#include <cstddef>

using std::size_t;

namespace filelist {

int32_t SortSigns::Sign(int column) const {
    if (column < 0 || static_cast<size_t>(column) >= signs_.size())
        return kStartSign;
    return signs_[static_cast<size_t>(column)];
}

int32_t SortSigns::Take(int column) {
    if (column < 0)
        return kStartSign;
    if (static_cast<size_t>(column) >= signs_.size()) {
        signs_.resize(static_cast<size_t>(column) + 1, kStartSign);
    }
    int32_t& sign = signs_[static_cast<size_t>(column)];
    int32_t now = sign;
    sign = -sign;
    return now;
}

namespace {
struct Stopped {};
} // namespace

std::optional<std::vector<uint32_t>>
SortOrder(size_t count, int32_t sign, const std::function<int(uint32_t, uint32_t)>& compare,
          const std::function<bool()>& keepGoing) {
    std::vector<uint32_t> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = static_cast<uint32_t>(i);
    size_t comparisons = 0;
    try {
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            // Asked seldom: a comparison is far cheaper than the question.
            if ((++comparisons & 0xFFFF) == 0 && !keepGoing())
                throw Stopped{};
            return SortsBefore(compare(a, b), sign);
        });
    } catch (const Stopped&) {
        return std::nullopt;
    }
    return order;
}

} // namespace filelist
