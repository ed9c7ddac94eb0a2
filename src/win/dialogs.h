// Modal boxes go through this interface: the program uses the system's boxes, tests script
// the answers and record what was asked.
#pragma once

#include <windows.h>

#include <string>

namespace win {

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The plain message: title "Tuckbay", no icon, one "OK" button, centred on the screen.
    virtual void ShowMessage(HWND owner, const std::wstring& text) = 0;

    // The standard error box: title "Tuckbay", stop icon, one "OK" button.
    virtual void ShowError(HWND owner, const std::wstring& text) = 0;

    // The confirmation box "確認" with "はい(&Y)" (default) and "いいえ(&N)". True only when
    // the user answered Yes: No, Escape and the close button all keep things as they are.
    virtual bool Confirm(HWND owner, const std::wstring& question) = 0;
};

// The real boxes.
class SystemDialogs : public Dialogs {
public:
    void ShowMessage(HWND owner, const std::wstring& text) override;
    void ShowError(HWND owner, const std::wstring& text) override;
    bool Confirm(HWND owner, const std::wstring& question) override;
};

inline constexpr wchar_t kAppTitle[] = L"Tuckbay";

} // namespace win
