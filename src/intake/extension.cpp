#include "intake/extension.h"

namespace intake {

std::wstring_view PathExtension(std::wstring_view path) {
    size_t dot = path.find_last_of(L".\\:");
    if (dot == std::wstring_view::npos || path[dot] != L'.')
        return {};
    return path.substr(dot);
}

} // namespace intake
