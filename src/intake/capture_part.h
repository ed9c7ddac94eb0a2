// The capture of files copied or cut in the shell: the capture panel that takes the list panel's
// place in the list area with the captured paths in its memo and its two buttons, the
// clipboard viewer chain behind it, and its switch ("Ctrl+Cを監視する", in the quick panel).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "intake/clipboard_watch.h"
#include "settings/settings_file.h"
#include "win/clipboard.h"
#include "win/controls.h"
#include "win/part.h"

namespace filelist {
class FileList;
}

namespace intake {

enum CaptureCommand : int {
    kIdWatchClipboard = 108,
    kIdCaptureMemo = 110,
    kIdAddCaptured = 111,
    kIdBackToList = 112,
};

class CapturePart final : public win::Part, private CaptureHost {
public:
    struct Places {
        HWND window;            // the member of the viewer chain
        win::Panel& listArea;   // holds the capture panel
        HWND listPanel;         // whose place it takes while shown
        win::Panel& quickPanel; // holds the switch
    };
    CapturePart(const Places& places, filelist::FileList& list, win::Topmost& topmost,
                const win::OwnClipboardData& own, settings::Settings& settings);

    win::Panel& Panel() noexcept { return *panel_; }
    HWND Memo() const noexcept { return memo_; }
    win::Panel& Buttons() noexcept { return *buttons_; }
    HWND AddButton() const noexcept { return addButton_; }
    HWND BackButton() const noexcept { return backButton_; }
    HWND WatchBox() const noexcept { return watchBox_; }

    // Joins the clipboard viewer chain.
    void Started() override;
    bool RunCommand(int id) override;
    std::optional<LRESULT> Message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Closing(bool quietly) override;

private:
    HWND Handle() const override { return places_.window; }
    bool Watching() const override { return settings_.canCtrlC; }
    void DisableWatch() override { ::EnableWindow(watchBox_, FALSE); }
    std::wstring MemoText() const override { return win::WindowText(memo_); }
    void SetMemoText(const std::wstring& text) override;
    void ShowCapturePanel(bool show) override;
    void AppendPath(std::wstring path) override;
    void UpdateCountDisplay() override;
    void StayOnTop() override { topmost_.Place(true, false); }

    Places places_;
    filelist::FileList& list_;
    win::Topmost& topmost_;
    settings::Settings& settings_;
    std::unique_ptr<win::Panel> panel_;
    HWND memo_ = nullptr;
    std::unique_ptr<win::Panel> buttons_;
    HWND addButton_ = nullptr;
    HWND backButton_ = nullptr;
    HWND watchBox_ = nullptr;
    ClipboardWatch watch_;
};

} // namespace intake
