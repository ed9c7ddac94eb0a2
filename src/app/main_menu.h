// The main window's menus: the menu bar ("リスト(&L)", "ヘルプ(&H)") and the list's own menu. Each
// item runs the command of the part whose id it carries.
#pragma once

#include <windows.h>

#include "win/handles.h"

namespace app {

struct Menus {
    HMENU bar = nullptr;       // the window destroys it with itself
    HMENU afterDrag = nullptr; // "ドラッグ後(&A)", inside the bar's "リスト(&L)"
    win::MenuHandle list;
};

Menus MakeMenus();

} // namespace app
