// A part of the main window: a piece with its own controls, commands and share of the settings
// (the list, the drop zone, the drag zone, ...). The window makes its parts, hands each the small
// things it needs, and passes on what the platform tells it: commands, messages, keys, the
// program's activation, a change of DPI, its own end. A part answers what is its own and leaves
// the rest to the others.
#pragma once

#include <windows.h>

#include <optional>

namespace win {

class Part {
public:
    virtual ~Part() = default;

    // Every part is made: what this one does from now on begins (the last made first). Whatever
    // it sets off (a message the platform sends at once, say) reaches every part.
    virtual void Started() {}
    // A command of a menu item, a button or a key: true when it is this part's (whether or not
    // it could be run now).
    virtual bool RunCommand(int /*id*/) { return false; }
    // A menu of the window's is about to open: the part's items in it greyed as they can be
    // chosen now.
    virtual void MenuOpening(HMENU /*menu*/) {}
    // A message to the main window, before the window's own handling: the result when the part
    // took it.
    virtual std::optional<LRESULT> Message(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
        return std::nullopt;
    }
    // A character typed anywhere in the window, before the control with the focus has it: true
    // when the part acted on it (the parts made before it then do not see it; the control
    // still does).
    virtual bool KeyPreview(wchar_t /*key*/) { return false; }
    // The program became the active one, or another program did.
    virtual void AppActivated(bool /*active*/) {}
    // The window was laid out again: at a new size, or at a new DPI (then fonts and images too).
    virtual void Resized() {}
    virtual void DpiChanged() {}
    // The window closes, or the session ends (quietly: nobody is there to answer a box). What
    // the part keeps is saved; what it runs is stopped.
    virtual void Closing(bool /*quietly*/) {}
};

// The window's place above other windows: the user's choice ("最前面"), and the window put in
// the topmost band or out of it by the one rule every such change follows.
class Topmost {
public:
    virtual bool Chosen() const = 0;
    // activate false: the program that has the activation keeps it.
    virtual void Place(bool topmost, bool activate = true) = 0;

protected:
    ~Topmost() = default;
};

} // namespace win
