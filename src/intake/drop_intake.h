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

// The main window's side of a drop: the switches read at the moment of each drop.
class DropHost {
public:
    virtual bool ShortcutSwitchDown() const = 0; // shortcutButton
    virtual bool ListDropsAllowed() const = 0;   // allowListDropsBox
    virtual bool TopmostSwitchDown() const = 0;  // topmostButton
    virtual HWND MainHwnd() const = 0;
    // Makes the main window topmost or not by the window's topmost rule.
    virtual void SetTopmost(bool topmost) = 0;

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

    // A WM_DROPFILES on either zone, from whatever loop delivered it. Returns whether the message
    // is handled; every drop handle that reaches it is released, also when handling ends in an
    // error.
    bool HandleMessage(const MSG& msg);

    // Appends paths as a drop of them on the drop zone does: shortcuts resolved while the
    // shortcut switch is down, everything else (list files too) as given, in order. Paths from
    // the command line and from a second launch come in here too.
    void TakeDrop(std::vector<std::wstring> paths);

private:
    void TakeListZoneDrop(std::vector<std::wstring> paths, bool& handled);
    void Refuse();

    HWND dropZone_;
    HWND listZone_;
    DropHost& host_;
    filelist::FileList& list_;
    win::Dialogs& dialogs_;
    Resolver resolve_;
    Releaser release_;
};

} // namespace intake
