// The main window: the composition root. It owns every control and one object per subsystem;
// each handler hands its event to the part of the program that owns the behaviour.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/about_box.h"
#include "app/clipboard_capture.h"
#include "app/shell_actions.h"
#include "app/sort_header.h"
#include "dragout/drag_gesture.h"
#include "dragout/drop_source.h"
#include "filelist/file_list.h"
#include "intake/drop_intake.h"
#include "settings/settings_file.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/handles.h"
#include "win/window.h"

namespace app {

// Command and control ids of the main window.
enum ControlId : int {
    kIdSbtncopy = 101,
    kIdSbtnmove,
    kIdSpeedButton2,
    kIdSbtnshort,
    kIdSbtnfl,
    kIdSpeedButton1,
    kIdDropfl,
    kIdCtrlc,
    kIdListView1,
    kIdMemo1,
    kIdButton1,
    kIdButton2,
    kIdStatusBar1,
    // main menu
    kIdN5 = 201,
    kIdV1,
    kIdW1,
    kIdY1,
    kIdF1,
    kIdN7,
    kIdN8,
    // context menu
    kIdD1 = 301,
    kIdP1,
    kIdO1,
};

class TForm1 : public win::Window, private dragout::DragHost, private intake::DropHost {
public:
    // settingsPath: where the window keeps its place and switches from one run to the next.
    explicit TForm1(win::Application& application,
                    std::wstring settingsPath = settings::SettingsPath());
    ~TForm1() override;

    win::Application& Application() noexcept { return application_; }
    filelist::FileList& FileList() noexcept { return *fileList_; }
    SortHeader& Header() noexcept { return *sortHeader_; }
    // Tests record the shell requests; null restores the system's shell.
    void SetShellRequests(ShellRequests* shell) noexcept { shell_ = shell ? shell : &systemShell_; }

    // Handlers, named after the control and the event.
    void FormCreate();
    void FormDestroy();
    void FormResize();
    void FormKeyPress(wchar_t key);
    void AppMessage(MSG& msg, bool& handled);
    void AppActivate();
    void AppDeactivate();
    void sbtnflClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void D1Click();
    void ListView1ColumnClick(int column);
    void N5Click();
    void V1Click();
    void W1Click();
    void Y1Click();
    void F1Click();
    void N7Click();
    void N8Click();
    void Button1Click();
    void Button2Click();
    void WMDrawClipboard();
    void WMChangeCBChain(HWND leaving, HWND next);
    void Image1MouseDown(win::Image::Button button, int x, int y);
    void Image1MouseMove(int x, int y);

    // Every change of the topmost state goes through here.
    void SetTopmost(bool topmost) override;

    // The controls, under the names the window's design gives them.
    std::unique_ptr<win::Panel> filelist;
    std::unique_ptr<win::Panel> pfilelist;
    HWND ListView1 = nullptr;
    std::unique_ptr<win::Panel> pctrlc;
    HWND Memo1 = nullptr;
    std::unique_ptr<win::Panel> Panel1;
    HWND Button1 = nullptr;
    HWND Button2 = nullptr;
    std::unique_ptr<win::Panel> Panel2;
    std::unique_ptr<win::Panel> drag;
    std::unique_ptr<win::Label> Label2;
    std::unique_ptr<win::Image> Image1;
    std::unique_ptr<win::SpeedButton> Sbtncopy;
    std::unique_ptr<win::SpeedButton> sbtnmove;
    std::unique_ptr<win::Panel> drop;
    std::unique_ptr<win::Label> Label1;
    std::unique_ptr<win::SpeedButton> SpeedButton2;
    std::unique_ptr<win::SpeedButton> sbtnshort;
    std::unique_ptr<win::Panel> Panel3;
    std::unique_ptr<win::Label> Label3;
    std::unique_ptr<win::SpeedButton> sbtnfl;
    std::unique_ptr<win::SpeedButton> SpeedButton1;
    HWND dropfl = nullptr;
    HWND ctrlc = nullptr;
    HWND StatusBar1 = nullptr;
    HMENU MainMenu1 = nullptr;
    win::MenuHandle PopupMenu1;
    std::unique_ptr<TForm3> Form3;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    void CreateMenus();
    void OnCommand(int id);
    void ShowContextMenu(LPARAM lParam);
    // Shows or hides the list area with the frame, buttons and width that go with it.
    void ApplyListAreaMode(bool visible);
    void CentreOnScreen();
    // The settings file's values onto the window and its controls, and back.
    void ApplySettings(const settings::Settings& values);
    settings::Settings CurrentSettings() const;
    ShellActions Shell() { return ShellActions(Hwnd(), *shell_, Dialogs()); }
    win::Dialogs& Dialogs() { return application_.GetDialogs(); }
    // What the drag-out gesture reads from the window.
    const std::vector<std::wstring>& ListedPaths() const override;
    HWND IconWindow() const override;
    bool IconPressed() const override;
    bool MoveModeDown() const override;
    bool CopyModeDown() const override;
    // What a drop reads of the window.
    bool ShortcutSwitchDown() const override;
    bool ListDropsAllowed() const override;
    bool TopmostSwitchDown() const override;
    HWND MainWindow() const override;

    win::Application& application_;
    win::FontHandle formFont_;
    win::FontHandle captionFont_;
    win::FontHandle panel3Font_;
    win::FontHandle label3Font_;
    win::FontHandle listFont_;
    win::IconHandle windowIcon_;
    win::IconHandle smallIcon_;
    std::unique_ptr<filelist::FileList> fileList_;
    std::unique_ptr<intake::DropIntake> dropIntake_;
    std::unique_ptr<SortHeader> sortHeader_;
    std::wstring settingsPath_;
    SystemShell systemShell_;
    ShellRequests* shell_ = &systemShell_;
    // Made by FormCreate, which joins the clipboard viewer chain with it.
    std::unique_ptr<ClipboardCapture> clipboard_;
    // The window answers the drag loop as the drop source of every drag out of Image1.
    dragout::DropSource dropSource_;
    dragout::DragGesture dragGesture_{*this, dropSource_};
    bool created_ = false;
    bool destroyed_ = false;
};

} // namespace app
