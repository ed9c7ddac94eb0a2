#include "intake/clipboard_drops.h"

#include <shellapi.h>

#include "intake/drop_intake.h"
#include "win/error.h"
#include "win/handles.h"

namespace intake {

namespace {

// The clipboard must be open. Data that cannot be fetched or locked counts as absent; it
// belongs to the clipboard, so nothing is freed.
void ReadPaths(std::wstring& files) {
    HANDLE data = ::GetClipboardData(CF_HDROP);
    win::GlobalLockScope lock(data);
    if (lock.Data() == nullptr)
        return;
    // One pass over the drop's memory: asking the drop for each path in turn walks the list
    // from its start every time, which took seconds for ten thousand files.
    std::vector<std::wstring> paths = ReadDroppedPaths(static_cast<HDROP>(data));
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i > 0)
            files += L"\r\n";
        files += paths[i];
    }
}

WORD ReadDropEffect() {
    const UINT format = ::RegisterClipboardFormatW(L"Preferred DropEffect");
    if (format == 0 || !::IsClipboardFormatAvailable(format))
        return 0;
    win::GlobalLockScope lock(::GetClipboardData(format));
    // A block too short for the 16 bits would be read past its end: treat it as absent.
    if (lock.Data() == nullptr || lock.Size() < sizeof(WORD))
        return 0;
    const auto* bytes = static_cast<const unsigned char*>(lock.Data());
    return static_cast<WORD>(bytes[0] | (bytes[1] << 8));
}

} // namespace

void GetClipboardFiles(HWND owner, WORD& dropEffect, std::wstring& files) {
    dropEffect = 0;
    files.clear();
    // Asked without opening, so a clipboard without files is never held up by us.
    if (!::IsClipboardFormatAvailable(CF_HDROP))
        return;
    win::ClipboardScope clipboard(owner);
    if (!clipboard.IsOpen())
        throw win::Error(L"クリップボードを開くことができません", clipboard.OpenError());
    ReadPaths(files);
    dropEffect = ReadDropEffect();
}

} // namespace intake
