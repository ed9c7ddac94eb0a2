// The one exception type of the program: it carries the text the user is shown.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

namespace win {

class Error : public std::exception {
public:
    explicit Error(std::wstring text, long code = 0) : text_(std::move(text)), code_(code) {}

    const std::wstring& Text() const noexcept { return text_; }
    // The Win32 error code or HRESULT behind the failure, 0 when there is none.
    long Code() const noexcept { return code_; }
    const char* what() const noexcept override { return "Tuckbay error"; }

private:
    std::wstring text_;
    long code_;
};

// The system's message text for an error code or HRESULT, trimmed as the program shows it;
// empty when the system has no text for the code.
std::wstring SystemMessageText(DWORD code);

// The system's text, or "OLE エラー %.8X" where the system has none.
std::wstring OleErrorText(HRESULT hr);

// Throws Error with the system's text for GetLastError().
[[noreturn]] void ThrowLastError();

// Throws Error with the OLE text of hr when hr has its severity bit set.
void ThrowIfFailed(HRESULT hr);

// The failure of some of paths, results[i] being what became of paths[i]: the system's reason
// for the first that failed, then every path that failed, once each (ten at most, then how many
// more), so that a user whose files were moved away learns of all of them in one go.
Error FailedPathsError(const std::vector<std::wstring>& paths, const std::vector<HRESULT>& results);

} // namespace win

namespace win {

// The standard error handling for the exception being handled: called from every catch at
// a boundary where the platform calls into the program. Never throws.
void ReportCurrentException() noexcept;
// The same for a failure caught earlier and kept, to be told when no other program waits on
// ours any more.
void ReportFailure(std::exception_ptr failure) noexcept;

} // namespace win
