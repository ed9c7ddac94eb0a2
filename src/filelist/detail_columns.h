// The list's columns beside the path: which are shown, in which order and how wide, the
// header's menu that adds and takes them away, and the text each shows for an entry. The size
// and date come from the entry's details; name, folder and type from its path alone.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "filelist/file_details.h"

namespace filelist {

// The shell's name of a kind of file ("テキスト ドキュメント"), looked up once per extension.
class TypeNames {
public:
    const std::wstring& Of(std::wstring_view path, bool folder);

private:
    std::unordered_map<std::wstring, std::wstring> names_;
};

class DetailColumns {
public:
    // listView: a report list view whose first column shows the path.
    explicit DetailColumns(HWND listView);

    // The columns as the view shows them, widths in 96-DPI units.
    std::vector<ShownColumn> Shown() const;
    // The view made to show these columns; the path column keeps its width while it is alone.
    void Show(const std::vector<ShownColumn>& columns);
    bool AddedShown() const noexcept { return shown_.size() > 1; }
    // The window's DPI changed: every column keeps its designed width.
    void SetDpi(int dpi);
    DetailColumn ColumnAt(int viewColumn) const noexcept;
    // Where the view shows the column, or -1.
    int ViewColumnOf(DetailColumn column) const noexcept;

    // The header's menu of columns at a point on the screen, each ticked while shown; true when
    // one was added or taken away.
    bool ChooseFromMenu(POINT screen);

    // What the view shows in a column for an entry; folder when its check found a folder there.
    std::wstring Text(int viewColumn, std::wstring_view path, const FileDetails& details,
                      bool folder);

private:
    void Insert(int at, const ShownColumn& column);

    HWND listView_;
    // The DPI the view's widths are in.
    int dpi_;
    std::vector<DetailColumn> shown_;
    TypeNames types_;
};

} // namespace filelist
