// The controls the main window is made of: panels, labels, speed buttons and the image, plus
// thin helpers for the common controls.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <cstddef>

#include <functional>
#include <string>

#include "win/handles.h"
#include "win/window.h"

namespace win {

// Creates a font of the given character height in pixels.
FontHandle MakeFont(const wchar_t* face, int height, bool bold = false, bool italic = false,
                    BYTE charset = DEFAULT_CHARSET);
// The Japanese font of the captions and the list, "ＭＳ Ｐゴシック", of the given height in pixels.
FontHandle MakeGothicFont(int height, bool bold = false);

// A standard control (list view, button, edit, status bar) as a child of parent, at its
// designed (96-DPI) bounds scaled to the parent's DPI, as every control of this toolkit is.
HWND CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                 const Bounds& designed, HWND parent, int id, HFONT font);

std::wstring WindowText(HWND hwnd);

// A panel: a face in a system colour, optionally with a raised one-pixel bevel, whose
// children start inside the bevel. Commands, notifications and context menu requests of its
// children go on to its parent unchanged, so the main window hears of every control whatever
// panel holds it, and knows which control it was.
class Panel : public Window {
public:
    Panel(HWND parent, const Bounds& designed, int colorIndex = COLOR_BTNFACE, bool bevel = true,
          const wchar_t* text = L"");

    int ColorIndex() const noexcept { return colorIndex_; }

    // Files dropped on the panel, in whatever message loop delivers them. The handler owns
    // the drop handle; without one the handle is released here.
    std::function<void(HDROP)> onDropFiles;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    int colorIndex_;
    bool bevel_;
};

// A label: centred text in its own font (WM_SETFONT changes it) and system colours.
class Label : public Window {
public:
    Label(HWND parent, const Bounds& designed, const wchar_t* text, HFONT font, int backColorIndex,
          int textColorIndex);

    int BackColorIndex() const noexcept { return backColorIndex_; }
    void SetBackColorIndex(int colorIndex);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    int backColorIndex_;
    int textColorIndex_;
};

// A speed button: a push button that can stay down. It answers BM_GETCHECK, BM_SETCHECK,
// BM_GETSTATE and BM_CLICK as a standard button does and reports a click to its parent as
// BN_CLICKED after its state has changed. It is a tab stop, and Space or Enter presses it when
// it has the focus; a click with the mouse leaves the focus where it was.
class SpeedButton : public Window {
public:
    enum class Kind {
        Grouped, // one of a group of siblings of which exactly one is down
        Toggle,  // flips on every press
        Push     // never stays down; drawn flat until the pointer is over it
    };

    SpeedButton(HWND parent, const Bounds& designed, const wchar_t* text, int id, Kind kind,
                bool down = false, int group = 0);

    bool Down() const noexcept { return down_; }
    // Changes the state without a click; for a grouped button, putting it down lifts the others.
    void SetDown(bool down);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Click();
    void ShowDown(bool down);
    void Paint(HDC hdc);
    bool PointerInside() const;
    bool ShowsFocus() const;
    LRESULT KeyDown(WPARAM key, LPARAM flags);

    int id_;
    Kind kind_;
    bool down_;
    int group_;
    bool pressing_ = false;
    bool hot_ = false;
    // Space is held down on the button: it looks pressed, and releasing Space clicks it.
    bool spaceHeld_ = false;
};

// An image showing an icon, reporting presses, moves and releases. A left press holds the
// pointer capture (and the pressed state) until the left button is released, so every move
// in between reaches it, in its own coordinates, wherever the pointer is.
class Image : public Window {
public:
    enum class Button { Left, Right, Middle };

    // The icon is drawn to fill the image; the caller keeps it.
    Image(HWND parent, const Bounds& designed, HICON icon);

    bool Pressed() const noexcept { return pressed_; }
    HICON Icon() const noexcept { return icon_; }
    void SetIcon(HICON icon);
    // What a screen reader says of the image: its name and what it is for.
    void SetAccessibleTexts(std::wstring name, std::wstring description);

    std::function<void(Button, int x, int y)> onMouseDown;
    std::function<void(int x, int y)> onMouseMove;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HICON icon_;
    bool pressed_ = false;
};

// An edit field: the whole text selected, and how long a text it takes.
void SelectAllText(HWND edit);
void SetTextLimit(HWND edit, size_t characters);

// A check box's tick.
bool IsChecked(HWND box);
void SetChecked(HWND box, bool checked);

} // namespace win
