#include "win/dialogs.h"

#include <commctrl.h>

namespace win {

void SystemDialogs::ShowMessage(HWND owner, const std::wstring& text) {
    ::MessageBoxW(owner, text.c_str(), kAppTitle, MB_OK);
}

void SystemDialogs::ShowError(HWND owner, const std::wstring& text) {
    ::MessageBoxW(owner, text.c_str(), kAppTitle, MB_OK | MB_ICONSTOP);
}

bool SystemDialogs::Confirm(HWND owner, const std::wstring& question) {
    // A task dialog, because a Yes/No message box cannot be dismissed with Escape or its
    // close button, and the question must be answerable that way (as a No).
    // No carries the cancel id, so Escape and the close button are the same No on every
    // platform (some task dialogs ignore a cancel that no button stands for).
    const TASKDIALOG_BUTTON buttons[] = {{IDYES, L"はい(&Y)"}, {IDCANCEL, L"いいえ(&N)"}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_USE_HICON_MAIN;
    config.pszWindowTitle = L"確認";
    config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
    config.pszContent = question.c_str();
    config.cButtons = 2;
    config.pButtons = buttons;
    config.nDefaultButton = IDYES;
    int pressed = 0;
    if (FAILED(::TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
        // Without a task dialog, fall back to the message box; its No is still the safe answer.
        pressed = ::MessageBoxW(owner, question.c_str(), L"確認", MB_YESNO | MB_ICONQUESTION);
    }
    return pressed == IDYES;
}

} // namespace win
