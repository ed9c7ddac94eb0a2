#include "intake/clipboard_watch.h"

#include <exception>

#include "intake/clipboard_drops.h"
#include "intake/memo_lines.h"

namespace intake {

void ClipboardWatch::Join() {
    // A null result is a failure only when an error code comes with it: clear any older one.
    ::SetLastError(0);
    HWND next = ::SetClipboardViewer(host_.Handle());
    const DWORD error = ::GetLastError();
    nextViewer_ = next;
    if (next == nullptr && error != 0)
        host_.DisableWatch();
    // The platform sends a notice from inside the join; whatever it showed, start on the list.
    host_.ShowCapturePanel(false);
}

void ClipboardWatch::Leave() {
    ::ChangeClipboardChain(host_.Handle(), nextViewer_);
    nextViewer_ = nullptr;
}

void ClipboardWatch::WMDrawClipboard() {
    std::exception_ptr failure;
    if (host_.Watching() && !own_.HoldsOwn()) {
        try {
            host_.ShowCapturePanel(true);
            TakeStayOnTopStyle();
            LoadClipboardFiles();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (nextViewer_ != nullptr)
        ::SendMessageW(nextViewer_, WM_DRAWCLIPBOARD, 0, 0);
    if (failure) {
        // The sender, often the shell, need not wait while the error box is up.
        ::ReplyMessage(0);
        std::rethrow_exception(failure);
    }
}

void ClipboardWatch::WMChangeCBChain(HWND leaving, HWND next) {
    if (leaving == nextViewer_)
        nextViewer_ = next;
    else if (nextViewer_ != nullptr)
        ::SendMessageW(nextViewer_, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(leaving),
                       reinterpret_cast<LPARAM>(next));
}

void ClipboardWatch::LoadClipboardFiles() {
    WORD dropEffect = 0;
    std::wstring files;
    GetClipboardFiles(host_.Handle(), dropEffect, files);
    host_.SetMemoText(files);
    // No files (text was copied, say): the list comes back at once.
    if (files.empty() || files.front() == L'\r')
        host_.ShowCapturePanel(false);
}

void ClipboardWatch::AddCapturedClick() {
    for (std::wstring& line : MemoLines(host_.MemoText()))
        host_.AppendPath(std::move(line));
    host_.UpdateCountDisplay();
    BackToList();
}

void ClipboardWatch::BackToListClick() { BackToList(); }

void ClipboardWatch::TakeStayOnTopStyle() {
    if (stayOnTop_)
        return;
    stayOnTop_ = true;
    host_.StayOnTop();
}

void ClipboardWatch::BackToList() {
    host_.SetMemoText(std::wstring());
    host_.ShowCapturePanel(false);
}

} // namespace intake
