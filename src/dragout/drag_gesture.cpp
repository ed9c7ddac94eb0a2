#include "dragout/drag_gesture.h"

#include <wrl/client.h>

#include "dragout/data_object.h"
#include "dragout/drag_rules.h"

namespace dragout {

void DragGesture::MouseDown(bool leftButton, int x, int y) {
    if (!leftButton)
        return;
    dragStartX_ = x;
    dragStartY_ = y;
}

void DragGesture::MouseMove(int x, int y) {
    if (host_.ListedPaths().empty())
        return;
    if (!host_.IconPressed())
        return;
    if (!PastDragThreshold(dragStartX_, dragStartY_, x, y))
        return;

    // Ends the icon's press and capture before the drag loop takes the pointer, so no later
    // move starts a second drag until the button goes down on the icon again.
    ::SendMessageW(host_.IconWindow(), WM_LBUTTONUP, 0, static_cast<LPARAM>(PackMousePoint(x, y)));

    Microsoft::WRL::ComPtr<IDataObject> data;
    {
        // A copy, so that nothing the shell calls might dispatch can change the list under it.
        const std::vector<std::wstring> paths = host_.ListedPaths();
        CreateFilesDataObject(std::wstring(), paths, data);
    }

    // The drop target decides within the one effect offered; what it did is not our concern,
    // and the list stays as it is even after a move.
    DWORD effect = DROPEFFECT_NONE;
    if (host_.MoveModeDown())
        ::DoDragDrop(data.Get(), &dropSource_, DROPEFFECT_MOVE, &effect);
    if (host_.CopyModeDown())
        ::DoDragDrop(data.Get(), &dropSource_, DROPEFFECT_COPY, &effect);
}

} // namespace dragout
