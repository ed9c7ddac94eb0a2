// The sorted column header item's caption and triangle, for any item rectangle.
#include "filelist/header_geometry.h"
#include "check.h"

#include <cstring>

namespace {

using filelist::HeaderRect;

bool Fits(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// The layout's defining offsets, in 64 bits: the text inset 6, 2, 6, 1 with the triangle's 8
// pixels taken from its right end, the triangle 2 below the text's top and 4 above its bottom;
// pressed, one pixel right and down.
void CheckLayout(const HeaderRect& item, bool pressed) {
    const auto layout = filelist::LayoutHeaderItem(item, pressed);
    const int64_t shift = pressed ? 1 : 0;
    const int64_t want[8] = {
        int64_t{item.left} + 6 + shift,   int64_t{item.top} + 2 + shift,
        int64_t{item.right} - 14 + shift, int64_t{item.bottom} - 1 + shift,
        int64_t{item.right} - 14 + shift, int64_t{item.top} + 4 + shift,
        int64_t{item.right} - 6 + shift,  int64_t{item.bottom} - 5 + shift,
    };
    const int32_t got[8] = {layout.text.left,      layout.text.top,       layout.text.right,
                            layout.text.bottom,    layout.triangle.left,  layout.triangle.top,
                            layout.triangle.right, layout.triangle.bottom};
    for (int i = 0; i < 8; ++i) {
        // Past the coordinates' range an edge stops at the range's end.
        const int64_t clamped = want[i] < INT32_MIN   ? INT32_MIN
                                : want[i] > INT32_MAX ? INT32_MAX
                                                      : want[i];
        FUZZ_CHECK(got[i] == clamped);
    }
    FUZZ_CHECK(layout.text.right == layout.triangle.left);
    if (Fits(want[4]) && Fits(want[6]))
        FUZZ_CHECK(int64_t{layout.triangle.right} - layout.triangle.left == 8);
    // An item wide and tall enough for a caption keeps both rectangles in order.
    if (int64_t{item.right} - item.left >= 20 && int64_t{item.bottom} - item.top >= 9) {
        FUZZ_CHECK(layout.text.left <= layout.text.right);
        FUZZ_CHECK(layout.text.top <= layout.text.bottom);
        FUZZ_CHECK(layout.triangle.left <= layout.triangle.right);
        FUZZ_CHECK(layout.triangle.top <= layout.triangle.bottom);
    }
}

// The corners lie on the rectangle's edges, the tip halfway across (rounded toward the left
// edge's side, the division truncated toward zero).
void CheckArrow(const HeaderRect& t, bool up) {
    const auto points = filelist::SortArrowPoints(t, up);
    const int64_t m = int64_t{t.left} + (int64_t{t.right} - t.left) / 2;
    FUZZ_CHECK(Fits(m));
    if (up) {
        FUZZ_CHECK((points[0] == filelist::HeaderPoint{static_cast<int32_t>(m), t.top}));
        FUZZ_CHECK((points[1] == filelist::HeaderPoint{t.right, t.bottom}));
        FUZZ_CHECK((points[2] == filelist::HeaderPoint{t.left, t.bottom}));
    } else {
        FUZZ_CHECK((points[0] == filelist::HeaderPoint{t.right, t.top}));
        FUZZ_CHECK((points[1] == filelist::HeaderPoint{static_cast<int32_t>(m), t.bottom}));
        FUZZ_CHECK((points[2] == filelist::HeaderPoint{t.left, t.top}));
    }
    if (t.left <= t.right)
        FUZZ_CHECK(t.left <= m && m <= t.right);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 17)
        return 0;
    HeaderRect rect;
    std::memcpy(&rect.left, data, 4);
    std::memcpy(&rect.top, data + 4, 4);
    std::memcpy(&rect.right, data + 8, 4);
    std::memcpy(&rect.bottom, data + 12, 4);
    const bool pressed = data[16] & 1;
    const bool up = data[16] & 2;
    CheckLayout(rect, pressed);
    CheckArrow(rect, up);
    CheckArrow(filelist::LayoutHeaderItem(rect, pressed).triangle, up);
    return 0;
}
