#include "filelist/sort_rules.h"

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

} // namespace filelist
