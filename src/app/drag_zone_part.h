// The drag zone ("アイコンをドラッグ") and every way the listed files are handed on: the icon's
// drag of every listed file and a drag of rows out of the list, as a copy or a move by its switch
// ("コピー"/"移動"), the files put on the clipboard as files, and what a drag leaves in the list
// ("ドラッグ後(&A)").
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/after_drag.h"
#include "dragout/drag_gesture.h"
#include "dragout/drop_source.h"
#include "settings/settings_file.h"
#include "win/clipboard.h"
#include "win/controls.h"
#include "win/dialogs.h"
#include "win/part.h"
#include "win/status_bar.h"

namespace filelist {
class FileList;
}

namespace app {

enum DragZoneCommand : int {
    kIdCopyMode = 101,
    kIdMoveMode = 102,
    // "ドラッグ後(&A)", in the order of AfterDragChoice
    kIdAfterDragKeep = 211,
    kIdAfterDragTakeOffMoved,
    kIdAfterDragTakeOffDragged,
    kIdCopyFiles = 252,
    kIdCutFiles = 253,
};

class DragZonePart final : public win::Part, private dragout::DragHost {
public:
    struct Places {
        HWND window;
        win::Panel& leftStrip; // holds the drag zone
        HWND listView;         // whose rows can be dragged out
        HMENU mainMenu;        // where the choice of "ドラッグ後(&A)" is ticked
    };
    struct Services {
        filelist::FileList& list;
        win::StatusBar& statusBar;
        win::Dialogs& dialogs;
        win::OwnClipboardData& ownClipboard;
    };
    DragZonePart(const Places& places, const Services& services, settings::Settings& settings);

    win::Panel& Zone() noexcept { return *zone_; }
    win::Label& Caption() noexcept { return *caption_; }
    win::Image& Icon() noexcept { return *icon_; }
    win::SpeedButton& CopyModeButton() noexcept { return *copyButton_; }
    win::SpeedButton& MoveModeButton() noexcept { return *moveButton_; }
    AfterDrag& AfterDragging() noexcept { return afterDrag_; }

    bool RunCommand(int id) override;
    std::optional<LRESULT> Message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void AppActivated(bool active) override;
    void DpiChanged() override;

private:
    void MakeFontAndIcon();
    void Choose(AfterDragChoice choice);
    // A drag of one row out of the list, as a copy or a move by the mode switch.
    void DragRow(int row);
    // The files on the clipboard as files, with the given "Preferred DropEffect".
    void PutOnClipboard(const std::vector<std::wstring>& paths, const wchar_t* none, DWORD effect);

    std::vector<std::wstring> ListedPaths() override { return afterDrag_.HandOver(false); }
    size_t ListedCount() const override;
    HWND IconWindow() const override { return icon_->Hwnd(); }
    bool IconPressed() const override { return icon_->Pressed(); }
    bool MoveModeDown() const override { return moveButton_->Down(); }
    void DragEnded(const dragout::DragOutcome& outcome) override;

    Places places_;
    Services services_;
    settings::Settings& settings_;
    win::FontHandle captionFont_;
    win::IconHandle filesIcon_;
    std::unique_ptr<win::Panel> zone_;
    std::unique_ptr<win::Label> caption_;
    std::unique_ptr<win::Image> icon_;
    std::unique_ptr<win::SpeedButton> copyButton_;
    std::unique_ptr<win::SpeedButton> moveButton_;
    // The window answers the drag loop as the drop source of every drag out of it.
    dragout::DropSource dropSource_;
    dragout::DragGesture gesture_{*this, dropSource_};
    // What becomes of the entries a drag hands out.
    AfterDrag afterDrag_;
};

} // namespace app
