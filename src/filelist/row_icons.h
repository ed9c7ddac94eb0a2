// The small icon on each row of the file list, as the shell shows that kind of file. The kind
// is told by what is known of the entry (a folder once the check of its row found one) and
// else by the name alone (a folder by a trailing backslash or as a drive root, a file by its
// extension), so no row costs a disk access on the window's thread, and each kind is looked up
// once, so a million rows cost one look-up per extension. Every kind has two images at the
// window's DPI: as the shell draws it, and greyed for a file that is missing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "win/handles.h"

namespace filelist {

// The index of a kind of file's icon in the system's image lists, found from a name and file
// attributes alone.
using IconLookup = std::function<int(const std::wstring& name, DWORD attributes)>;
int SystemIconIndex(const std::wstring& name, DWORD attributes);

// The kind of file a path names, told by the name (and folder, when the entry is known to be
// one) alone: a folder when it ends in a separator or is a drive root, else its extension in
// lower case ("" when it has none).
inline constexpr wchar_t kFolderKind[] = L"\\";
std::wstring FileKind(std::wstring_view path, bool folder = false);

using ImageListHandle = win::Unique<win::NullTraits<HIMAGELIST, ::ImageList_Destroy>>;

class RowIcons {
public:
    explicit RowIcons(IconLookup lookup = SystemIconIndex) : lookup_(std::move(lookup)) {}

    // A new image list with the images at the small icon size of dpi, laid over the view's
    // background; the caller hands it to the view before the one it replaces (returned) is
    // destroyed.
    ImageListHandle SetDpi(int dpi, COLORREF background);
    HIMAGELIST ImageList() const noexcept { return list_.get(); }
    int Size() const noexcept { return size_; }

    // The row's image in ImageList(), greyed for a missing file, a folder's when folder or when
    // the name says so; -1 if there is none.
    int ImageFor(std::wstring_view path, bool missing, bool folder);
    // How kinds are looked up from now on; what was found is forgotten.
    void SetLookup(IconLookup lookup);

private:
    IconLookup lookup_;
    ImageListHandle list_;
    int size_ = 0;
    COLORREF background_ = RGB(255, 255, 255);
    // A kind of file (an extension in lower case, or a folder) and the system's icon for it;
    // the first of that icon's two images in list_. Several kinds often share an icon.
    std::unordered_map<std::wstring, int> systemIndexOfKind_;
    std::unordered_map<int, int> imageOfSystemIndex_;
};

} // namespace filelist
