// The list menu's commands: save the list, copy it to the clipboard, take paths from it.
#pragma once

#include <windows.h>

namespace win {
class Dialogs;
}

namespace filelist {

class FileList;

// What every command that needs a listed file says when the list is empty.
inline constexpr wchar_t kEmptyList[] = L"ファイルリストが空です";

// SaveListClick: asks for a name through the save dialog and writes the list file there.
void SaveList(HWND owner, const FileList& list, win::Dialogs& dialogs);

// CopyListAsTextClick: the list as text on the clipboard, in place of whatever it held.
void CopyListToClipboard(HWND owner, const FileList& list, win::Dialogs& dialogs);

// AddFromClipboardTextClick: appends every line of the clipboard's text that names an existing file
// and names the other lines in one message.
void TakePathsFromClipboard(HWND owner, FileList& list, win::Dialogs& dialogs);

} // namespace filelist
