// Alignment of child controls: strips along the edges and one control filling the rest.
// Kept free of the platform so it can be tested on the host.
#pragma once

#include <vector>

namespace win {

enum class Align { None, Top, Bottom, Left, Right, Client };

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct AlignedItem {
    Align align = Align::None;
    Bounds bounds;       // in: current bounds (strips keep their thickness); out: new bounds
    bool visible = true; // hidden items take no room and keep their bounds
};

// Designed lengths are for a screen of this many dots per inch; at any other the program
// scales them, rounding as the platform's MulDiv does (halves away from zero).
inline constexpr int kDesignedDpi = 96;
int ScaleToDpi(int designed, int dpi) noexcept;
// A length at dpi in designed units, rounded the same way.
int ScaleFromDpi(int length, int dpi) noexcept;
Bounds ScaleToDpi(const Bounds& designed, int dpi) noexcept;

// Places the items inside area: top strips first, then bottom, left and right strips, each
// group in list order, then every filling item takes what is left. Placed items stay put.
void ApplyAlignment(const Bounds& area, std::vector<AlignedItem>& items);

} // namespace win
