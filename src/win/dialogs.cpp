#include "win/dialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <utility>
#include <vector>

#include "win/error.h"
#include "win/text_rules.h"

namespace win {
namespace {

// Where the next message box of this thread goes; set only while ShowWarningAt waits.
thread_local POINT boxPosition;
thread_local HHOOK boxHook;

// Moves the box as it is first activated, then steps aside for good.
LRESULT CALLBACK PlaceBox(int code, WPARAM wParam, LPARAM lParam) {
    LRESULT result = ::CallNextHookEx(boxHook, code, wParam, lParam);
    if (code == HCBT_ACTIVATE && boxHook != nullptr) {
        ::SetWindowPos(reinterpret_cast<HWND>(wParam), nullptr, boxPosition.x, boxPosition.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::UnhookWindowsHookEx(std::exchange(boxHook, nullptr));
    }
    return result;
}

// The platform centres a task dialog on the screen only the first time in a run, then puts it
// at its owner's corner; the question belongs in the middle of the owner's monitor every time.
HRESULT CALLBACK CentreOnOwnersMonitor(HWND dialog, UINT notification, WPARAM, LPARAM,
                                       LONG_PTR owner) {
    if (notification != TDN_CREATED)
        return S_OK;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    HWND anchor = owner != 0 ? reinterpret_cast<HWND>(owner) : dialog;
    if (!::GetMonitorInfoW(::MonitorFromWindow(anchor, MONITOR_DEFAULTTONEAREST), &monitor))
        return S_OK;
    RECT box{};
    ::GetWindowRect(dialog, &box);
    const RECT& area = monitor.rcWork;
    const int width = box.right - box.left, height = box.bottom - box.top;
    ::SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

} // namespace

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
    config.pfCallback = CentreOnOwnersMonitor;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(owner);
    int pressed = 0;
    if (FAILED(::TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
        // Without a task dialog, fall back to the message box; its No is still the safe answer.
        pressed = ::MessageBoxW(owner, question.c_str(), L"確認", MB_YESNO | MB_ICONQUESTION);
    }
    return pressed == IDYES;
}

std::optional<std::wstring> SystemDialogs::AskSaveFileName(HWND owner, const std::wstring& fileName,
                                                           const std::wstring& filter) {
    std::wstring filterPairs = filter + L'|';
    for (wchar_t& c : filterPairs) {
        if (c == L'|')
            c = L'\0';
    }
    // The longest path the system knows, so that no chosen name is cut.
    std::vector<wchar_t> name(32768, L'\0');
    fileName.copy(name.data(), std::min(fileName.size(), name.size() - 1));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterPairs.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (::GetSaveFileNameW(&ofn))
        return std::wstring(name.data());
    if (DWORD code = ::CommDlgExtendedError(); code != 0) {
        throw Error(OleErrorFallback(code), static_cast<long>(code));
    }
    return std::nullopt;
}

void SystemDialogs::ShowWarningAt(HWND owner, const std::wstring& caption, const std::wstring& text,
                                  POINT topLeft) {
    boxPosition = topLeft;
    boxHook = ::SetWindowsHookExW(WH_CBT, PlaceBox, nullptr, ::GetCurrentThreadId());
    ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
    if (boxHook)
        ::UnhookWindowsHookEx(std::exchange(boxHook, nullptr));
}

} // namespace win
