// The main window's part in the settings file: which states are kept, and how they come back.
#include "app/form1.h"

namespace app {

void TForm1::ApplySettings(const settings::Settings& s) {
    SpeedButton1->SetDown(s.topmost);
    // Hidden before the window takes its saved width, so that a compact window does not
    // squeeze the list area: it keeps its width for when the list is shown again.
    if (!s.fileListVisible)
        ::ShowWindow(filelist->Hwnd(), SW_HIDE);
    ::SendMessageW(dropfl, BM_SETCHECK, s.canDropFileList ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(ctrlc, BM_SETCHECK, s.canCtrlC ? BST_CHECKED : BST_UNCHECKED, 0);
    RECT r =
        settings::BringOntoMonitor({s.left, s.top, s.left + s.formWidth, s.top + s.formHeight});
    ::SetWindowPos(Hwnd(), nullptr, r.left, r.top, s.formWidth, s.formHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

settings::Settings TForm1::CurrentSettings() const {
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    settings::Settings s;
    s.top = r.top;
    s.left = r.left;
    s.formWidth = r.right - r.left;
    s.formHeight = r.bottom - r.top;
    s.topmost = SpeedButton1->Down();
    s.fileListVisible = (::GetWindowLongW(filelist->Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    s.canDropFileList = ::SendMessageW(dropfl, BM_GETCHECK, 0, 0) == BST_CHECKED;
    s.canCtrlC = ::SendMessageW(ctrlc, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return s;
}

} // namespace app
