#include "filelist/list_commands.h"

#include <cstring>
#include <optional>
#include <string>

#include "filelist/default_name.h"
#include "filelist/file_list.h"
#include "filelist/line_format.h"
#include "filelist/list_file.h"
#include "win/clipboard.h"
#include "win/codepage.h"
#include "win/dialogs.h"
#include "win/error.h"
#include "win/handles.h"

namespace filelist {
namespace {

using win::OpenOrThrow;
using win::PutOnClipboard;
using win::ThrowLastError;

// The text format the writer put on the clipboard; the other one, if present, the system
// made from it. Formats the writer set are listed before those the system adds.
UINT OriginalTextFormat() {
    for (UINT format = ::EnumClipboardFormats(0); format != 0;
         format = ::EnumClipboardFormats(format)) {
        if (format == CF_UNICODETEXT || format == CF_TEXT)
            return format;
    }
    return CF_UNICODETEXT;
}

// The clipboard's text as lines. Text that came as code-page bytes is cut into lines before
// it is converted: converting it whole lets a broken double-byte sequence swallow the line
// break after it and join two paths.
std::vector<std::wstring> ClipboardLines(HWND owner) {
    win::ClipboardScope clipboard(owner);
    OpenOrThrow(clipboard);
    UINT format = OriginalTextFormat();
    HANDLE data = ::GetClipboardData(format);
    if (data == nullptr)
        return {};
    win::GlobalLockScope lock(data);
    if (lock.Data() == nullptr)
        return {};
    if (format == CF_TEXT) {
        auto* bytes = static_cast<const char*>(lock.Data());
        std::vector<std::wstring> lines;
        for (const std::string& line : SplitLines(std::string(bytes, strnlen(bytes, lock.Size()))))
            lines.push_back(win::FromCodePage(line));
        return lines;
    }
    auto* text = static_cast<const wchar_t*>(lock.Data());
    return SplitLines(std::wstring(text, wcsnlen(text, lock.Size() / sizeof(wchar_t))));
}

bool IsExistingFile(const std::wstring& path) {
    if (path.empty())
        return false;
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void SaveList(HWND owner, const FileList& list, win::Dialogs& dialogs) {
    if (list.Count() == 0) {
        dialogs.ShowMessage(owner, kEmptyList);
        return;
    }
    std::optional<std::wstring> name =
        dialogs.AskSaveFileName(owner, DefaultListName(), L"LSTファイル(*.lst)|*.lst");
    // Cancel means the user does not want the file: nothing is written.
    if (!name)
        return;
    WriteListFile(*name, list.Count(), [&](size_t row) { return list.TextAt(row); });
}

void CopyListToClipboard(HWND owner, const FileList& list, win::Dialogs& dialogs) {
    if (list.Count() == 0) {
        dialogs.ShowMessage(owner, kEmptyList);
        return;
    }
    std::wstring text = JoinLines(list.AllPaths());
    std::string bytes = win::ToCodePage(text);

    win::ClipboardScope clipboard(owner);
    OpenOrThrow(clipboard);
    if (!::EmptyClipboard())
        ThrowLastError();
    // Both forms: Unicode keeps every name, the code page text serves older programs.
    PutOnClipboard(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    PutOnClipboard(CF_TEXT, bytes.c_str(), bytes.size() + 1);
}

void TakePathsFromClipboard(HWND owner, FileList& list, win::Dialogs& dialogs) {
    std::wstring missing;
    for (std::wstring& line : ClipboardLines(owner)) {
        if (IsExistingFile(line)) {
            list.AppendPath(std::move(line));
        } else {
            missing += line + L"\r\n";
        }
    }
    if (!missing.empty())
        dialogs.ShowMessage(owner, missing + L"が見つかりません");
    list.UpdateCountDisplay();
}

} // namespace filelist
