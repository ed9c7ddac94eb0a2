// How the capture memo's text divides into the lines that are registered.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace intake {

// The lines of an edit box's text: cut at CR LF, a lone CR or a lone LF. A last line left
// empty by a final break is no line, so an empty text has none; other empty lines are kept.
std::vector<std::wstring> MemoLines(std::wstring_view text);

} // namespace intake
