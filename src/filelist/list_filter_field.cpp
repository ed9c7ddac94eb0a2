#include "filelist/list_filter_field.h"

#include <string>

#include "filelist/file_list.h"

namespace filelist {

using win::Align;

ListFilterField::ListFilterField(win::Panel& listPanel, HFONT font) : listPanel_(listPanel) {
    panel_ = std::make_unique<win::Panel>(listPanel.Hwnd(), win::Bounds{1, 1, 494, 23},
                                          COLOR_BTNFACE, false);
    edit_ = win::CreateChild(L"EDIT", L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                             WS_EX_CLIENTEDGE, {0, 0, 404, 23}, panel_->Hwnd(), kIdEdit, font);
    count_ = win::CreateChild(L"STATIC", L"", WS_VISIBLE | SS_CENTERIMAGE | SS_RIGHT | SS_NOPREFIX,
                              0, {404, 0, 90, 23}, panel_->Hwnd(), 0, font);
    panel_->AddAligned(count_, Align::Right);
    panel_->AddAligned(edit_, Align::Client);
    ::ShowWindow(panel_->Hwnd(), SW_HIDE);
    listPanel.AddAligned(panel_->Hwnd(), Align::Top);
}

void ListFilterField::Show() {
    if (!::IsWindowVisible(listPanel_.Hwnd()))
        return;
    ::ShowWindow(panel_->Hwnd(), SW_SHOW);
    listPanel_.Realign();
    ::SetFocus(edit_);
    win::SelectAllText(edit_);
}

void ListFilterField::Hide() {
    ::SetWindowTextW(edit_, L"");
    list_->SetFilter(L"");
    ::ShowWindow(panel_->Hwnd(), SW_HIDE);
    listPanel_.Realign();
    ::SetFocus(view_);
}

void ListFilterField::TextChanged() { list_->SetFilter(win::WindowText(edit_)); }

bool ListFilterField::Key(wchar_t key) {
    constexpr wchar_t kEscape = 0x1B;
    if (::GetFocus() != edit_)
        return false;
    if (key == kEscape) {
        if (::GetWindowTextLengthW(edit_) > 0)
            ::SetWindowTextW(edit_, L""); // its change notice shows everything
        else
            Hide();
    }
    // Every other key, z and x among them, is the field's own typing.
    return true;
}

void ListFilterField::ShowCount() {
    const std::wstring text = list_->Filtered() ? std::to_wstring(list_->Count()) + L" / " +
                                                      std::to_wstring(list_->TotalCount()) + L" 件"
                                                : std::wstring();
    ::SetWindowTextW(count_, text.c_str());
}

} // namespace filelist
