// Where the sorted column's header item puts its caption and its triangle.
#pragma once

#include <array>
#include <cstdint>

#include "win/layout.h"

namespace filelist {

struct HeaderRect {
    int32_t left, top, right, bottom;
    friend bool operator==(const HeaderRect&, const HeaderRect&) = default;
};

struct HeaderPoint {
    int32_t x, y;
    friend bool operator==(const HeaderPoint&, const HeaderPoint&) = default;
};

struct HeaderLayout {
    HeaderRect text;
    HeaderRect triangle;
};

// The caption's and the triangle's rectangles inside an item rectangle; a pressed item shows
// both one (designed) pixel further right and down. Every offset is scaled to dpi.
HeaderLayout LayoutHeaderItem(const HeaderRect& item, bool pressed, int dpi = win::kDesignedDpi);

// The triangle's three corners, in drawing order, inside its rectangle.
std::array<HeaderPoint, 3> SortArrowPoints(const HeaderRect& triangle, bool up);

} // namespace filelist
