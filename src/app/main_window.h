// The main window: it makes the frame the parts live in (the left strip, the list area, the
// status bar and the menus), makes the parts, hands each the small things it needs, and passes
// on to them what the platform tells it. What each part does lives in that part.
#pragma once

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/drag_zone_part.h"
#include "app/main_menu.h"
#include "app/program_part.h"
#include "app/quick_panel_part.h"
#include "app/window_class.h"
#include "filelist/list_part.h"
#include "intake/capture_part.h"
#include "intake/drop_zone_part.h"
#include "settings/settings_file.h"
#include "win/application.h"
#include "win/clipboard.h"
#include "win/controls.h"
#include "win/part.h"
#include "win/shell_actions.h"
#include "win/status_bar.h"
#include "win/window.h"

namespace app {

// The window's controls, gathered from its parts, each named after what it is to the user: what
// tests and screen readers reach the window by.
struct MainControls {
    win::Panel* listArea = nullptr;
    win::Panel* listPanel = nullptr;
    win::Panel* filterPanel = nullptr;
    HWND filterEdit = nullptr;
    HWND filterCount = nullptr;
    HWND listView = nullptr;
    win::Panel* capturePanel = nullptr;
    HWND captureMemo = nullptr;
    win::Panel* captureButtons = nullptr;
    HWND addCapturedButton = nullptr;
    HWND backToListButton = nullptr;
    win::Panel* leftStrip = nullptr;
    win::Panel* dragZone = nullptr;
    win::Label* dragCaption = nullptr;
    win::Image* dragIcon = nullptr;
    win::SpeedButton* copyModeButton = nullptr;
    win::SpeedButton* moveModeButton = nullptr;
    win::Panel* dropZone = nullptr;
    win::Label* dropCaption = nullptr;
    win::SpeedButton* clearListButton = nullptr;
    win::SpeedButton* shortcutButton = nullptr;
    win::Panel* quickPanel = nullptr;
    win::Label* quickCaption = nullptr;
    win::SpeedButton* listAreaButton = nullptr;
    win::SpeedButton* topmostButton = nullptr;
    HWND allowListDropsBox = nullptr;
    HWND watchClipboardBox = nullptr;
    HWND statusBar = nullptr;
    HMENU mainMenu = nullptr;
    HMENU afterDragMenu = nullptr; // "ドラッグ後(&A)" of the "リスト(&L)" menu
    HMENU listMenu = nullptr;

    bool ListAreaShown() const {
        return (::GetWindowLongW(listArea->Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    }
};

class MainWindow : public win::Window {
public:
    // settingsPath: where the window keeps its place and switches from one run to the next.
    explicit MainWindow(win::Application& application,
                        std::wstring settingsPath = settings::SettingsPath());
    ~MainWindow() override;

    const MainControls& Controls() const noexcept { return controls_; }
    // The part of the given kind.
    template <typename Kind> Kind& Part() const {
        for (const std::unique_ptr<win::Part>& part : parts_)
            if (auto* found = dynamic_cast<Kind*>(part.get()))
                return *found;
        throw std::logic_error("no such part");
    }
    filelist::FileList& FileList() const;
    // A command as its menu item, button or key runs it.
    void RunCommand(int id);
    // Paths from the command line: taken as a drop on the drop zone.
    void TakeStartPaths(std::vector<std::wstring> paths);
    // Tests record the shell requests; null restores the system's shell.
    void SetShellRequests(win::ShellRequests* shell) noexcept {
        shell_.to = shell ? shell : &systemShell_;
    }

private:
    // The shell requests of every part go through here, to the system's shell or a test's.
    struct ShellSwitch : win::ShellRequests {
        win::ShellRequests* to = nullptr;
        void ExecuteEx(const SHELLEXECUTEINFOW& r) override { to->ExecuteEx(r); }
        void StartProcess(const std::wstring& a, const std::wstring& c) override {
            to->StartProcess(a, c);
        }
        void Open(HWND o, const std::wstring& v, const std::wstring& f) override {
            to->Open(o, v, f);
        }
        DWORD OpenWithDefault(HWND o, const std::wstring& p) override {
            return to->OpenWithDefault(o, p);
        }
    };

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void MakeFrame();
    void MakeParts(bool settingsRead);
    template <typename Kind, typename... Args> Kind& Add(Args&&... args) {
        parts_.push_back(std::make_unique<Kind>(std::forward<Args>(args)...));
        return static_cast<Kind&>(*parts_.back());
    }
    void GatherControls();
    // The window's own font and icons, and the status bar's parts, for its DPI.
    void MakeFontAndIcons();
    // The window moved to a monitor of another scale, or the scale changed: laid out again at
    // the new DPI, at the size the system suggests.
    void DpiChanged(const RECT& suggested);
    // The parts let go, and the settings written (quietly: the session ends, nobody is there to
    // see a failure).
    void Close(bool sessionEnds);
    // As a dialog box does: the control that had the focus when another window took the
    // activation has it again when the window gets it back.
    void RememberFocus();
    void GiveFocusBack();

    win::Application& application_;
    std::wstring settingsPath_;
    // The settings, one value: each part keeps its share of it current.
    settings::Settings settings_;
    Menus menus_;
    win::FontHandle font_;
    win::IconHandle icon_;
    win::IconHandle smallIcon_;
    std::unique_ptr<win::Panel> leftStrip_;
    std::unique_ptr<win::Panel> listArea_;
    HWND statusBarWindow_ = nullptr;
    std::unique_ptr<win::StatusBar> statusBar_;
    win::SystemShell systemShell_;
    ShellSwitch shell_;
    win::OwnClipboardData ownClipboard_;
    std::vector<std::unique_ptr<win::Part>> parts_;
    MainControls controls_;
    // The control that had the focus when the window last lost the activation.
    HWND focusOnDeactivation_ = nullptr;
    bool destroyed_ = false;
};

} // namespace app
