#include "win/error.h"

#include "win/application.h"
#include "win/dialogs.h"
#include "win/text_rules.h"

#include <exception>
#include <new>
#include <unordered_set>

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

Error FailedPathsError(const std::vector<std::wstring>& paths,
                       const std::vector<HRESULT>& results) {
    constexpr size_t kNamedAtMost = 10;
    HRESULT first = S_OK;
    std::wstring text;
    std::unordered_set<std::wstring> named;
    size_t more = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (SUCCEEDED(results[i]) || !named.insert(paths[i]).second)
            continue;
        if (first == S_OK) {
            first = results[i];
            text = OleErrorText(first);
        }
        if (named.size() <= kNamedAtMost)
            text += L"\r\n\"" + paths[i] + L"\"";
        else
            ++more;
    }
    if (more > 0)
        text += L"\r\nほか " + std::to_wstring(more) + L" 件";
    return Error(text, first);
}

void ReportCurrentException() noexcept { ReportFailure(std::current_exception()); }

void ReportFailure(std::exception_ptr failure) noexcept {
    try {
        std::wstring text;
        try {
            std::rethrow_exception(failure);
        } catch (const Error& e) {
            text = e.Text();
        } catch (const std::bad_alloc&) {
            text = L"メモリが不足しています";
        } catch (const std::exception& e) {
            std::string what = e.what();
            text.assign(what.begin(), what.end());
        } catch (...) {
            text = L"予期しないエラーが発生しました";
        }
        if (Application* app = Application::Current()) {
            app->ShowError(text);
        } else {
            ::MessageBoxW(nullptr, WithClosingPeriod(text).c_str(), kAppTitle, MB_OK | MB_ICONSTOP);
        }
    } catch (...) {
        // Nothing more can be done without risking an exception through a platform frame.
    }
}

} // namespace win
