#include "intake/capture_part.h"

#include "filelist/file_list.h"
#include "win/accessible.h"

namespace intake {

using win::Align;

CapturePart::CapturePart(const Places& places, filelist::FileList& list, win::Topmost& topmost,
                         const win::OwnClipboardData& own, settings::Settings& settings)
    : places_(places), list_(list), topmost_(topmost), settings_(settings), watch_(*this, own) {
    const HWND area = places.listArea.Hwnd();
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(area, WM_GETFONT, 0, 0));
    panel_ = std::make_unique<win::Panel>(area, win::Bounds{1, 1, 496, 230});
    ::ShowWindow(panel_->Hwnd(), SW_HIDE);
    // Empty until the capture fills it, which it does before the panel is ever shown.
    memo_ =
        win::CreateChild(L"EDIT", L"",
                         WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                             ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN,
                         WS_EX_CLIENTEDGE, {1, 1, 494, 187}, panel_->Hwnd(), kIdCaptureMemo, font);
    buttons_ = std::make_unique<win::Panel>(panel_->Hwnd(), win::Bounds{1, 188, 494, 41});
    addButton_ = win::CreateChild(L"BUTTON", L"ファイルリストへ登録する",
                                  WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, {8, 6, 137, 25},
                                  buttons_->Hwnd(), kIdAddCaptured, font);
    backButton_ = win::CreateChild(L"BUTTON", L"ファイルリストへ戻る",
                                   WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, {152, 6, 113, 25},
                                   buttons_->Hwnd(), kIdBackToList, font);
    panel_->AddAligned(buttons_->Hwnd(), Align::Bottom);
    panel_->AddAligned(memo_, Align::Client);
    places.listArea.AddAligned(panel_->Hwnd(), Align::Client);
    watchBox_ = win::CreateChild(
        L"BUTTON", L"Ctrl+Cを監視する", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
        {6, 70, 163, 17}, places.quickPanel.Hwnd(), kIdWatchClipboard,
        reinterpret_cast<HFONT>(::SendMessageW(places.quickPanel.Hwnd(), WM_GETFONT, 0, 0)));
    win::SetChecked(watchBox_, settings.canCtrlC);
    // What the system's own proxies cannot tell of them: a check box's tick.
    for (HWND button : {addButton_, backButton_, watchBox_})
        win::DescribeButton(button);
}

void CapturePart::Started() { watch_.Join(); }

void CapturePart::SetMemoText(const std::wstring& text) { ::SetWindowTextW(memo_, text.c_str()); }

void CapturePart::ShowCapturePanel(bool show) {
    ::ShowWindow(panel_->Hwnd(), show ? SW_SHOW : SW_HIDE);
    ::ShowWindow(places_.listPanel, show ? SW_HIDE : SW_SHOW);
    // A hidden panel is not aligned: the one now shown takes the list area as it is now.
    places_.listArea.Realign();
}

void CapturePart::AppendPath(std::wstring path) { list_.AppendPath(std::move(path)); }

void CapturePart::UpdateCountDisplay() { list_.UpdateCountDisplay(); }

bool CapturePart::RunCommand(int id) {
    switch (id) {
    case kIdWatchClipboard:
        settings_.canCtrlC = win::IsChecked(watchBox_);
        return true;
    case kIdAddCaptured:
        watch_.AddCapturedClick();
        return true;
    case kIdBackToList:
        watch_.BackToListClick();
        return true;
    }
    return false;
}

std::optional<LRESULT> CapturePart::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DRAWCLIPBOARD:
        watch_.WMDrawClipboard();
        return 0;
    case WM_CHANGECBCHAIN:
        watch_.WMChangeCBChain(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    }
    return std::nullopt;
}

void CapturePart::Closing(bool) { watch_.Leave(); }

} // namespace intake
