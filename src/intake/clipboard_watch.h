// The main window as a member of the clipboard viewer chain: files copied or cut in the
// shell are shown on the capture panel, from where the user registers them in the list.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/clipboard.h"

namespace intake {

// What the capture needs of the window it lives in.
class CaptureHost {
public:
    virtual HWND Handle() const = 0;
    // The setting "Ctrl+Cを監視する": files are captured while it is on.
    virtual bool Watching() const = 0;
    virtual void DisableWatch() = 0;
    virtual std::wstring MemoText() const = 0;
    virtual void SetMemoText(const std::wstring& text) = 0;
    // Exactly one of the two panels is visible: the capture panel (true) or the list panel.
    virtual void ShowCapturePanel(bool show) = 0;
    virtual void AppendPath(std::wstring path) = 0;
    virtual void UpdateCountDisplay() = 0;
    // Puts the window above all others by its topmost rule, without taking the activation from
    // the program that copied.
    virtual void StayOnTop() = 0;

protected:
    ~CaptureHost() = default;
};

class ClipboardWatch {
public:
    // own: the program's own writes, which are passed on along the chain but not captured.
    ClipboardWatch(CaptureHost& host, const win::OwnClipboardData& own) noexcept
        : host_(host), own_(own) {}
    ClipboardWatch(const ClipboardWatch&) = delete;
    ClipboardWatch& operator=(const ClipboardWatch&) = delete;

    // Joins the chain (watchClipboardBox is disabled when that fails) and starts on the list panel.
    void Join();
    // Hands the chain back; done also when joining failed.
    void Leave();

    // The clipboard changed. The notice is passed on in every case; a failed capture is
    // rethrown afterwards for the window's error handling.
    void WMDrawClipboard();
    // A viewer leaves the chain; the message's result is 0.
    void WMChangeCBChain(HWND leaving, HWND next);

    void LoadClipboardFiles();
    // Registers the memo's lines as they stand, then goes back to the list panel.
    void AddCapturedClick();
    // Goes back to the list panel without registering.
    void BackToListClick();

    HWND NextViewer() const noexcept { return nextViewer_; }

private:
    void TakeStayOnTopStyle();
    void BackToList();

    CaptureHost& host_;
    const win::OwnClipboardData& own_;
    HWND nextViewer_ = nullptr;
    // The window's stay-on-top style, held apart from its topmost state: once taken it is
    // never given up, so a window the user has since made non-topmost stays so.
    bool stayOnTop_ = false;
};

} // namespace intake
