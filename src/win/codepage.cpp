#include "win/codepage.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "win/error.h"

namespace win {
namespace {

std::wstring Widen(UINT codePage, std::string_view bytes) {
    if (bytes.empty())
        return {};
    if (bytes.size() > INT_MAX)
        throw Error(L"テキストが大きすぎます");
    int size = static_cast<int>(bytes.size());
    int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::string Narrow(UINT codePage, std::wstring_view text, DWORD flags, BOOL* usedDefault) {
    if (text.empty())
        return {};
    if (text.size() > INT_MAX / 4)
        throw Error(L"テキストが大きすぎます");
    int size = static_cast<int>(text.size());
    int length =
        ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, usedDefault);
    std::string bytes(static_cast<size_t>(length), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(codePage, flags, text.data(), size, bytes.data(), length, nullptr,
                              usedDefault);
    }
    return bytes;
}

} // namespace

std::wstring FromCodePage(std::string_view bytes) { return Widen(CP_ACP, bytes); }

void AppendFromCodePage(std::string_view bytes, std::wstring& out) {
    if (bytes.empty())
        return;
    if (bytes.size() > INT_MAX)
        throw Error(L"テキストが大きすぎます");
    // A byte of the code page never becomes more than one UTF-16 unit.
    const size_t at = out.size();
    out.resize(at + bytes.size());
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                              out.data() + at, static_cast<int>(bytes.size()));
    out.resize(at + static_cast<size_t>(std::max(length, 0)));
}

std::optional<std::string> ToCodePageExact(std::wstring_view text) {
    BOOL usedDefault = FALSE;
    std::string bytes = Narrow(CP_ACP, text, WC_NO_BEST_FIT_CHARS, &usedDefault);
    if (usedDefault)
        return std::nullopt;
    return bytes;
}

std::string ToCodePage(std::wstring_view text) { return Narrow(CP_ACP, text, 0, nullptr); }

std::wstring FromUtf8(std::string_view bytes) { return Widen(CP_UTF8, bytes); }

std::string ToUtf8(std::wstring_view text) { return Narrow(CP_UTF8, text, 0, nullptr); }

} // namespace win
