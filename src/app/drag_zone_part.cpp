#include "app/drag_zone_part.h"

#include <commctrl.h>

#include "dragout/clipboard_files.h"
#include "dragout/drag_out.h"
#include "filelist/file_list.h"
#include "filelist/list_commands.h"
#include "filelist/list_part.h"
#include "res/resource.h"
#include "win/shell_actions.h"

namespace app {
namespace {

using win::Bounds;
using win::SpeedButton;

} // namespace

DragZonePart::DragZonePart(const Places& places, const Services& services,
                           settings::Settings& settings)
    : places_(places), services_(services), settings_(settings),
      afterDrag_(services.list, services.statusBar) {
    // The zone carries its caption as its name, for whoever reads the window by it.
    zone_ = std::make_unique<win::Panel>(places.leftStrip.Hwnd(), Bounds{1, 1, 191, 64},
                                         COLOR_BTNFACE, true, L"アイコンをドラッグ");
    // First of the left strip in the tab order, whatever was made in it before.
    ::SetWindowPos(zone_->Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MakeFontAndIcon();
    caption_ =
        std::make_unique<win::Label>(zone_->Hwnd(), Bounds{1, 1, 189, 19}, L"アイコンをドラッグ",
                                     captionFont_.get(), COLOR_ACTIVECAPTION, COLOR_WINDOW);
    zone_->AddAligned(caption_->Hwnd(), win::Align::Top);
    icon_ = std::make_unique<win::Image>(zone_->Hwnd(), Bounds{13, 19, 32, 32}, filesIcon_.get());
    icon_->onMouseDown = [this](win::Image::Button b, int x, int y) {
        gesture_.MouseDown(b == win::Image::Button::Left, x, y);
    };
    icon_->onMouseMove = [this](int x, int y) { gesture_.MouseMove(x, y); };
    icon_->SetAccessibleTexts(L"アイコンをドラッグ", L"リストのすべてのファイルをドラッグします");
    copyButton_ = std::make_unique<SpeedButton>(zone_->Hwnd(), Bounds{57, 26, 49, 25}, L"コピー",
                                                kIdCopyMode, SpeedButton::Kind::Grouped, true, 1);
    moveButton_ = std::make_unique<SpeedButton>(zone_->Hwnd(), Bounds{105, 26, 49, 25}, L"移動",
                                                kIdMoveMode, SpeedButton::Kind::Grouped, false, 1);
    zone_->ApplyDpi();
    Choose(AfterDragChoiceFrom(settings.afterDrag));
}

void DragZonePart::MakeFontAndIcon() {
    const int dpi = win::Window::WindowDpi(places_.window);
    win::FontHandle font = win::MakeGothicFont(win::ScaleToDpi(19, dpi), true);
    // Handed out first, destroyed after: no window is ever left holding a destroyed one.
    const int size = win::ScaleToDpi(32, dpi);
    win::IconHandle icon(static_cast<HICON>(::LoadImageW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_FILES), IMAGE_ICON, size, size, 0)));
    if (caption_)
        ::SendMessageW(caption_->Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    if (icon_)
        icon_->SetIcon(icon.get());
    captionFont_ = std::move(font);
    filesIcon_ = std::move(icon);
}

void DragZonePart::Choose(AfterDragChoice choice) {
    settings_.afterDrag = static_cast<int>(choice);
    ::CheckMenuRadioItem(places_.mainMenu, kIdAfterDragKeep, kIdAfterDragTakeOffDragged,
                         kIdAfterDragKeep + settings_.afterDrag, MF_BYCOMMAND);
    afterDrag_.SetChoice(choice);
}

bool DragZonePart::RunCommand(int id) {
    switch (id) {
    case kIdCopyMode:
    case kIdMoveMode: // read as a drag starts
        return true;
    case kIdAfterDragKeep:
    case kIdAfterDragTakeOffMoved:
    case kIdAfterDragTakeOffDragged:
        Choose(AfterDragChoiceFrom(id - kIdAfterDragKeep));
        return true;
    case kIdCopyFiles:
    case kIdCutFiles:
        PutOnClipboard(services_.list.AllPaths(), filelist::kEmptyList,
                       id == kIdCopyFiles ? dragout::kClipboardCopy : dragout::kClipboardCut);
        return true;
    case filelist::kIdCopySelectedFiles:
    case filelist::kIdCutSelectedFiles:
        PutOnClipboard(services_.list.SelectedPaths(), win::kNoFileSelected,
                       id == filelist::kIdCopySelectedFiles ? dragout::kClipboardCopy
                                                            : dragout::kClipboardCut);
        return true;
    }
    return false;
}

void DragZonePart::PutOnClipboard(const std::vector<std::wstring>& paths, const wchar_t* none,
                                  DWORD effect) {
    if (paths.empty()) {
        services_.dialogs.ShowMessage(places_.window, none);
        return;
    }
    // The program's own copy is not captured as new files to list.
    services_.ownClipboard.Write(
        [&] { dragout::PutFilesOnClipboard(places_.window, paths, effect); });
}

std::optional<LRESULT> DragZonePart::Message(UINT msg, WPARAM, LPARAM lParam) {
    if (msg != WM_NOTIFY)
        return std::nullopt;
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.hwndFrom != places_.listView || header.code != LVN_BEGINDRAG)
        return std::nullopt;
    DragRow(reinterpret_cast<const NMLISTVIEW&>(header).iItem);
    return 0;
}

void DragZonePart::DragRow(int row) {
    filelist::FileList& list = services_.list;
    if (row < 0 || static_cast<size_t>(row) >= list.Count())
        return;
    // A row pressed outside the selection becomes the selection, as in the shell.
    if (!list.IsSelected(static_cast<size_t>(row)))
        list.SelectOnly(static_cast<size_t>(row));
    DragEnded(dragout::DragFiles(afterDrag_.HandOver(true), dropSource_,
                                 MoveModeDown() ? DROPEFFECT_MOVE : DROPEFFECT_COPY));
}

size_t DragZonePart::ListedCount() const { return services_.list.Count(); }

void DragZonePart::DragEnded(const dragout::DragOutcome& outcome) {
    // The report, and the entries taken off as "ドラッグ後(&A)" says.
    afterDrag_.Ended(outcome);
    // A move may have taken listed files away: their rows turn grey as the answers come.
    services_.list.Recheck();
}

void DragZonePart::AppActivated(bool active) {
    caption_->SetBackColorIndex(active ? COLOR_ACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
}

void DragZonePart::DpiChanged() { MakeFontAndIcon(); }

} // namespace app
