// What the toolkit's controls share in making themselves: for its own files only.
#pragma once

#include <windows.h>

#include "win/layout.h"
#include "win/window.h"

namespace win::detail {

inline HFONT ParentFont(HWND hwnd) {
    return reinterpret_cast<HFONT>(::SendMessageW(::GetParent(hwnd), WM_GETFONT, 0, 0));
}

// Every control is given in designed bounds: it is made at its parent's DPI, and a parent of
// ours keeps the designed bounds for the next change of DPI.
inline Bounds ScaledFor(HWND parent, const Bounds& designed) {
    return ScaleToDpi(designed, Window::WindowDpi(parent));
}

inline void Adopt(HWND parent, HWND child, const Bounds& designed) {
    if (Window* owner = Window::FromHwnd(parent))
        owner->AddDesigned(child, designed);
}

} // namespace win::detail
