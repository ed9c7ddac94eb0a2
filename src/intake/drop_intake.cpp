#include "intake/drop_intake.h"

#include <shlobj.h>

#include <algorithm>

#include "filelist/file_list.h"
#include "filelist/list_file.h"
#include "intake/extension.h"
#include "intake/shortcut.h"
#include "win/codepage.h"
#include "win/dialogs.h"
#include "win/handles.h"
#include "win/window.h"

namespace intake {
namespace {

template <typename Char, typename Convert>
std::vector<std::wstring> WalkFileList(const BYTE* begin, const BYTE* end, Convert convert) {
    std::vector<std::wstring> paths;
    auto* at = reinterpret_cast<const Char*>(begin);
    auto* last = reinterpret_cast<const Char*>(end);
    while (at < last && *at != Char(0)) {
        const Char* stop = at;
        while (stop < last && *stop != Char(0))
            ++stop;
        if (stop == last)
            break; // a list without its terminator ends here
        paths.push_back(convert(at, stop));
        at = stop + 1;
    }
    return paths;
}

std::vector<std::wstring> QueryEachPath(HDROP drop) {
    std::vector<std::wstring> paths;
    UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length, L'\0');
        UINT copied = ::DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(std::min(copied, length));
        paths.push_back(std::move(path));
    }
    return paths;
}

void ReleaseWithDragFinish(HDROP drop) { ::DragFinish(drop); }

// Releases the drop handle once, on whichever way the handling leaves.
class DropRelease {
public:
    DropRelease(HDROP drop, DropIntake::Releaser release) : drop_(drop), release_(release) {}
    ~DropRelease() { release_(drop_); }
    DropRelease(const DropRelease&) = delete;
    DropRelease& operator=(const DropRelease&) = delete;

private:
    HDROP drop_;
    DropIntake::Releaser release_;
};

} // namespace

std::vector<std::wstring> ReadDroppedPaths(HDROP drop) {
    // DragQueryFile walks the list from its start for every index, which makes a large drop
    // quadratic; the drop's memory is a DROPFILES block that one pass reads in full.
    win::GlobalLockScope lock(drop);
    auto* base = static_cast<const BYTE*>(lock.Data());
    if (base == nullptr || lock.Size() < sizeof(DROPFILES))
        return QueryEachPath(drop);
    const auto* header = reinterpret_cast<const DROPFILES*>(base);
    if (header->pFiles < sizeof(DROPFILES) || header->pFiles >= lock.Size()) {
        return QueryEachPath(drop);
    }
    const BYTE* begin = base + header->pFiles;
    const BYTE* end = base + lock.Size();
    if (header->fWide) {
        end -= (end - begin) % sizeof(wchar_t);
        return WalkFileList<wchar_t>(begin, end, [](const wchar_t* from, const wchar_t* to) {
            return std::wstring(from, to);
        });
    }
    return WalkFileList<char>(begin, end, [](const char* from, const char* to) {
        return win::FromCodePage(std::string_view(from, static_cast<size_t>(to - from)));
    });
}

DropIntake::DropIntake(HWND dropZone, HWND listZone, DropHost& host, filelist::FileList& list,
                       win::Dialogs& dialogs, Resolver resolve, Releaser release)
    : dropZone_(dropZone), listZone_(listZone), host_(host), list_(list), dialogs_(dialogs),
      resolve_(resolve ? std::move(resolve) : Resolver(ResolveShortcut)),
      release_(release ? release : ReleaseWithDragFinish) {}

void DropIntake::Register() {
    ::DragAcceptFiles(dropZone_, TRUE);
    ::DragAcceptFiles(listZone_, TRUE);
}

DropIntake::~DropIntake() {
    for (const HeldDrop& held : heldDrops_)
        if (held.drop)
            release_(held.drop);
}

bool DropIntake::Drop(HWND zone, HDROP drop) {
    if (zone != dropZone_ && zone != listZone_)
        return false;
    if (BoxOpen()) {
        heldDrops_.push_back({zone, drop});
        return true;
    }
    DropRelease release(drop, release_);
    std::vector<std::wstring> paths = ReadDroppedPaths(drop);
    if (zone == dropZone_)
        TakeDrop(std::move(paths));
    else
        TakeListZoneDrop(std::move(paths));
    return true;
}

void DropIntake::HoldHandedOver(std::vector<std::wstring> paths) {
    handedOver_.push_back(std::move(paths));
}

void DropIntake::TakeHeld() {
    while (!heldDrops_.empty() && !BoxOpen()) {
        const HeldDrop next = heldDrops_.front();
        heldDrops_.erase(heldDrops_.begin());
        if (next.drop)
            Drop(next.zone, next.drop);
        else
            Refuse();
    }
    while (!handedOver_.empty() && !BoxOpen()) {
        std::vector<std::wstring> next = std::move(handedOver_.front());
        handedOver_.erase(handedOver_.begin());
        host_.ComeToFront();
        TakeDrop(std::move(next));
    }
}

void DropIntake::TakeDrop(std::vector<std::wstring> paths) {
    // Nothing dropped (a start without paths) changes nothing: the count display is left as it
    // is, blank until something is listed.
    if (paths.empty())
        return;
    const bool resolveShortcuts = host_.ShortcutSwitchDown();
    try {
        for (std::wstring& path : paths) {
            if (resolveShortcuts && IsShortcutPath(path)) {
                // A shortcut that yields no target stays in the list as itself rather than as an
                // empty entry, which would lose the dropped file.
                std::wstring target = resolve_(path);
                list_.AppendPath(target.empty() ? std::move(path) : std::move(target));
            } else {
                list_.AppendPath(std::move(path));
            }
        }
    } catch (...) {
        // What was appended before the failure stays; the count must say so.
        list_.UpdateCountDisplay();
        throw;
    }
    list_.UpdateCountDisplay();
}

void DropIntake::TakeListZoneDrop(std::vector<std::wstring> paths) {
    if (paths.empty())
        return;
    if (IsListFilePath(paths.front())) {
        host_.TakeListFile(std::move(paths.front()));
    } else if (host_.ListDropsAllowed()) {
        TakeDrop(std::move(paths));
    } else {
        Refuse();
    }
}

void DropIntake::Refuse() {
    if (BoxOpen()) {
        heldDrops_.push_back({listZone_, nullptr});
        return;
    }
    // A topmost window would cover the warning, so it steps back while the box is open.
    if (host_.TopmostChosen())
        host_.SetTopmost(false);
    RECT frame{};
    ::GetWindowRect(host_.MainHwnd(), &frame);
    const int offset = win::ScaleToDpi(16, win::Window::WindowDpi(host_.MainHwnd()));
    dialogs_.ShowWarningAt(host_.MainHwnd(), L"注意", L"拡張子が.lstに限ります。",
                           POINT{frame.left + offset, frame.top - offset});
    if (host_.TopmostChosen())
        host_.SetTopmost(true);
}

} // namespace intake
