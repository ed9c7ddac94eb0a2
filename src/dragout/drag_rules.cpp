#include "dragout/drag_rules.h"

#include <cstdlib>

namespace dragout {

bool PastDragThreshold(int startX, int startY, int x, int y, int dpi) noexcept {
    const long long threshold = win::ScaleToDpi(kDragThreshold, dpi);
    // Widened so that points at the far ends of the int range cannot overflow.
    long long dx = static_cast<long long>(x) - startX;
    long long dy = static_cast<long long>(y) - startY;
    return std::llabs(dx) >= threshold || std::llabs(dy) >= threshold;
}

DragVerdict ContinueVerdict(bool escapePressed, bool leftButton, bool rightButton) noexcept {
    if (escapePressed || rightButton)
        return DragVerdict::Cancel;
    return leftButton ? DragVerdict::Continue : DragVerdict::Drop;
}

unsigned long PackMousePoint(int x, int y) noexcept {
    return (static_cast<unsigned long>(y) & 0xFFFFu) << 16 |
           (static_cast<unsigned long>(x) & 0xFFFFu);
}

} // namespace dragout
