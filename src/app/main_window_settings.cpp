// The main window's part in the settings file: which states are kept, and how they come back.
#include "app/main_window.h"

namespace app {

void MainWindow::ApplySettings(const settings::Settings& s) {
    ui_.topmostButton->SetDown(s.topmost);
    // Hidden before the window takes its saved width, so that a compact window does not
    // squeeze the list area: it keeps its width for when the list is shown again.
    if (!s.fileListVisible)
        ::ShowWindow(ui_.listArea->Hwnd(), SW_HIDE);
    ::SendMessageW(ui_.allowListDropsBox, BM_SETCHECK,
                   s.canDropFileList ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(ui_.watchClipboardBox, BM_SETCHECK, s.canCtrlC ? BST_CHECKED : BST_UNCHECKED, 0);
    ::CheckMenuItem(ui_.mainMenu, kIdKeepList, s.keepList ? MF_CHECKED : MF_UNCHECKED);
    ChooseAfterDrag(AfterDragChoiceFrom(s.afterDrag));
    if (s.columns) {
        columnsKept_ = true;
        fileList_->ShowColumns(filelist::ParseColumns(*s.columns));
    }
    // Sizes are kept in designed (96-DPI) units, so the window looks as large at any scale;
    // positions are the screen's own. A file without a width (or with none that could be
    // meant) keeps the designed one: a width of nothing would leave no list to see.
    RECT designed{};
    ::GetWindowRect(Hwnd(), &designed);
    const int width = s.formWidth > 0 ? Scale(s.formWidth) : designed.right - designed.left;
    const int height = Scale(s.formHeight);
    RECT r = settings::BringOntoMonitor({s.left, s.top, s.left + width, s.top + height});
    ::SetWindowPos(Hwnd(), nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

settings::Settings MainWindow::CurrentSettings() const {
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    settings::Settings s;
    s.top = r.top;
    s.left = r.left;
    s.formWidth = win::ScaleFromDpi(r.right - r.left, Dpi());
    s.formHeight = win::ScaleFromDpi(r.bottom - r.top, Dpi());
    s.topmost = ui_.topmostButton->Down();
    s.fileListVisible = (::GetWindowLongW(ui_.listArea->Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    s.canDropFileList = ::SendMessageW(ui_.allowListDropsBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    s.canCtrlC = ::SendMessageW(ui_.watchClipboardBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    s.keepList = KeepListChecked();
    s.afterDrag = static_cast<int>(afterDrag_->Choice());
    // A file that never had columns beside the path keeps its keys as they were.
    if (columnsKept_ || fileList_->AddedColumnsShown())
        s.columns = filelist::FormatColumns(fileList_->Columns());
    return s;
}

bool MainWindow::KeepListChecked() const {
    return (::GetMenuState(ui_.mainMenu, kIdKeepList, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void MainWindow::ToggleKeepList() {
    ::CheckMenuItem(ui_.mainMenu, kIdKeepList, KeepListChecked() ? MF_UNCHECKED : MF_CHECKED);
    keptList_->SetKept(KeepListChecked());
    keptList_->ListChanged();
}

void MainWindow::ChooseAfterDrag(AfterDragChoice choice) {
    ::CheckMenuRadioItem(ui_.afterDragMenu, kIdAfterDragKeep, kIdAfterDragTakeOffDragged,
                         kIdAfterDragKeep + static_cast<int>(choice), MF_BYCOMMAND);
    afterDrag_->SetChoice(choice);
}

} // namespace app
