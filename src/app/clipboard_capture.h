// The main window's controls as the clipboard capture sees them, with the capture itself.
#pragma once

#include <windows.h>

#include <string>

#include "intake/clipboard_watch.h"

namespace app {

class MainWindow;

class ClipboardCapture final : public intake::CaptureHost {
public:
    explicit ClipboardCapture(MainWindow& mainWindow) noexcept : window_(mainWindow) {}

    HWND Handle() const override;
    bool WatchChecked() const override;
    void DisableWatch() override;
    std::wstring MemoText() const override;
    void SetMemoText(const std::wstring& text) override;
    void ShowCapturePanel(bool show) override;
    void AppendPath(std::wstring path) override;
    void UpdateCountDisplay() override;
    void StayOnTop() override;

    intake::ClipboardWatch watch{*this};

private:
    MainWindow& window_;
};

} // namespace app
