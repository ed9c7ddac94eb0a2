#include "win/replace_file.h"

#include <atomic>
#include <optional>
#include <string_view>

#include "win/path_parts.h"

namespace win {
namespace {

constexpr std::wstring_view kPrefix = L"~tuckbay";
constexpr std::wstring_view kSuffix = L".tmp";

// The decimal number at the start of text, taken off it; nothing when there is none or it
// does not fit in 32 bits.
std::optional<DWORD> TakeNumber(std::wstring_view& text) {
    unsigned long long value = 0;
    size_t digits = 0;
    for (; digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9'; ++digits) {
        value = value * 10 + (text[digits] - L'0');
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    text.remove_prefix(digits);
    return static_cast<DWORD>(value);
}

// The process that made a file beside of this name; nothing for any other name.
std::optional<DWORD> WriterOf(std::wstring_view name) {
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix))
        return std::nullopt;
    name.remove_prefix(kPrefix.size());
    name.remove_suffix(kSuffix.size());
    std::optional<DWORD> process = TakeNumber(name);
    if (!process || name.empty() || name.front() != L'-')
        return std::nullopt;
    name.remove_prefix(1);
    if (!TakeNumber(name) || !name.empty())
        return std::nullopt;
    return process;
}

bool ProcessRuns(DWORD id) {
    if (id == ::GetCurrentProcessId())
        return true;
    KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    // Refused rather than unknown: it runs, as another user's.
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    return ::GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
}

} // namespace

FileHandle CreateBeside(const std::wstring& target, std::wstring& besidePath) {
    // Every file beside gets a serial of its own, so that no two writes of the process, on any
    // thread, ever meet at one name, nor a later one at a name a cache still remembers.
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0;; ++attempt) {
        besidePath =
            Beside(target, std::wstring(kPrefix) + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                               std::to_wstring(serial++) + std::wstring(kSuffix));
        FileHandle file(::CreateFileW(besidePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            return file;
        DWORD code = ::GetLastError();
        if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt >= 100) {
            ::SetLastError(code);
            return file;
        }
    }
}

bool MoveOver(const std::wstring& besidePath, const std::wstring& target) {
    // Another program reading the target for a moment (a backup, a virus scanner, an editor
    // that opened it without letting it be replaced) refuses the move only while it reads.
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(besidePath.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD code = ::GetLastError();
        const bool held = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
                          code == ERROR_LOCK_VIOLATION;
        if (!held || attempt == 20)
            return false;
        ::Sleep(25);
        ::SetLastError(code);
    }
}

bool MoveWithoutReplacing(const std::wstring& besidePath, const std::wstring& target) {
    return ::MoveFileExW(besidePath.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

void RemoveLeftovers(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/')
        base += L'\\';
    WIN32_FIND_DATAW found{};
    FindHandle find(::FindFirstFileW(
        (base + std::wstring(kPrefix) + L"*" + std::wstring(kSuffix)).c_str(), &found));
    if (!find)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::optional<DWORD> writer = WriterOf(found.cFileName);
        if (writer && !ProcessRuns(*writer))
            ::DeleteFileW((base + found.cFileName).c_str());
    } while (::FindNextFileW(find.get(), &found));
}

} // namespace win
