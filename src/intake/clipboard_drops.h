// Reads the files the shell put on the clipboard with Ctrl+C or Ctrl+X.
#pragma once

#include <windows.h>

#include <string>

namespace intake {

// The full paths of the files in the clipboard's CF_HDROP data, in their order there, joined
// with CR LF and nothing after the last, and the first 16 bits of its "Preferred DropEffect"
// data. Both are empty (0) when the clipboard holds no files or no effect. Throws win::Error
// "クリップボードを開くことができません" when the clipboard cannot be opened for owner.
void GetClipboardFiles(HWND owner, WORD& dropEffect, std::wstring& files);

} // namespace intake
