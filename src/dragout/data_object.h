// One shell data object for a whole list of files, made by the shell's own folder object so
// that every shell drop target takes it as it takes files dragged out of a folder window.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace dragout {

// Where the shell's allocator and the desktop folder come from. Tests put themselves in
// between to see every identifier list that is made and freed.
struct ShellNamespace {
    std::function<HRESULT(IMalloc**)> getMalloc = ::SHGetMalloc;
    std::function<HRESULT(IShellFolder**)> getDesktopFolder = ::SHGetDesktopFolder;
};

// Lists longer than this show the wait cursor while they are named to the shell.
constexpr size_t kWaitCursorAbove = 1000;

// Fills result with one data object for every path, in list order, duplicates kept; leaves it
// empty, making no shell call, when paths is empty. Each path is parsed against the folder
// that baseFolderPath names (the empty path: the namespace root, so full paths from any
// folder fit together). Paths that all lie in one folder give an object made by that folder.
// Throws win::Error with the shell's result code when the shell fails, for instance on paths
// it can't find, which the text then names; result then stays empty and nothing is kept.
void CreateFilesDataObject(const std::wstring& baseFolderPath,
                           const std::vector<std::wstring>& paths,
                           Microsoft::WRL::ComPtr<IDataObject>& result,
                           const ShellNamespace& shell = {});

} // namespace dragout
