#include "win/layout.h"

#include <algorithm>

namespace win {

void ApplyAlignment(const Bounds& area, std::vector<AlignedItem>& items) {
    int left = area.left;
    int top = area.top;
    int right = area.left + area.width;
    int bottom = area.top + area.height;

    auto each = [&](Align align, auto place) {
        for (AlignedItem& item : items) {
            if (item.align == align && item.visible) place(item.bounds);
        }
    };
    each(Align::Top, [&](Bounds& b) {
        b = {left, top, std::max(0, right - left), b.height};
        top += b.height;
    });
    each(Align::Bottom, [&](Bounds& b) {
        b = {left, bottom - b.height, std::max(0, right - left), b.height};
        bottom -= b.height;
    });
    each(Align::Left, [&](Bounds& b) {
        b = {left, top, b.width, std::max(0, bottom - top)};
        left += b.width;
    });
    each(Align::Right, [&](Bounds& b) {
        b = {right - b.width, top, b.width, std::max(0, bottom - top)};
        right -= b.width;
    });
    each(Align::Client, [&](Bounds& b) {
        b = {left, top, std::max(0, right - left), std::max(0, bottom - top)};
    });
}

} // namespace win
