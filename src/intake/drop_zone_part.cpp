#include "intake/drop_zone_part.h"

#include "filelist/file_list.h"
#include "filelist/list_reader.h"
#include "intake/elevation.h"
#include "intake/hand_over_format.h"
#include "win/path_parts.h"
#include "win/program_path.h"
#include "win/text_fit.h"
#include "win/thread_returns.h"

namespace intake {
namespace {

using win::Bounds;
using win::SpeedButton;

} // namespace

DropZonePart::DropZonePart(const Places& places, const Services& services,
                           settings::Settings& settings)
    : places_(places), services_(services), settings_(settings) {
    MakeFont();
    // The zone carries its caption as its name, for whoever reads the window by it.
    zone_ = std::make_unique<win::Panel>(places.leftStrip.Hwnd(), Bounds{2, 71, 190, 58},
                                         COLOR_MENUBAR, true, L"ここにドロップ");
    caption_ = std::make_unique<win::Label>(zone_->Hwnd(), Bounds{1, 1, 188, 19}, L"ここにドロップ",
                                            captionFont_.get(), COLOR_GRADIENTINACTIVECAPTION,
                                            COLOR_WINDOW);
    zone_->AddAligned(caption_->Hwnd(), win::Align::Top);
    clearButton_ =
        std::make_unique<SpeedButton>(zone_->Hwnd(), Bounds{33, 26, 62, 22}, L"リストクリア",
                                      kIdClearList, SpeedButton::Kind::Push);
    shortcutButton_ =
        std::make_unique<SpeedButton>(zone_->Hwnd(), Bounds{111, 26, 74, 25}, L"ショート変換",
                                      kIdShortcut, SpeedButton::Kind::Toggle, true);
    zone_->ApplyDpi();
    allowBox_ = win::CreateChild(L"BUTTON", L"ファイルリストへのドロップを許可",
                                 WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, {6, 54, 176, 17},
                                 places.quickPanel.Hwnd(), kIdAllowListDrops, nullptr);
    win::SetChecked(allowBox_, settings.canDropFileList);
    // What the system's own proxy cannot tell of it: its tick.
    win::DescribeButton(allowBox_);
    FitAllowBox();

    DropHost& host = *this;
    intake_ = std::make_unique<DropIntake>(zone_->Hwnd(), places.listArea.Hwnd(), host,
                                           services.list, services.application.GetDialogs());
    intake_->Register();
    receiver_ = std::make_unique<DropReceiver>(
        zone_->Hwnd(), places.listArea.Hwnd(), *intake_, host, services.statusBar,
        win::ThreadReturns(), places.receivedFolder,
        [&application = services.application](const std::function<bool()>& done) {
            application.PumpUntil(done, INFINITE);
        });
    if (!ElevatedAboveTheShell())
        receiver_->Register();
    LetDropsThroughToAnElevatedWindow();
    for (win::Panel* zone : {zone_.get(), &places.listArea})
        zone->onDropFiles = [this, zone](HDROP drop) {
            if (intake_)
                intake_->Drop(zone->Hwnd(), drop);
        };
}

DropZonePart::~DropZonePart() {
    places_.listArea.onDropFiles = nullptr;
    receiver_.reset();
    intake_.reset(); // the drops it still holds are released
}

void DropZonePart::MakeFont() {
    win::FontHandle font =
        win::MakeGothicFont(win::ScaleToDpi(19, win::Window::WindowDpi(places_.window)), true);
    if (caption_)
        ::SendMessageW(caption_->Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    captionFont_ = std::move(font);
}

void DropZonePart::FitAllowBox() {
    // The quick panel reaches past the left strip, which cuts it off inside its own bevel; the
    // box may use the panel as far as it is seen, and its text no smaller than 10 pixels at 100 %.
    const int dpi = win::Window::WindowDpi(places_.window);
    const int right = win::ChildBounds(places_.leftStrip.Hwnd()).width - win::ScaleToDpi(1, dpi) -
                      win::ChildBounds(places_.quickPanel.Hwnd()).left;
    const auto panelFont =
        reinterpret_cast<HFONT>(::SendMessageW(places_.quickPanel.Hwnd(), WM_GETFONT, 0, 0));
    allowBoxFont_ = win::FitCheckBox(allowBox_, panelFont, right, win::ScaleToDpi(10, dpi));
}

void DropZonePart::TakeStartPaths(std::vector<std::wstring> paths) {
    intake_->TakeDrop(std::move(paths));
}

bool DropZonePart::RunCommand(int id) {
    switch (id) {
    case kIdClearList:
        services_.list.Clear();
        services_.list.UpdateCountDisplay();
        return true;
    case kIdShortcut: // read at each drop
        return true;
    case kIdAllowListDrops:
        settings_.canDropFileList = win::IsChecked(allowBox_);
        return true;
    case kIdOpenReceivedFolder:
        win::ShellActions(places_.window, services_.shell, services_.application.GetDialogs())
            .OpenFolderItself(receiver_->Folder());
        return true;
    }
    return false;
}

std::optional<LRESULT> DropZonePart::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ENABLE:
        // A box of ours has closed: take the drops that came while it was open, once the box
        // is gone.
        if (wParam && intake_->Holding())
            ::PostMessageW(places_.window, kTakeHeldDrops, 0, 0);
        return std::nullopt;
    case kTakeHeldDrops:
        intake_->TakeHeld();
        return 0;
    case WM_COPYDATA:
        return TakeHandOver(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    return std::nullopt;
}

std::optional<LRESULT> DropZonePart::TakeHandOver(const COPYDATASTRUCT* data) {
    // Anyone may send it, shaped any way: only a whole hand-over from this executable is taken,
    // anything else ignored without a word.
    if (data == nullptr || data->dwData != kHandOverId || data->cbData > kHandOverLimit)
        return FALSE;
    if (programPath_.empty())
        programPath_ = win::ProgramPath();
    std::optional<HandOver> handOver = DecodeHandOver(data->lpData, data->cbData);
    if (!handOver || !win::SamePath(handOver->program, programPath_))
        return FALSE;
    // Taken from our own loop once the sender has its answer: a box the paths may bring up must
    // not keep the sender waiting, nor make it think the paths were lost.
    intake_->HoldHandedOver(std::move(handOver->paths));
    ::PostMessageW(places_.window, kTakeHeldDrops, 0, 0);
    return TRUE;
}

bool DropZonePart::KeyPreview(wchar_t key) {
    constexpr wchar_t kEscape = 0x1B;
    if (key != kEscape || !receiver_->Running())
        return false;
    receiver_->Cancel();
    return true;
}

void DropZonePart::AppActivated(bool active) {
    caption_->SetBackColorIndex(active ? COLOR_ACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
}

void DropZonePart::DpiChanged() {
    MakeFont();
    FitAllowBox();
}

void DropZonePart::Closing(bool) {
    // A drop still read would be cut off by the program's end: it is given up now, so that
    // nothing half-received stays and its source hears of it.
    receiver_->StopReading();
}

void DropZonePart::ComeToFront() { services_.application.BringToFront(); }

void DropZonePart::TakeListFile(std::wstring path) { services_.reader.Read(std::move(path)); }

void DropZonePart::LetDropsThroughToAnElevatedWindow() {
    if (!AllowDropMessages({places_.window, zone_->Hwnd(), places_.listArea.Hwnd()}) &&
        RunningElevated()) {
        services_.statusBar.SetText(
            win::StatusBar::kReportPart,
            L"管理者として実行中: エクスプローラーからのドロップは制限されます");
    }
}

} // namespace intake
