#include "app/clipboard_capture.h"

#include "app/form1.h"

namespace app {

HWND ClipboardCapture::Handle() const { return form_.Hwnd(); }

bool ClipboardCapture::WatchChecked() const {
    return ::SendMessageW(form_.ctrlc, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ClipboardCapture::DisableWatch() { ::EnableWindow(form_.ctrlc, FALSE); }

std::wstring ClipboardCapture::MemoText() const { return win::WindowText(form_.Memo1); }

void ClipboardCapture::SetMemoText(const std::wstring& text) {
    ::SetWindowTextW(form_.Memo1, text.c_str());
}

void ClipboardCapture::ShowCapturePanel(bool show) {
    ::ShowWindow(form_.pctrlc->Hwnd(), show ? SW_SHOW : SW_HIDE);
    ::ShowWindow(form_.pfilelist->Hwnd(), show ? SW_HIDE : SW_SHOW);
}

void ClipboardCapture::AppendPath(std::wstring path) {
    form_.FileList().AppendPath(std::move(path));
}

void ClipboardCapture::UpdateCountDisplay() { form_.FileList().UpdateCountDisplay(); }

} // namespace app
