#include "dragout/clipboard_files.h"

#include <shlobj.h>

#include <cstring>

#include "dragout/data_object.h"
#include "win/clipboard.h"
#include "win/error.h"
#include "win/handles.h"

namespace dragout {
namespace {

// The shell's identifier lists of the paths, as the data object made for a drag carries them.
// Throws naming the paths the shell can't find.
std::vector<BYTE> ShellIdListArray(const std::vector<std::wstring>& paths) {
    Microsoft::WRL::ComPtr<IDataObject> data;
    CreateFilesDataObject(std::wstring(), paths, data);
    FORMATETC format{static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_SHELLIDLIST)),
                     nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    win::ThrowIfFailed(data->GetData(&format, &medium));
    std::vector<BYTE> bytes;
    {
        win::GlobalLockScope lock(medium.hGlobal);
        const auto* begin = static_cast<const BYTE*>(lock.Data());
        if (begin != nullptr)
            bytes.assign(begin, begin + lock.Size());
    }
    ::ReleaseStgMedium(&medium);
    if (bytes.empty())
        win::ThrowIfFailed(E_UNEXPECTED);
    return bytes;
}

} // namespace

std::vector<BYTE> DropFilesBlock(const std::vector<std::wstring>& paths) {
    size_t units = 1;
    for (const std::wstring& path : paths)
        units += path.size() + 1;
    std::vector<BYTE> block(sizeof(DROPFILES) + units * sizeof(wchar_t), 0);
    auto* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    BYTE* at = block.data() + sizeof(DROPFILES);
    for (const std::wstring& path : paths) {
        std::memcpy(at, path.data(), path.size() * sizeof(wchar_t));
        at += (path.size() + 1) * sizeof(wchar_t);
    }
    return block;
}

void PutFilesOnClipboard(HWND owner, const std::vector<std::wstring>& paths, DWORD effect) {
    // Everything is made before the clipboard is touched: a missing file leaves it as it was.
    const std::vector<BYTE> idLists = ShellIdListArray(paths);
    const std::vector<BYTE> drop = DropFilesBlock(paths);
    win::ClipboardScope clipboard(owner);
    win::OpenOrThrow(clipboard);
    if (!::EmptyClipboard())
        win::ThrowLastError();
    // CF_HDROP is written from the paths themselves: Wine's shell renders it from the
    // identifier lists with drive roots only.
    win::PutOnClipboard(CF_HDROP, drop.data(), drop.size());
    win::PutOnClipboard(::RegisterClipboardFormatW(CFSTR_SHELLIDLIST), idLists.data(),
                        idLists.size());
    win::PutOnClipboard(::RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT), &effect,
                        sizeof effect);
}

} // namespace dragout
