// Files dropped on the main window: the drop zone takes every path, the list zone reads a dropped
// list file or takes the paths when the user allows it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace filelist {
class FileList;
}
namespace win {
class Dialogs;
}

namespace intake {

// What a drop reads and asks of the window it lands in, at the moment of each drop.
class DropHost {
public:
    // The shortcut switch ("ショート変換") is down.
    virtual bool ShortcutSwitchDown() const = 0;
    // The settings: the list takes plain paths ("ファイルリストへのドロップを許可"); the window is
    // to stay above the others ("最前面").
    virtual bool ListDropsAllowed() const = 0;
    virtual bool TopmostChosen() const = 0;
    virtual HWND MainHwnd() const = 0;
    // Makes the main window topmost or not by the window's topmost rule.
    virtual void SetTopmost(bool topmost) = 0;
    // Brings the main window to the front, restored if need be: paths handed over by another
    // launch are the user's request to see the basket.
    virtual void ComeToFront() = 0;
    // Reads a list file dropped on the list into the list, off the window's thread.
    virtual void TakeListFile(std::wstring path) = 0;

protected:
    ~DropHost() = default;
};

// Every path a drop carries, in the drop's order and at full length.
std::vector<std::wstring> ReadDroppedPaths(HDROP drop);

class DropIntake {
public:
    using Resolver = std::function<std::wstring(const std::wstring&)>;
    using Releaser = void (*)(HDROP);

    DropIntake(HWND dropZone, HWND listZone, DropHost& host, filelist::FileList& list,
               win::Dialogs& dialogs, Resolver resolve = nullptr, Releaser release = nullptr);

    // Makes both zones file-drop targets.
    void Register();

    // A drop on one of the zones (as WM_DROPFILES brought it, from whatever loop delivered it).
    // False, and the handle left alone, for any other window; otherwise the handle is released
    // once, also when handling ends in an error. While a box of ours is open (the main window
    // disabled) the drop is held, in order, until TakeHeld: it must neither be lost nor open a
    // second box.
    bool Drop(HWND zone, HDROP drop);

    // Appends paths as a drop of them on the drop zone does: shortcuts resolved while the
    // shortcut switch is down, everything else (list files too) as given, in order. Paths from
    // the command line come in here too. No paths: nothing happens, the count display included.
    void TakeDrop(std::vector<std::wstring> paths);
    // Paths a second launch handed over: held until TakeHeld, which the window calls from its own
    // loop once the sender has its answer; then taken as a drop on the drop zone, the window
    // brought to the front.
    void HoldHandedOver(std::vector<std::wstring> paths);
    // A drop the list refuses while list drops are not allowed: the warning, with the main window
    // off topmost while it shows; held, in order with the drops, while a box of ours is open.
    void Refuse();

    // Whether drops or handed-over paths are held, and taking them, one at a time, as long as no
    // box of ours is open (a drop may open one, and what arrives meanwhile is held again).
    bool Holding() const noexcept { return !heldDrops_.empty() || !handedOver_.empty(); }
    void TakeHeld();

    // Releases the drops still held: the window is going.
    ~DropIntake();
    DropIntake(const DropIntake&) = delete;
    DropIntake& operator=(const DropIntake&) = delete;

private:
    struct HeldDrop {
        HWND zone;
        HDROP drop; // null: a refusal
    };
    bool BoxOpen() const { return !::IsWindowEnabled(host_.MainHwnd()); }
    void TakeListZoneDrop(std::vector<std::wstring> paths);

    HWND dropZone_;
    HWND listZone_;
    DropHost& host_;
    filelist::FileList& list_;
    win::Dialogs& dialogs_;
    Resolver resolve_;
    Releaser release_;
    std::vector<HeldDrop> heldDrops_;
    std::vector<std::vector<std::wstring>> handedOver_;
};

} // namespace intake
