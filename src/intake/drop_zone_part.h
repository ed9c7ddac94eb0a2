// The drop zone ("ここにドロップ") with everything that takes files in: drops on it and on the list
// area (file drops and OLE drags, with what is not a file yet received into a folder), paths
// handed over by a second launch, its switches ("ショート変換", "リストクリア") and the list area's
// permission ("ファイルリストへのドロップを許可", in the quick panel).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "intake/drop_intake.h"
#include "intake/drop_receiver.h"
#include "settings/settings_file.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/part.h"
#include "win/shell_actions.h"
#include "win/status_bar.h"

namespace filelist {
class FileList;
class ListFileReader;
} // namespace filelist

namespace intake {

enum DropZoneCommand : int {
    kIdClearList = 103,
    kIdShortcut = 104,
    kIdAllowListDrops = 107,
    kIdOpenReceivedFolder = 255,
};

class DropZonePart final : public win::Part, private DropHost {
public:
    struct Places {
        HWND window;
        win::Panel& leftStrip;  // holds the drop zone
        win::Panel& listArea;   // the list zone
        win::Panel& quickPanel; // holds the permission's check box
        std::wstring receivedFolder;
    };
    struct Services {
        win::Application& application;
        win::StatusBar& statusBar;
        win::ShellRequests& shell;
        win::Topmost& topmost;
        filelist::FileList& list;
        filelist::ListFileReader& reader;
    };
    DropZonePart(const Places& places, const Services& services, settings::Settings& settings);
    ~DropZonePart() override;

    // Paths from the command line: taken as a drop on the drop zone.
    void TakeStartPaths(std::vector<std::wstring> paths);

    win::Panel& Zone() noexcept { return *zone_; }
    win::Label& Caption() noexcept { return *caption_; }
    win::SpeedButton& ClearButton() noexcept { return *clearButton_; }
    win::SpeedButton& ShortcutButton() noexcept { return *shortcutButton_; }
    HWND AllowBox() const noexcept { return allowBox_; }
    DropReceiver& Receiver() noexcept { return *receiver_; }

    bool RunCommand(int id) override;
    std::optional<LRESULT> Message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool KeyPreview(wchar_t key) override;
    void AppActivated(bool active) override;
    void DpiChanged() override;
    void Closing(bool quietly) override;

private:
    static constexpr UINT kTakeHeldDrops = WM_APP + 1;

    void MakeFont();
    // The check box's text shown whole in the fonts of this system.
    void FitAllowBox();
    std::optional<LRESULT> TakeHandOver(const COPYDATASTRUCT* data);
    void LetDropsThroughToAnElevatedWindow();

    bool ShortcutSwitchDown() const override { return shortcutButton_->Down(); }
    bool ListDropsAllowed() const override { return settings_.canDropFileList; }
    bool TopmostChosen() const override { return services_.topmost.Chosen(); }
    HWND MainHwnd() const override { return places_.window; }
    void SetTopmost(bool topmost) override { services_.topmost.Place(topmost); }
    void ComeToFront() override;
    void TakeListFile(std::wstring path) override;

    Places places_;
    Services services_;
    settings::Settings& settings_;
    win::FontHandle captionFont_;
    win::FontHandle allowBoxFont_; // when its text wants a smaller size to fit
    std::unique_ptr<win::Panel> zone_;
    std::unique_ptr<win::Label> caption_;
    std::unique_ptr<win::SpeedButton> clearButton_;
    std::unique_ptr<win::SpeedButton> shortcutButton_;
    HWND allowBox_ = nullptr;
    std::unique_ptr<DropIntake> intake_;
    // OLE drags on the zones: files taken as drops, everything else received into a folder.
    std::unique_ptr<DropReceiver> receiver_;
    std::wstring programPath_;
};

} // namespace intake
