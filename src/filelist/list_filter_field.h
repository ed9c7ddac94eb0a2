// The filter field above the list ("絞り込み", Ctrl+F): what is typed there filters the list as it
// is typed, and "N / M 件" beside it says how many entries show. Esc empties it, then hides it
// with the filter off and the focus back on the list.
#pragma once

#include <windows.h>

#include <memory>

#include "win/controls.h"

namespace filelist {

class FileList;

class ListFilterField {
public:
    static constexpr int kIdEdit = 114;

    // Made hidden, as the first strip of listPanel, so that it comes before the list in the tab
    // order once shown; the list view itself is made after it.
    ListFilterField(win::Panel& listPanel, HFONT font);
    // The list it filters, and its view, which has the focus once the field is hidden.
    void SetList(FileList& list, HWND view) noexcept {
        list_ = &list;
        view_ = view;
    }

    win::Panel& Panel() noexcept { return *panel_; }
    HWND Edit() const noexcept { return edit_; }
    HWND Count() const noexcept { return count_; }

    // Shown with the focus in it and its text selected, unless the captured files' panel stands
    // where the list was (the field would not be seen, and the capture is the user's to dismiss).
    void Show();
    // What was typed into it has changed.
    void TextChanged();
    // A key typed while it has the focus is its own: true then (Esc handled here).
    bool Key(wchar_t key);
    // The shown entries or their number changed.
    void ShowCount();

private:
    void Hide();

    win::Panel& listPanel_;
    FileList* list_ = nullptr;
    HWND view_ = nullptr;
    std::unique_ptr<win::Panel> panel_;
    HWND edit_ = nullptr;
    HWND count_ = nullptr;
};

} // namespace filelist
