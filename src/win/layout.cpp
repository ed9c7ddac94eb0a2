#include "win/layout.h"

#include <algorithm>
#include <climits>

namespace win {
namespace {

int RoundedMulDiv(int value, int multiplier, int divisor) noexcept {
    const long long product = static_cast<long long>(value) * multiplier;
    const long long half = divisor / 2;
    const long long rounded = (product < 0 ? product - half : product + half) / divisor;
    return static_cast<int>(std::clamp<long long>(rounded, INT_MIN, INT_MAX));
}

} // namespace

int ScaleToDpi(int designed, int dpi) noexcept {
    return RoundedMulDiv(designed, dpi, kDesignedDpi);
}

int ScaleFromDpi(int length, int dpi) noexcept {
    return dpi > 0 ? RoundedMulDiv(length, kDesignedDpi, dpi) : length;
}

Bounds ScaleToDpi(const Bounds& b, int dpi) noexcept {
    return {ScaleToDpi(b.left, dpi), ScaleToDpi(b.top, dpi), ScaleToDpi(b.width, dpi),
            ScaleToDpi(b.height, dpi)};
}

void ApplyAlignment(const Bounds& area, std::vector<AlignedItem>& items) {
    int left = area.left;
    int top = area.top;
    int right = area.left + area.width;
    int bottom = area.top + area.height;

    auto each = [&](Align align, auto place) {
        for (AlignedItem& item : items) {
            if (item.align == align && item.visible)
                place(item.bounds);
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
