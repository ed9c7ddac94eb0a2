// The window's modes and layout: the list area shown or not, topmost, the minimum height, the
// scale, the activation and where the keyboard focus is.
#include "app/main_window.h"

#include "app/elevation.h"

namespace app {

void MainWindow::CentreOnScreen() {
    RECT r;
    ::GetWindowRect(Hwnd(), &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetTopmost(bool topmost, bool activate) {
    HWND hwnd = Hwnd();
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | (activate ? 0 : SWP_NOACTIVATE);
    ::SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    bool isTopmost = (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (isTopmost != topmost) {
        // Some window managers (Wine's among them) re-insert an owned window just above its
        // owner and so ignore the change; made for a moment without the owner, it holds.
        LONG_PTR owner = ::GetWindowLongPtrW(hwnd, GWLP_HWNDPARENT);
        ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, 0);
        ::SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
        ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, owner);
    }
}

void MainWindow::ApplyListAreaMode(bool visible) {
    HWND hwnd = Hwnd();
    if (::IsZoomed(hwnd))
        ::ShowWindow(hwnd, SW_RESTORE);
    // The list area is hidden before the window's client area changes and shown only after
    // it has its final width, so no intermediate size squeezes or stretches it: it keeps its
    // width for the way back.
    if (!visible)
        ::ShowWindow(ui_.listArea->Hwnd(), SW_HIDE);
    LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    LONG frame = WS_THICKFRAME | WS_MAXIMIZEBOX;
    style = visible ? (style | frame) : (style & ~frame);
    ::SetWindowLongW(hwnd, GWL_STYLE, style);
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The width follows the panels: the frame as it now is, around leftStrip and, in full mode,
    // the list area with the width it last had. Measuring the frame (rather than computing
    // it) keeps a switch to compact and back exact to the pixel.
    RECT outer;
    RECT client;
    ::GetWindowRect(hwnd, &outer);
    ::GetClientRect(hwnd, &client);
    int frameWidth = (outer.right - outer.left) - client.right;
    int clientWidth = win::ChildBounds(ui_.leftStrip->Hwnd()).width;
    if (visible)
        clientWidth += win::ChildBounds(ui_.listArea->Hwnd()).width;
    ::SetWindowPos(hwnd, nullptr, 0, 0, clientWidth + frameWidth, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (visible)
        ::ShowWindow(ui_.listArea->Hwnd(), SW_SHOW);
    Realign();
    OnResize();
}

void MainWindow::DpiChanged(const RECT& suggested) {
    MakeFonts();
    LoadIcons();
    SetStatusBarParts();
    ::SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi();
    FitAllowListDropsBox();
    if (fileList_)
        fileList_->SetIconDpi(Dpi());
    // The suggested width is the old one scaled; compact mode's width is the left strip's.
    if (!ui_.ListAreaShown())
        ApplyListAreaMode(false);
    OnResize();
}

void MainWindow::OnResize() {
    if (!created_)
        return;
    if (!fileList_->AddedColumnsShown()) {
        int width = win::ChildBounds(ui_.listArea->Hwnd()).width;
        win::ListView(ui_.listView).SetColumnWidth(0, width - Scale(16));
    }
    RECT r;
    ::GetWindowRect(Hwnd(), &r);
    const int minimumHeight = Scale(305);
    if (r.bottom - r.top < minimumHeight) {
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, r.right - r.left, minimumHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::AppActivate() {
    fileList_->Recheck();
    ui_.dragCaption->SetBackColorIndex(COLOR_ACTIVECAPTION);
    ui_.dropCaption->SetBackColorIndex(COLOR_ACTIVECAPTION);
}

void MainWindow::AppDeactivate() {
    ui_.dragCaption->SetBackColorIndex(COLOR_GRADIENTINACTIVECAPTION);
    ui_.dropCaption->SetBackColorIndex(COLOR_GRADIENTINACTIVECAPTION);
}

void MainWindow::RememberFocus() {
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(Hwnd(), focus))
        focusOnDeactivation_ = focus;
}

void MainWindow::GiveFocusBack() {
    HWND focus = focusOnDeactivation_;
    // The list comes first in the tab order, so it has the focus at start; a control that has
    // gone or cannot take the focus now hands it to the first that can.
    if (focus == nullptr || !::IsWindow(focus) || !::IsWindowVisible(focus) ||
        !::IsWindowEnabled(focus))
        focus = ::GetNextDlgTabItem(Hwnd(), nullptr, FALSE);
    if (focus != nullptr)
        ::SetFocus(focus);
}

void MainWindow::LetDropsThroughToAnElevatedWindow() {
    if (!AllowDropMessages({Hwnd(), ui_.dropZone->Hwnd(), ui_.listArea->Hwnd()}) &&
        RunningElevated()) {
        statusBar_->SetText(win::StatusBar::kReportPart,
                            L"管理者として実行中: エクスプローラーからのドロップは制限されます");
    }
}

void MainWindow::ComeToFront() {
    if (!::IsWindowVisible(Hwnd())) {
        application_.Restore(); // minimised, the program stands on the taskbar alone
        return;
    }
    if (::IsIconic(Hwnd()))
        ::ShowWindow(Hwnd(), SW_RESTORE);
    ::SetForegroundWindow(Hwnd());
}

} // namespace app
