#include "dragout/drag_gesture.h"

#include "dragout/drag_out.h"
#include "dragout/drag_rules.h"
#include "win/window.h"

namespace dragout {

void DragGesture::MouseDown(bool leftButton, int x, int y) {
    if (!leftButton)
        return;
    dragStartX_ = x;
    dragStartY_ = y;
}

void DragGesture::MouseMove(int x, int y) {
    if (host_.ListedCount() == 0)
        return;
    if (!host_.IconPressed())
        return;
    if (!PastDragThreshold(dragStartX_, dragStartY_, x, y,
                           win::Window::WindowDpi(host_.IconWindow())))
        return;

    // Ends the icon's press and capture before the drag loop takes the pointer, so no later
    // move starts a second drag until the button goes down on the icon again.
    ::SendMessageW(host_.IconWindow(), WM_LBUTTONUP, 0, static_cast<LPARAM>(PackMousePoint(x, y)));

    // A copy, so that nothing the shell calls might dispatch can change the list under it.
    const std::vector<std::wstring> paths = host_.ListedPaths();
    // The drop target decides within the one effect offered; what becomes of the list after it
    // is the host's choice.
    host_.DragEnded(
        DragFiles(paths, dropSource_, host_.MoveModeDown() ? DROPEFFECT_MOVE : DROPEFFECT_COPY));
}

} // namespace dragout
