// The drag-out's decisions that need no platform, kept apart so they run in host tests.
#pragma once

#include "win/layout.h"

namespace dragout {

// The pointer has to travel this far (in designed pixels, scaled to the screen's DPI) on one
// axis from the press point before a drag starts. A fixed distance, not the system's drag
// rectangle.
inline constexpr int kDragThreshold = 5;

// True when the move from the press point (startX, startY) to (x, y) starts the drag.
bool PastDragThreshold(int startX, int startY, int x, int y, int dpi = win::kDesignedDpi) noexcept;

enum class DragVerdict { Continue, Drop, Cancel };

// The drop source's answer to the drag loop: Escape or the right button cancel, a release of
// the left button drops. Other buttons and the modifier keys play no part on this side.
DragVerdict ContinueVerdict(bool escapePressed, bool leftButton, bool rightButton) noexcept;

// The lParam of a mouse message for a point: each coordinate cut to 16 bits, X low, Y high.
unsigned long PackMousePoint(int x, int y) noexcept;

} // namespace dragout
