// The drag-out gesture on the icon: a left press, then a move of a few pixels, hands every
// listed file to one system drag, offered only as a copy or only as a move.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "dragout/drag_out.h"

namespace dragout {

// What the gesture reads from the window it lives in.
class DragHost {
public:
    virtual ~DragHost() = default;
    // Every listed path, in display order, taken as a drag starts; and how many there are.
    virtual std::vector<std::wstring> ListedPaths() = 0;
    virtual size_t ListedCount() const = 0;
    // The icon: it holds a pressed state and the pointer capture from a left press to the
    // next left release that reaches it.
    virtual HWND IconWindow() const = 0;
    virtual bool IconPressed() const = 0;
    // The copy/move switch: a move when its move side is down, otherwise a copy.
    virtual bool MoveModeDown() const = 0;
    // A drag has ended, with a drop or without.
    virtual void DragEnded(const DragOutcome& outcome) = 0;
};

class DragGesture {
public:
    DragGesture(DragHost& host, IDropSource& dropSource) : host_(host), dropSource_(dropSource) {}

    // A press on the icon, in the icon's coordinates. Only the left button marks a start point.
    void MouseDown(bool leftButton, int x, int y);
    // A pointer move in the icon's coordinates (outside the icon too, while it holds the
    // capture). Runs the whole drag when it starts one and returns after the drop or the
    // cancel. Throws win::Error when the files can't be named to the shell; no drag then.
    void MouseMove(int x, int y);

    int DragStartX() const noexcept { return dragStartX_; }
    int DragStartY() const noexcept { return dragStartY_; }

private:
    DragHost& host_;
    IDropSource& dropSource_;
    // Where the left button last went down on the icon.
    int dragStartX_ = 0;
    int dragStartY_ = 0;
};

} // namespace dragout
