#include "win/text_rules.h"

#include <cwchar>

namespace win {

std::wstring TrimMessageText(std::wstring_view text) {
    size_t end = text.size();
    while (end > 0) {
        wchar_t c = text[end - 1];
        if (c <= L' ' || c == L'.' || c == 0x7F) {
            --end;
        } else {
            break;
        }
    }
    return std::wstring(text.substr(0, end));
}

std::wstring WithClosingPeriod(std::wstring_view text) {
    std::wstring result(text);
    // Every character outside ASCII sorts after "." in the code page's byte order too, so
    // comparing the UTF-16 unit gives the same answer as comparing bytes.
    if (!result.empty() && result.back() > L'.')
        result += L'.';
    return result;
}

std::wstring OleErrorFallback(unsigned long code) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"OLE エラー %.8lX", code & 0xFFFFFFFFul);
    return buffer;
}

} // namespace win
