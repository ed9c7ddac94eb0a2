// Modal boxes go through this interface: the program uses the system's boxes, tests script
// the answers and record what was asked.
#pragma once

#include <windows.h>

#include <optional>
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

    // The save-file dialog offering fileName, with filter pairs written "name|pattern|...".
    // It adds no extension, replaces an existing file without asking, hides the read-only
    // box and can be resized. The chosen full path, or nothing when the user cancelled.
    virtual std::optional<std::wstring> AskSaveFileName(HWND owner, const std::wstring& fileName,
                                                        const std::wstring& filter) = 0;

    // A warning box (warning icon, one "OK") with its top-left corner at topLeft on screen.
    virtual void ShowWarningAt(HWND owner, const std::wstring& caption, const std::wstring& text,
                               POINT topLeft) = 0;
};

// The real boxes.
class SystemDialogs : public Dialogs {
public:
    void ShowMessage(HWND owner, const std::wstring& text) override;
    void ShowError(HWND owner, const std::wstring& text) override;
    bool Confirm(HWND owner, const std::wstring& question) override;
    std::optional<std::wstring> AskSaveFileName(HWND owner, const std::wstring& fileName,
                                                const std::wstring& filter) override;
    void ShowWarningAt(HWND owner, const std::wstring& caption, const std::wstring& text,
                       POINT topLeft) override;
};

inline constexpr wchar_t kAppTitle[] = L"Tuckbay";

} // namespace win
