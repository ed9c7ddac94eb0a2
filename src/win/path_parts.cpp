#include "win/path_parts.h"

namespace win {
namespace {

constexpr std::wstring_view kSeparators = L"\\/";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The path without a folder's trailing separator, unless that is all there is of a root.
std::wstring_view WithoutTrailingSeparator(std::wstring_view path) {
    if (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != L':')
        path.remove_suffix(1);
    return path;
}

} // namespace

std::wstring_view PathName(std::wstring_view path) {
    path = WithoutTrailingSeparator(path);
    const size_t last = path.find_last_of(kSeparators);
    if (last == std::wstring_view::npos || last + 1 == path.size())
        return path;
    return path.substr(last + 1);
}

std::wstring_view PathFolder(std::wstring_view path) {
    path = WithoutTrailingSeparator(path);
    const size_t last = path.find_last_of(kSeparators);
    if (last == std::wstring_view::npos || last + 1 == path.size())
        return {};
    if (last > 0 && path[last - 1] == L':')
        return path.substr(0, last + 1);
    return path.substr(0, last);
}

std::wstring_view PathExtension(std::wstring_view path) {
    const size_t dot = path.find_last_of(L".\\/:");
    if (dot == std::wstring_view::npos || path[dot] != L'.')
        return {};
    return path.substr(dot);
}

std::wstring Beside(std::wstring_view path, std::wstring_view name) {
    const size_t end = path.find_last_of(L"\\/:");
    std::wstring beside(end == std::wstring_view::npos ? std::wstring_view()
                                                       : path.substr(0, end + 1));
    beside += name;
    return beside;
}

std::wstring LongPathForm(std::wstring_view path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]);
    const bool network = path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
                         path[2] != L'?' && path[2] != L'.';
    if (!drive && !network)
        return std::wstring(path);
    std::wstring form = drive ? L"\\\\?\\" : L"\\\\?\\UNC";
    form += drive ? path : path.substr(1);
    for (wchar_t& c : form)
        if (c == L'/')
            c = L'\\';
    return form;
}

} // namespace win
