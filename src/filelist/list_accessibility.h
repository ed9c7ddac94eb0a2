// What a screen reader reads of the file list: the list view is virtual, so the system's proxy
// knows nothing of its rows. Each row is read by its path, and a row whose file is missing
// says so; everything else about the list view is the proxy's.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "win/accessible.h"

namespace filelist {

// The description of a row whose file is missing.
inline constexpr wchar_t kMissingDescription[] = L"存在しません";

class ListAccessibility : public win::AccessibleSource {
public:
    // What the list holds, asked afresh on every question; rows counted from 0.
    struct Rows {
        std::function<size_t()> count;
        std::function<std::wstring(size_t row)> text;
        // The row's file is known to be missing (not merely unchecked yet).
        std::function<bool(size_t row)> missing;
        std::function<std::optional<size_t>()> focused;
        std::function<std::optional<size_t>()> selected;
    };

    ListAccessibility(HWND listView, Rows rows) : listView_(listView), rows_(std::move(rows)) {}

    win::AccessibleFacts Describe(long item) override;
    long ItemCount() override;
    std::optional<RECT> ItemBounds(long item) override;
    long ItemAt(POINT screen) override;
    long FocusedItem() override;
    long SelectedItem() override;

private:
    HWND listView_;
    Rows rows_;
};

} // namespace filelist
