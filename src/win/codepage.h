// The one place where text crosses between the program's UTF-16 and the system code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace win {

// Bytes in the system code page (CP_ACP) to UTF-16. Invalid sequences follow the system's
// default replacement; never fails.
std::wstring FromCodePage(std::string_view bytes);
// The same, added at the end of out: no string of its own for each of a million lines.
void AppendFromCodePage(std::string_view bytes, std::wstring& out);

// UTF-16 to the system code page, or nothing when some character has no exact
// representation there (no best-fit substitutes).
std::optional<std::string> ToCodePageExact(std::wstring_view text);

// UTF-16 to the system code page, unrepresentable characters replaced by the system default.
std::string ToCodePage(std::wstring_view text);

std::wstring FromUtf8(std::string_view bytes);
std::string ToUtf8(std::wstring_view text);

} // namespace win
