#include "win/error.h"

#include "win/text_rules.h"

namespace win {

std::wstring SystemMessageText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr)
        text = TrimMessageText(std::wstring_view(buffer, length));
    if (buffer != nullptr)
        ::LocalFree(buffer);
    return text;
}

std::wstring OleErrorText(HRESULT hr) {
    std::wstring text = SystemMessageText(static_cast<DWORD>(hr));
    return text.empty() ? OleErrorFallback(static_cast<unsigned long>(hr)) : text;
}

void ThrowLastError() {
    DWORD code = ::GetLastError();
    throw Error(SystemMessageText(code), static_cast<long>(code));
}

void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr))
        throw Error(OleErrorText(hr), hr);
}

} // namespace win
