// A check box whose text shows whole: a label measured in the font it is drawn in, not assumed
// from a designed width that another system's fonts may not keep to.
#pragma once

#include <windows.h>

#include "win/handles.h"

namespace win {

// Gives box font and makes it as wide as its check mark and text need, up to right (its
// parent's client coordinates), never narrower than it is. Where even that is too narrow, the
// text is drawn a pixel smaller at a time, down to smallest (a character height): the font made
// for that is returned, to be kept as long as the box uses it; a null handle when font fits.
FontHandle FitCheckBox(HWND box, HFONT font, int right, int smallest);

} // namespace win
