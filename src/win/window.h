// The base of every window class of the program: binds the C++ object to its native window,
// dispatches messages to a member function inside the program's exception boundary, and lays
// out aligned children whenever the window changes size.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "win/layout.h"

namespace win {

class AccessibleSource;

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Hwnd() const noexcept { return hwnd_; }

    // The object behind a native window created by this class family, or null.
    static Window* FromHwnd(HWND hwnd) noexcept;

    // The DPI the window is laid out for: its top-level window's, as the system last reported
    // it. Every designed length (for 96 DPI) reaches the screen through Scale.
    int Dpi() const noexcept { return WindowDpi(hwnd_); }
    int Scale(int designed) const noexcept { return ScaleToDpi(designed, Dpi()); }
    static int WindowDpi(HWND hwnd) noexcept;

    // Remembers a child's designed bounds, so that a change of DPI can place it again.
    void AddDesigned(HWND child, const Bounds& designed);
    // Keeps child aligned on every resize; a strip keeps its current thickness.
    void AddAligned(HWND child, Align align);
    // Room kept free along every edge before children are aligned (a bevel), designed.
    void SetContentInset(int inset) noexcept { inset_ = inset; }
    void Realign();
    // Lays the children out again for the window's DPI: each at its designed bounds scaled,
    // then aligned, then the same inside each of them.
    void ApplyDpi();

protected:
    // Registers the class once per process; the procedure is the shared static one.
    static void RegisterWindowClass(const wchar_t* className, UINT style, int backgroundColor,
                                    HCURSOR cursor = nullptr);
    // Creates the native window and binds this object to it.
    void CreateNative(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menuOrId);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // What screen readers are told of the window beyond what the system's proxy knows of it.
    void SetAccessibleSource(std::shared_ptr<AccessibleSource> source) {
        accessible_ = std::move(source);
    }
    LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called after the window was destroyed and unbound.
    virtual void OnDestroyed() {}

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    struct AlignedChild {
        HWND hwnd;
        Align align;
    };
    struct DesignedChild {
        HWND hwnd;
        Bounds bounds;
    };

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    int dpi_ = kDesignedDpi;
    int inset_ = 0;
    std::vector<AlignedChild> aligned_;
    std::vector<DesignedChild> designed_;
    std::shared_ptr<AccessibleSource> accessible_;
};

// The bounds of a child window relative to its parent's client area.
Bounds ChildBounds(HWND child);

// Gives every window of the tree under root (root too) that uses the font from the new one.
void ReplaceFont(HWND root, HFONT from, HFONT to);

} // namespace win
