// The sort direction of each column: every sort by a column uses its sign, then turns it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace filelist {

class SortSigns {
public:
    // The first sort of any column is descending.
    static constexpr int32_t kStartSign = -1;

    int32_t Sign(int column) const;
    // Returns the sign to sort with now and stores its negation for the next sort.
    int32_t Take(int column);

private:
    std::vector<int32_t> signs_;
};

// Orders two texts by a comparison result in the manner of lstrcmp (negative when a sorts
// first) times the column's sign: true when a goes before b.
constexpr bool SortsBefore(int comparison, int32_t sign) { return comparison * sign < 0; }

// The order of count entries by a comparison of two of them (negative when the first sorts
// first) times sign; entries that compare equal keep their order. order[i] is the entry for
// place i. keepGoing is asked now and then; when it says no, the sort stops and nothing is
// returned.
std::optional<std::vector<uint32_t>>
SortOrder(size_t count, int32_t sign, const std::function<int(uint32_t, uint32_t)>& compare,
          const std::function<bool()>& keepGoing);

} // namespace filelist
