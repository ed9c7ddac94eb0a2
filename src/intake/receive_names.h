// Names for what a drop brings that is not a file yet: every name a source gives is made one a
// file may have inside the basket's folder, and one no file there has yet. Nothing a source
// names can lead outside that folder.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace intake {

// One name a file may have: the characters no file name may hold ( <>:"/\|? * and control
// characters) become "_", trailing dots and spaces go, a device name (CON, NUL, COM1, ...,
// with any extension) gets "_" in front, a very long name is shortened keeping its extension;
// "." and ".." and a name of nothing become "_".
std::wstring SafeName(std::wstring_view name);

// name, or name with " (2)", " (3)", ... before its extension, the first that taken() refuses.
std::wstring UniqueName(const std::wstring& name,
                        const std::function<bool(const std::wstring&)>& taken);

// Where each item of a file group goes, relative to the basket's folder, and which of them the
// list gets: the drop's top items, folders and files, in the group's order.
struct GroupItem {
    std::wstring name; // as the source gives it, folders separated by "\" or "/"
    bool folder = false;
};
struct GroupPlaces {
    std::vector<std::wstring> places; // one for each item, in order, "\" between folders
    std::vector<size_t> top;          // the items to list
};
// A name keeps its folders only as far as they are folders of the group itself; beyond that
// its "\" become "_". Drive letters, a leading "\" and ".." lead nowhere. A top item whose
// name is taken in the folder (exists() says so) gets a number; so does a name given twice.
GroupPlaces PlaceGroup(const std::vector<GroupItem>& items,
                       const std::function<bool(const std::wstring&)>& exists);

// A file name from the first words of a text, at most about 40 characters, with the extension
// given; "テキスト" + extension when the text has no word to take.
std::wstring NameFromText(std::wstring_view text, std::wstring_view extension);

} // namespace intake
