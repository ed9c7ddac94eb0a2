#include "filelist/header_geometry.h"

#include <algorithm>

namespace filelist {

namespace {

// The item rectangle comes from the header control; whatever it holds, an edge moved past the
// coordinates' range stops at the range's end instead of wrapping around.
int32_t Moved(int32_t edge, int32_t by) {
    const int64_t moved = int64_t{edge} + by;
    return static_cast<int32_t>(std::clamp<int64_t>(moved, INT32_MIN, INT32_MAX));
}

} // namespace

HeaderLayout LayoutHeaderItem(const HeaderRect& item, bool pressed, int dpi) {
    auto scaled = [dpi](int designed) { return win::ScaleToDpi(designed, dpi); };
    const int32_t shift = pressed ? scaled(1) : 0;
    HeaderRect text{Moved(item.left, scaled(6) + shift), Moved(item.top, scaled(2) + shift),
                    Moved(item.right, scaled(-14) + shift), Moved(item.bottom, scaled(-1) + shift)};
    HeaderRect triangle{text.right, Moved(item.top, scaled(4) + shift),
                        Moved(item.right, scaled(-6) + shift),
                        Moved(item.bottom, scaled(-5) + shift)};
    return {text, triangle};
}

std::array<HeaderPoint, 3> SortArrowPoints(const HeaderRect& t, bool up) {
    // Halfway between two 32-bit edges always fits in 32 bits; their distance may not.
    const int32_t m = static_cast<int32_t>(int64_t{t.left} + (int64_t{t.right} - t.left) / 2);
    if (up)
        return {{{m, t.top}, {t.right, t.bottom}, {t.left, t.bottom}}};
    return {{{t.right, t.top}, {m, t.bottom}, {t.left, t.top}}};
}

} // namespace filelist
