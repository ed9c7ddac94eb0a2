// The listed files on the clipboard as files, the way the shell's own Copy and Cut put them
// there, so that Paste in any folder window copies or moves them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace dragout {

// "Preferred DropEffect" of a copy and of a cut, as the shell writes them.
constexpr DWORD kClipboardCopy = DROPEFFECT_COPY | DROPEFFECT_LINK;
constexpr DWORD kClipboardCut = DROPEFFECT_MOVE;

// The paths as one CF_HDROP block: DROPFILES, then each path and its NUL, then one more NUL.
std::vector<BYTE> DropFilesBlock(const std::vector<std::wstring>& paths);

// Replaces the clipboard's content with paths (not empty) as CF_HDROP, "Shell IDList Array"
// and "Preferred DropEffect" effect. Throws win::Error naming the files the shell can't find,
// having changed nothing, or with the reason the clipboard refused.
void PutFilesOnClipboard(HWND owner, const std::vector<std::wstring>& paths, DWORD effect);

} // namespace dragout
