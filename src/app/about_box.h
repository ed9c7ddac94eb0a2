// The about box "バージョン情報": the program's name and version and a line of credit.
// It is made once, hidden, and shown modally over the main window as often as asked.
#pragma once

#include <windows.h>

#include "win/application.h"
#include "win/handles.h"
#include "win/window.h"

namespace app {

class AboutBox : public win::Window {
public:
    // owner: the main window, which owns the box while it is shown.
    AboutBox(win::Application& application, HWND owner);

    // Centred over the owner, which takes no input until the box is closed.
    void ShowModal();

    HWND Handle() const noexcept { return Hwnd(); }
    HWND TitleLabel() const noexcept { return titleLabel_; }
    HWND CreditLabel() const noexcept { return creditLabel_; }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    HWND MakeLabel(const wchar_t* text);
    void PlaceLabel(HWND label, int x, int y, HFONT font);
    // Fonts, size and labels for a DPI.
    void LayOut(int dpi);

    // Fonts outlive the window and its labels, which hold them.
    win::FontHandle windowFont_;
    win::FontHandle titleFont_;
    win::Application& application_;
    HWND owner_;
    HWND titleLabel_ = nullptr;
    HWND creditLabel_ = nullptr;
    int dpi_ = 0;
    bool closed_ = false;
};

} // namespace app
