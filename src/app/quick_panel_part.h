// The quick-operation panel ("クイック操作") and the window's modes it switches: the list area
// shown or not, with the window's width, frame and buttons following it ("ファイルリスト"), and the
// window kept above the others or not ("最前面", and the keys z and x). The window's place and
// size are this part's share of the settings too: it puts the window where the settings say
// (or in the middle of the screen) and keeps it at least as high as designed.
#pragma once

#include <windows.h>

#include <memory>

#include "filelist/list_part.h"
#include "settings/settings_file.h"
#include "win/controls.h"
#include "win/part.h"

namespace app {

enum QuickPanelCommand : int { kIdListArea = 105, kIdTopmost = 106 };

class QuickPanelPart final : public win::Part, public win::Topmost, public filelist::ListAreaHost {
public:
    // window: the main window, whose frame this part shapes; leftStrip holds the panel, listArea
    // is what "ファイルリスト" shows and hides. fromFile: the settings were read from a file, and
    // so say where the window goes; otherwise it is centred.
    QuickPanelPart(HWND window, win::Panel& leftStrip, win::Panel& listArea,
                   settings::Settings& settings, bool fromFile);

    win::Panel& Panel() noexcept { return *panel_; }
    win::Label& Caption() noexcept { return *caption_; }
    win::SpeedButton& ListAreaButton() noexcept { return *listAreaButton_; }
    win::SpeedButton& TopmostButton() noexcept { return *topmostButton_; }

    bool Chosen() const override { return settings_.topmost; }
    void Place(bool topmost, bool activate = true) override;
    void ShowListArea() override;

    void Started() override;
    bool RunCommand(int id) override;
    bool KeyPreview(wchar_t key) override;
    void Resized() override;
    void DpiChanged() override;
    void Closing(bool quietly) override;

private:
    int Scale(int designed) const;
    void MakeFonts();
    void Choose(bool topmost);
    // Shows or hides the list area with the frame, buttons and width that go with it.
    void ApplyListAreaMode(bool visible);
    void PlaceFromSettings();

    HWND window_;
    win::Panel& leftStrip_;
    win::Panel& listArea_;
    settings::Settings& settings_;
    bool fromFile_;
    win::FontHandle font_;
    win::FontHandle captionFont_;
    std::unique_ptr<win::Panel> panel_;
    std::unique_ptr<win::Label> caption_;
    std::unique_ptr<win::SpeedButton> listAreaButton_;
    std::unique_ptr<win::SpeedButton> topmostButton_;
};

} // namespace app
