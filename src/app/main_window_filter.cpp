// The filter field above the list: what is typed there filters the list as it is typed.
#include "app/main_window.h"

#include <string>

namespace app {

void MainWindow::ShowFilterField() {
    if (!ui_.ListAreaShown()) {
        ui_.listAreaButton->SetDown(true);
        ApplyListAreaMode(true);
    }
    // The captured files' panel stands where the list was: the field would not be seen, and the
    // capture is the user's to dismiss.
    if (!::IsWindowVisible(ui_.listPanel->Hwnd()))
        return;
    ::ShowWindow(ui_.filterPanel->Hwnd(), SW_SHOW);
    ui_.listPanel->Realign();
    ::SetFocus(ui_.filterEdit);
    win::SelectAllText(ui_.filterEdit);
}

void MainWindow::HideFilterField() {
    ::SetWindowTextW(ui_.filterEdit, L"");
    fileList_->SetFilter(L"");
    ::ShowWindow(ui_.filterPanel->Hwnd(), SW_HIDE);
    ui_.listPanel->Realign();
    ::SetFocus(ui_.listView);
}

bool MainWindow::FilterKey(wchar_t key) {
    constexpr wchar_t kEscape = 0x1B;
    if (::GetFocus() != ui_.filterEdit)
        return false;
    if (key == kEscape) {
        if (::GetWindowTextLengthW(ui_.filterEdit) > 0)
            ::SetWindowTextW(ui_.filterEdit, L""); // its change notice shows everything
        else
            HideFilterField();
    }
    // Every other key, z and x among them, is the field's own typing.
    return true;
}

void MainWindow::ShowFilterCount() {
    const std::wstring text = fileList_->Filtered()
                                  ? std::to_wstring(fileList_->Count()) + L" / " +
                                        std::to_wstring(fileList_->TotalCount()) + L" 件"
                                  : std::wstring();
    ::SetWindowTextW(ui_.filterCount, text.c_str());
}

} // namespace app
