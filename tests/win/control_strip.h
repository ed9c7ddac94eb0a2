// A window of the toolkit's controls laid out as the main window's left strip, beside a list
// view that stands first in the tab order as the file list does: for the tests of what the
// controls do for the keyboard and for screen readers, apart from the main window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drag_kit.h"
#include "filelist/list_accessibility.h"
#include "pump.h"
#include "win/accessible.h"
#include "win/controls.h"

namespace tuckbay::test {

class ControlStrip {
public:
    enum Id : int {
        kList = 1,
        kCopy,
        kMove,
        kClear,
        kShortcut,
        kAllowDrops,
        kWatchClipboard,
        kAddCaptured
    };

    ControlStrip() {
        using win::Bounds;
        using win::SpeedButton;
        RegisterTestWindowClass(kClass, Procedure);
        top = ::CreateWindowExW(WS_EX_CONTROLPARENT, kClass, L"strip",
                                WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100, 520, 300,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(top, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        list = win::CreateChild(
            WC_LISTVIEWW, L"", WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA,
            WS_EX_CLIENTEDGE, {194, 0, 300, 232}, top, kList, nullptr);
        dragZone = std::make_unique<win::Panel>(top, Bounds{1, 1, 191, 64}, COLOR_BTNFACE, true,
                                                L"アイコンをドラッグ");
        dragCaption = std::make_unique<win::Label>(dragZone->Hwnd(), Bounds{1, 1, 189, 19},
                                                   L"アイコンをドラッグ", nullptr,
                                                   COLOR_ACTIVECAPTION, COLOR_WINDOW);
        dragIcon = std::make_unique<win::Image>(dragZone->Hwnd(), Bounds{13, 19, 32, 32},
                                                ::LoadIconW(nullptr, IDI_APPLICATION));
        copy = std::make_unique<SpeedButton>(dragZone->Hwnd(), Bounds{57, 26, 49, 25}, L"コピー",
                                             kCopy, SpeedButton::Kind::Grouped, true, 1);
        move = std::make_unique<SpeedButton>(dragZone->Hwnd(), Bounds{105, 26, 49, 25}, L"移動",
                                             kMove, SpeedButton::Kind::Grouped, false, 1);
        dropZone = std::make_unique<win::Panel>(top, Bounds{2, 71, 190, 58}, COLOR_MENUBAR, true,
                                                L"ここにドロップ");
        dropCaption =
            std::make_unique<win::Label>(dropZone->Hwnd(), Bounds{1, 1, 188, 19}, L"ここにドロップ",
                                         nullptr, COLOR_ACTIVECAPTION, COLOR_WINDOW);
        clear = std::make_unique<SpeedButton>(dropZone->Hwnd(), Bounds{33, 26, 62, 22},
                                              L"リストクリア", kClear, SpeedButton::Kind::Push);
        shortcut = std::make_unique<SpeedButton>(dropZone->Hwnd(), Bounds{111, 26, 74, 25},
                                                 L"ショート変換", kShortcut,
                                                 SpeedButton::Kind::Toggle, true);
        allowDrops = win::CreateChild(L"BUTTON", L"ファイルリストへのドロップを許可",
                                      WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                                      {6, 140, 176, 17}, top, kAllowDrops, nullptr);
        watchClipboard = win::CreateChild(L"BUTTON", L"Ctrl+Cを監視する",
                                          WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                                          {6, 160, 163, 17}, top, kWatchClipboard, nullptr);
        ::SendMessageW(allowDrops, BM_SETCHECK, BST_CHECKED, 0);
        addCaptured = win::CreateChild(L"BUTTON", L"ファイルリストへ登録する",
                                       WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                                       {6, 180, 137, 25}, top, kAddCaptured, nullptr);
        statusBar = win::CreateChild(STATUSCLASSNAMEW, L"", WS_VISIBLE | CCS_NOPARENTALIGN, 0,
                                     {0, 232, 500, 19}, top, 0, nullptr);
        int parts[] = {50, -1};
        ::SendMessageW(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

        // Told to screen readers as the main window tells them.
        dragIcon->SetAccessibleTexts(L"アイコンをドラッグ",
                                     L"リストのすべてのファイルをドラッグします");
        win::DescribeButton(allowDrops);
        win::DescribeButton(watchClipboard);
        win::DescribeButton(addCaptured);
        win::DescribeStatusBar(statusBar);
        listAccessibility = std::make_shared<filelist::ListAccessibility>(
            list, filelist::ListAccessibility::Rows{
                      [this] { return paths.size(); },
                      [this](size_t row) { return paths[row]; },
                      [this](size_t row) { return missing.count(row) > 0; },
                      [this] { return Next(LVNI_FOCUSED); },
                      [this] { return Next(LVNI_SELECTED); },
                  });
        ::SetWindowSubclass(list, ListProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
        ::SetForegroundWindow(top);
        ::SetFocus(list);
        PumpPending();
    }
    // The toolkit's controls are unbound with their windows and let go of nothing more.
    ~ControlStrip() { ::DestroyWindow(top); }
    ControlStrip(const ControlStrip&) = delete;
    ControlStrip& operator=(const ControlStrip&) = delete;

    // Runs this thread's messages as a window with a tab order does: Tab and Shift+Tab move the
    // focus from one tab stop to the next, through the panels.
    bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!::IsDialogMessageW(top, &msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
                if (msg.message == WM_KEYUP || msg.message == WM_LBUTTONUP)
                    ++releases;
            }
            if (done())
                return true;
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            ::MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }

    HWND top = nullptr;
    HWND list = nullptr;
    std::unique_ptr<win::Panel> dragZone;
    std::unique_ptr<win::Label> dragCaption;
    std::unique_ptr<win::Image> dragIcon;
    std::unique_ptr<win::SpeedButton> copy;
    std::unique_ptr<win::SpeedButton> move;
    std::unique_ptr<win::Panel> dropZone;
    std::unique_ptr<win::Label> dropCaption;
    std::unique_ptr<win::SpeedButton> clear;
    std::unique_ptr<win::SpeedButton> shortcut;
    HWND allowDrops = nullptr;
    HWND watchClipboard = nullptr;
    HWND addCaptured = nullptr; // a standard push button, as the capture panel's
    HWND statusBar = nullptr;
    // The clicks the window heard of, by control id, in their order.
    std::vector<int> clicks;
    // The list's rows and the ones whose files are missing.
    void SetRows(std::vector<std::wstring> rows, std::set<size_t> missingRows) {
        paths = std::move(rows);
        missing = std::move(missingRows);
        ::SendMessageW(list, LVM_SETITEMCOUNT, paths.size(), 0);
    }
    std::vector<std::wstring> paths;
    std::set<size_t> missing;
    std::shared_ptr<filelist::ListAccessibility> listAccessibility;
    // Key and button releases the pump has handled: an input script waits for its own.
    std::atomic<int> releases{0};

private:
    static constexpr wchar_t kClass[] = L"TuckbayControlStrip";

    std::optional<size_t> Next(UINT flags) const {
        const auto row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flags);
        return row >= 0 ? std::optional<size_t>(static_cast<size_t>(row)) : std::nullopt;
    }

    static LRESULT CALLBACK ListProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self) {
        if (msg == WM_GETOBJECT) {
            auto* strip = reinterpret_cast<ControlStrip*>(self);
            if (auto answer = win::AnswerGetObject(hwnd, wParam, lParam, strip->listAccessibility))
                return *answer;
        }
        if (msg == WM_NCDESTROY)
            ::RemoveWindowSubclass(hwnd, ListProcedure, id);
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ControlStrip*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr && msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
            self->clicks.push_back(LOWORD(wParam));
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

} // namespace tuckbay::test
