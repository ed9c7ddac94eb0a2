#include "app/clipboard_capture.h"

#include "app/main_window.h"

namespace app {

HWND ClipboardCapture::Handle() const { return window_.Hwnd(); }

bool ClipboardCapture::WatchChecked() const { return window_.Settings().canCtrlC; }

void ClipboardCapture::DisableWatch() {
    ::EnableWindow(window_.Controls().watchClipboardBox, FALSE);
}

std::wstring ClipboardCapture::MemoText() const {
    return win::WindowText(window_.Controls().captureMemo);
}

void ClipboardCapture::SetMemoText(const std::wstring& text) {
    ::SetWindowTextW(window_.Controls().captureMemo, text.c_str());
}

void ClipboardCapture::ShowCapturePanel(bool show) {
    ::ShowWindow(window_.Controls().capturePanel->Hwnd(), show ? SW_SHOW : SW_HIDE);
    ::ShowWindow(window_.Controls().listPanel->Hwnd(), show ? SW_HIDE : SW_SHOW);
    // A hidden panel is not aligned: the one now shown takes the list area as it is now.
    window_.Controls().listArea->Realign();
}

void ClipboardCapture::AppendPath(std::wstring path) {
    window_.FileList().AppendPath(std::move(path));
}

void ClipboardCapture::UpdateCountDisplay() { window_.FileList().UpdateCountDisplay(); }

void ClipboardCapture::StayOnTop() { window_.SetTopmost(true, false); }

} // namespace app
