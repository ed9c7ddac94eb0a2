#include "app/quick_panel_part.h"

#include "win/window.h"

namespace app {
namespace {

using win::Bounds;
using win::SpeedButton;

void RemakeFont(HWND root, win::FontHandle& font, win::FontHandle remade) {
    if (font)
        win::ReplaceFont(root, font.get(), remade.get());
    font = std::move(remade);
}

// The window laid out again at its size as it is, once a panel was shown or hidden.
void Relayout(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    ::SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

} // namespace

QuickPanelPart::QuickPanelPart(HWND window, win::Panel& leftStrip, win::Panel& listArea,
                               settings::Settings& settings, bool fromFile)
    : window_(window), leftStrip_(leftStrip), listArea_(listArea), settings_(settings),
      fromFile_(fromFile) {
    panel_ = std::make_unique<win::Panel>(leftStrip.Hwnd(), Bounds{8, 135, 190, 97});
    MakeFonts();
    ::SendMessageW(panel_->Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    caption_ = std::make_unique<win::Label>(panel_->Hwnd(), Bounds{1, 1, 188, 15}, L"クイック操作",
                                            captionFont_.get(), COLOR_MENUBAR, COLOR_WINDOWTEXT);
    panel_->AddAligned(caption_->Hwnd(), win::Align::Top);
    listAreaButton_ =
        std::make_unique<SpeedButton>(panel_->Hwnd(), Bounds{11, 26, 78, 22}, L"ファイルリスト",
                                      kIdListArea, SpeedButton::Kind::Toggle, true);
    topmostButton_ =
        std::make_unique<SpeedButton>(panel_->Hwnd(), Bounds{95, 26, 78, 22}, L"最前面", kIdTopmost,
                                      SpeedButton::Kind::Toggle, settings.topmost);
    panel_->ApplyDpi();
}

void QuickPanelPart::Started() {
    // Last of the left strip in the tab order, after the zones the other parts made in it.
    ::SetWindowPos(panel_->Hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (fromFile_)
        PlaceFromSettings();
    Place(settings_.topmost);
    listAreaButton_->SetDown(settings_.fileListVisible);
    ApplyListAreaMode(settings_.fileListVisible);
    Resized();
    // Centred as it is first shown, that is with the size the mode and the minimum height gave.
    if (!fromFile_) {
        RECT r{};
        ::GetWindowRect(window_, &r);
        const int x = (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
        const int y = (::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
        ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int QuickPanelPart::Scale(int designed) const {
    return win::ScaleToDpi(designed, win::Window::WindowDpi(window_));
}

void QuickPanelPart::MakeFonts() {
    const HWND root = panel_->Hwnd();
    RemakeFont(root, font_, win::MakeFont(L"Tahoma", Scale(12)));
    RemakeFont(root, captionFont_, win::MakeGothicFont(Scale(15)));
}

void QuickPanelPart::PlaceFromSettings() {
    const settings::Settings& s = settings_;
    // Hidden before the window takes its saved width, so that a compact window does not
    // squeeze the list area: it keeps its width for when the list is shown again.
    if (!s.fileListVisible)
        ::ShowWindow(listArea_.Hwnd(), SW_HIDE);
    // Sizes are kept in designed (96-DPI) units, so the window looks as large at any scale;
    // positions are the screen's own. A file without a width (or with none that could be
    // meant) keeps the designed one: a width of nothing would leave no list to see.
    RECT designed{};
    ::GetWindowRect(window_, &designed);
    const int width = s.formWidth > 0 ? Scale(s.formWidth) : designed.right - designed.left;
    const int height = Scale(s.formHeight);
    RECT r = settings::BringOntoMonitor({s.left, s.top, s.left + width, s.top + height});
    ::SetWindowPos(window_, nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void QuickPanelPart::Place(bool topmost, bool activate) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | (activate ? 0 : SWP_NOACTIVATE);
    ::SetWindowPos(window_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    const bool isTopmost = (::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (isTopmost != topmost) {
        // Some window managers (Wine's among them) re-insert an owned window just above its
        // owner and so ignore the change; made for a moment without the owner, it holds.
        const LONG_PTR owner = ::GetWindowLongPtrW(window_, GWLP_HWNDPARENT);
        ::SetWindowLongPtrW(window_, GWLP_HWNDPARENT, 0);
        ::SetWindowPos(window_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
        ::SetWindowLongPtrW(window_, GWLP_HWNDPARENT, owner);
    }
}

void QuickPanelPart::Choose(bool topmost) {
    settings_.topmost = topmost;
    topmostButton_->SetDown(topmost);
    Place(topmost);
}

void QuickPanelPart::ShowListArea() {
    if (settings_.fileListVisible)
        return;
    listAreaButton_->SetDown(true);
    ApplyListAreaMode(true);
}

void QuickPanelPart::ApplyListAreaMode(bool visible) {
    settings_.fileListVisible = visible;
    if (::IsZoomed(window_))
        ::ShowWindow(window_, SW_RESTORE);
    // The list area is hidden before the window's client area changes and shown only after
    // it has its final width, so no intermediate size squeezes or stretches it: it keeps its
    // width for the way back.
    if (!visible)
        ::ShowWindow(listArea_.Hwnd(), SW_HIDE);
    LONG style = ::GetWindowLongW(window_, GWL_STYLE);
    const LONG frame = WS_THICKFRAME | WS_MAXIMIZEBOX;
    style = visible ? (style | frame) : (style & ~frame);
    ::SetWindowLongW(window_, GWL_STYLE, style);
    ::SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The width follows the panels: the frame as it now is, around the left strip and, in full
    // mode, the list area with the width it last had. Measuring the frame (rather than
    // computing it) keeps a switch to compact and back exact to the pixel.
    RECT outer{};
    RECT client{};
    ::GetWindowRect(window_, &outer);
    ::GetClientRect(window_, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    int clientWidth = win::ChildBounds(leftStrip_.Hwnd()).width;
    if (visible)
        clientWidth += win::ChildBounds(listArea_.Hwnd()).width;
    ::SetWindowPos(window_, nullptr, 0, 0, clientWidth + frameWidth, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (visible)
        ::ShowWindow(listArea_.Hwnd(), SW_SHOW);
    Relayout(window_);
}

bool QuickPanelPart::RunCommand(int id) {
    switch (id) {
    case kIdListArea:
        ApplyListAreaMode(!settings_.fileListVisible);
        return true;
    case kIdTopmost:
        Choose(topmostButton_->Down());
        return true;
    }
    return false;
}

bool QuickPanelPart::KeyPreview(wchar_t key) {
    if (key != L'z' && key != L'x')
        return false;
    Choose(key == L'z');
    return true;
}

void QuickPanelPart::Resized() {
    RECT r{};
    ::GetWindowRect(window_, &r);
    const int minimumHeight = Scale(305);
    if (r.bottom - r.top < minimumHeight)
        ::SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, minimumHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void QuickPanelPart::DpiChanged() {
    MakeFonts();
    // The width the system suggests is the old one scaled; compact mode's is the left strip's.
    if (!settings_.fileListVisible)
        ApplyListAreaMode(false);
}

void QuickPanelPart::Closing(bool) {
    RECT r{};
    ::GetWindowRect(window_, &r);
    const int dpi = win::Window::WindowDpi(window_);
    settings_.top = r.top;
    settings_.left = r.left;
    settings_.formWidth = win::ScaleFromDpi(r.right - r.left, dpi);
    settings_.formHeight = win::ScaleFromDpi(r.bottom - r.top, dpi);
}

} // namespace app
