#include "filelist/list_bytes.h"

namespace filelist {

ListBytes ClassifyListBytes(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark))
        return {ListEncoding::Utf8, bytes.substr(kUtf8Mark.size())};
    if (IsAscii(bytes))
        return {ListEncoding::Ascii, bytes};
    return {ListEncoding::CodePage, bytes};
}

} // namespace filelist
