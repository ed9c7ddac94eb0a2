#include "app/header_geometry.h"

namespace app {

HeaderLayout LayoutHeaderItem(const HeaderRect& item, bool pressed) {
    HeaderRect text{item.left + 6, item.top + 2, item.right - 6, item.bottom - 1};
    HeaderRect triangle{text.right - 8, text.top + 2, text.right, text.bottom - 4};
    text.right = triangle.left;
    if (pressed) {
        for (HeaderRect* r : {&text, &triangle}) {
            r->left += 1;
            r->right += 1;
            r->top += 1;
            r->bottom += 1;
        }
    }
    return {text, triangle};
}

std::array<HeaderPoint, 3> SortArrowPoints(const HeaderRect& t, bool up) {
    const int32_t m = t.left + (t.right - t.left) / 2;
    if (up)
        return {{{m, t.top}, {t.right, t.bottom}, {t.left, t.bottom}}};
    return {{{t.right, t.top}, {m, t.bottom}, {t.left, t.top}}};
}

} // namespace app
