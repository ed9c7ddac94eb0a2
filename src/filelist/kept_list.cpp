#include "filelist/kept_list.h"

#include <windows.h>

#include "filelist/file_list.h"
#include "filelist/list_file.h"
#include "win/error.h"
#include "win/path_parts.h"

namespace filelist {
namespace {

// Where the file at path was moved: the first of path.bad, path.bad2, path.bad3, ... that no
// file had. Empty when it could not be moved.
std::wstring MoveAside(const std::wstring& path) {
    for (int number = 1; number <= 1000; ++number) {
        std::wstring aside = path + L".bad";
        if (number > 1)
            aside += std::to_wstring(number);
        if (::MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH))
            return aside;
        const DWORD code = ::GetLastError();
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS)
            break;
    }
    return {};
}

} // namespace

std::wstring KeptListPath(const std::wstring& settingsPath) {
    const size_t stem = settingsPath.size() - win::PathExtension(settingsPath).size();
    return settingsPath.substr(0, stem) + L".lst";
}

void RestoreKeptList(const std::wstring& path, FileList& list) {
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        ::GetLastError() == ERROR_FILE_NOT_FOUND)
        return;
    // The file is read whole before anything is appended: a file that fails part-way adds
    // nothing.
    size_t restored = 0;
    try {
        ReadListLines(path, [&](std::wstring_view line) {
            list.AppendPath(line);
            ++restored;
        });
    } catch (const win::Error& error) {
        // Put where the list's next store cannot reach it: what the user kept is not lost
        // because it could not be read today.
        const std::wstring aside = MoveAside(path);
        const std::wstring where =
            aside.empty() ? L"読み込めなかったリストはそのまま残し、上書きしません"
                          : L"読み込めなかったリストは \"" + aside + L"\" に移しました";
        throw UnreadKeptList(error.Text() + L"\r\n" + where, error.Code(), !aside.empty());
    }
    // An empty kept list restores nothing, so the count display stays blank as at any start.
    if (restored == 0)
        return;
    list.UpdateCountDisplay();
}

void RemoveKeptList(const std::wstring& path) {
    if (!::DeleteFileW(path.c_str())) {
        DWORD code = ::GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
            throw win::Error(L"ファイル \"" + path + L"\" を削除できません。" +
                                 win::SystemMessageText(code),
                             static_cast<long>(code));
        }
    }
}

} // namespace filelist
