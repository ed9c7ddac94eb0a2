// The main window's part in the settings file: which states are kept, and how they come back.
#include "app/main_window.h"

namespace app {

void MainWindow::ShowSettings() {
    ui_.topmostButton->SetDown(settings_.topmost);
    win::SetChecked(ui_.allowListDropsBox, settings_.canDropFileList);
    win::SetChecked(ui_.watchClipboardBox, settings_.canCtrlC);
    ::CheckMenuItem(ui_.mainMenu, kIdKeepList, settings_.keepList ? MF_CHECKED : MF_UNCHECKED);
    ::CheckMenuRadioItem(ui_.afterDragMenu, kIdAfterDragKeep, kIdAfterDragTakeOffDragged,
                         kIdAfterDragKeep + settings_.afterDrag, MF_BYCOMMAND);
}

void MainWindow::ChangeSetting(bool settings::Settings::*setting, bool value) {
    settings_.*setting = value;
    ShowSettings();
    if (setting == &settings::Settings::topmost)
        SetTopmost(value);
    if (setting == &settings::Settings::keepList) {
        keptList_->SetKept(value);
        keptList_->ListChanged();
    }
}

void MainWindow::ApplySettings(const settings::Settings& s) {
    settings_ = s;
    ShowSettings();
    // Hidden before the window takes its saved width, so that a compact window does not
    // squeeze the list area: it keeps its width for when the list is shown again.
    if (!s.fileListVisible)
        ::ShowWindow(ui_.listArea->Hwnd(), SW_HIDE);
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
    settings::Settings s = settings_;
    s.top = r.top;
    s.left = r.left;
    s.formWidth = win::ScaleFromDpi(r.right - r.left, Dpi());
    s.formHeight = win::ScaleFromDpi(r.bottom - r.top, Dpi());
    s.fileListVisible = (::GetWindowLongW(ui_.listArea->Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    // A file that never had columns beside the path keeps its keys as they were.
    if (columnsKept_ || fileList_->AddedColumnsShown())
        s.columns = filelist::FormatColumns(fileList_->Columns());
    return s;
}

void MainWindow::ChooseAfterDrag(AfterDragChoice choice) {
    settings_.afterDrag = static_cast<int>(choice);
    ShowSettings();
    afterDrag_->SetChoice(choice);
}

} // namespace app
