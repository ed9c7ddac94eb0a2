#include "filelist/kept_list.h"

#include <windows.h>

#include "filelist/file_list.h"
#include "filelist/list_file.h"
#include "win/error.h"

namespace filelist {

std::wstring KeptListPath(const std::wstring& settingsPath) {
    size_t dot = settingsPath.find_last_of(L".\\/");
    if (dot == std::wstring::npos || settingsPath[dot] != L'.')
        return settingsPath + L".lst";
    return settingsPath.substr(0, dot) + L".lst";
}

void RestoreKeptList(const std::wstring& path, FileList& list) {
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        ::GetLastError() == ERROR_FILE_NOT_FOUND)
        return;
    // Read whole before anything is appended: a file that fails part-way adds nothing.
    std::vector<std::wstring> paths = ReadListFile(path);
    // An empty kept list restores nothing, so the count display stays blank as at any start.
    if (paths.empty())
        return;
    for (std::wstring& entry : paths)
        list.AppendPath(std::move(entry));
    list.UpdateCountDisplay();
}

void StoreKeptList(const std::wstring& path, const FileList& list, bool keep) {
    if (keep) {
        WriteListFile(path, list.AllPaths());
        return;
    }
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
