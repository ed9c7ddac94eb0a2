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
#include "filelist/missing_prune.h"
#include "intake/drop_intake.h"
#include "settings/settings_file.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/handles.h"
#include "win/window.h"

namespace app {

// Command and control ids of the main window.
enum ControlId : int {
    kIdCopyMode = 101,
    kIdMoveMode,
    kIdClearList,
    kIdShortcut,
    kIdListArea,
    kIdTopmost,
    kIdAllowListDrops,
    kIdWatchClipboard,
    kIdListView,
    kIdCaptureMemo,
    kIdAddCaptured,
    kIdBackToList,
    kIdStatusBar,
    // main menu
    kIdSaveList = 201,
    kIdCopyListAsText,
    kIdAddFromClipboardText,
    kIdProperties,
    kIdOpenFolder,
    kIdHelp,
    kIdAbout,
    kIdUndo,
    kIdRemoveMissing,
    kIdKeepList,
    kIdRegisterSendTo = 251,
    kIdCopyFiles,
    kIdCutFiles,
    // context menu
    kIdRemoveItem = 301,
    kIdListProperties,
    kIdListOpenFolder,
};

class MainWindow : public win::Window, private dragout::DragHost, private intake::DropHost {
public:
    // settingsPath: where the window keeps its place and switches from one run to the next.
    explicit MainWindow(win::Application& application,
                        std::wstring settingsPath = settings::SettingsPath());
    ~MainWindow() override;

    win::Application& Application() noexcept { return application_; }
    filelist::FileList& FileList() noexcept { return *fileList_; }
    SortHeader& Header() noexcept { return *sortHeader_; }
    // Tests record the shell requests; null restores the system's shell.
    void SetShellRequests(ShellRequests* shell) noexcept { shell_ = shell ? shell : &systemShell_; }

    // Handlers, named after the control and the event.
    void OnCreate();
    void OnDestroy();
    void OnResize();
    void OnKeyPress(wchar_t key);
    // Files dropped on the drop zone or the list area.
    void FilesDropped(HWND zone, HDROP drop);
    // Paths from the command line or handed over by a second launch: taken as a drop on the
    // drop zone.
    void PathsHandedOver(std::vector<std::wstring> paths);
    // A WM_COPYDATA: a second launch's paths are taken (and true returned) only when they are
    // a whole hand-over from this executable; anything else is ignored without a word.
    bool SecondLaunchCopyData(const COPYDATASTRUCT& data);
    void AppActivate();
    void AppDeactivate();
    void ListAreaButtonClick();
    void TopmostButtonClick();
    void ClearListClick();
    void RemoveItemClick();
    void UndoClick();
    void ListViewColumnClick(int column);
    // A drag of one row out of the list, as a copy or a move by the mode switch.
    void ListViewBeginDrag(int row);
    // A key pressed while the list itself has the focus (not its label editor).
    void ListViewKeyDown(WORD key);
    void SaveListClick();
    void CopyListAsTextClick();
    void AddFromClipboardTextClick();
    void KeepListClick();
    void RemoveMissingClick();
    void PropertiesClick();
    void OpenFolderClick();
    void RegisterSendToClick();
    void CopyFilesClick();
    void CutFilesClick();
    void HelpClick();
    void AboutClick();
    void AddCapturedClick();
    void BackToListClick();
    void WMDrawClipboard();
    void WMChangeCBChain(HWND leaving, HWND next);
    void DragIconMouseDown(win::Image::Button button, int x, int y);
    void DragIconMouseMove(int x, int y);

    // Every change of the topmost state goes through here.
    void SetTopmost(bool topmost) override;

    // The controls, each named after what it is to the user.
    std::unique_ptr<win::Panel> listArea;
    std::unique_ptr<win::Panel> listPanel;
    HWND listView = nullptr;
    std::unique_ptr<win::Panel> capturePanel;
    HWND captureMemo = nullptr;
    std::unique_ptr<win::Panel> captureButtons;
    HWND addCapturedButton = nullptr;
    HWND backToListButton = nullptr;
    std::unique_ptr<win::Panel> leftStrip;
    std::unique_ptr<win::Panel> dragZone;
    std::unique_ptr<win::Label> dragCaption;
    std::unique_ptr<win::Image> dragIcon;
    std::unique_ptr<win::SpeedButton> copyModeButton;
    std::unique_ptr<win::SpeedButton> moveModeButton;
    std::unique_ptr<win::Panel> dropZone;
    std::unique_ptr<win::Label> dropCaption;
    std::unique_ptr<win::SpeedButton> clearListButton;
    std::unique_ptr<win::SpeedButton> shortcutButton;
    std::unique_ptr<win::Panel> quickPanel;
    std::unique_ptr<win::Label> quickCaption;
    std::unique_ptr<win::SpeedButton> listAreaButton;
    std::unique_ptr<win::SpeedButton> topmostButton;
    HWND allowListDropsBox = nullptr;
    HWND watchClipboardBox = nullptr;
    HWND statusBar = nullptr;
    HMENU mainMenu = nullptr;
    win::MenuHandle listMenu;
    std::unique_ptr<AboutBox> aboutBox;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    static constexpr UINT kTakePendingDrops = WM_APP + 1;
    static constexpr UINT kMissingAnswers = WM_APP + 2;
    // The status bar's parts: the count, then what the last drag did or how far a check is.
    static constexpr WPARAM kReportPart = 1;
    struct PendingDrop {
        HWND zone;
        HDROP drop;
    };

    void CreateControls();
    // Fonts, icons and the status bar's parts for the window's DPI, made again when it changes.
    void MakeFonts();
    void LoadIcons();
    void SetStatusBarParts();
    // The window moved to a monitor of another scale, or the scale changed: laid out again at
    // the new DPI, at the size the system suggests, in the same mode.
    void DpiChanged(const RECT& suggested);
    void TakePendingDrops();
    void LetDropsThroughToAnElevatedWindow();
    void RememberFocus();
    void GiveFocusBack();
    void ComeToFront();
    // Every listed file on the clipboard, as files, with the given "Preferred DropEffect".
    void PutListedFilesOnClipboard(DWORD effect);
    void ReleasePendingDrops();
    void CreateMenus();
    // The list menu's and the list's context menu's commands for missing files and the kept list.
    void AppendListKeepingItems(HMENU list, HMENU context);
    bool KeepListChecked() const;
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
    std::vector<std::wstring> ListedPaths() const override;
    size_t ListedCount() const override;
    HWND IconWindow() const override;
    bool IconPressed() const override;
    bool MoveModeDown() const override;
    void DragEnded(const dragout::DragOutcome& outcome) override;
    // What a drop reads of the window.
    bool ShortcutSwitchDown() const override;
    bool ListDropsAllowed() const override;
    bool TopmostSwitchDown() const override;
    HWND MainHwnd() const override;

    win::Application& application_;
    win::FontHandle windowFont_;
    win::FontHandle captionFont_;
    win::FontHandle quickPanelFont_;
    win::FontHandle quickCaptionFont_;
    win::FontHandle listFont_;
    win::IconHandle windowIcon_;
    win::IconHandle smallIcon_;
    win::IconHandle filesIcon_;
    std::unique_ptr<filelist::FileList> fileList_;
    std::unique_ptr<intake::DropIntake> dropIntake_;
    std::unique_ptr<filelist::MissingPrune> missingPrune_;
    std::unique_ptr<SortHeader> sortHeader_;
    std::wstring settingsPath_;
    std::wstring keptListPath_;
    SystemShell systemShell_;
    ShellRequests* shell_ = &systemShell_;
    // Made by OnCreate, which joins the clipboard viewer chain with it.
    std::unique_ptr<ClipboardCapture> clipboard_;
    // The window answers the drag loop as the drop source of every drag out of dragIcon.
    dragout::DropSource dropSource_;
    dragout::DragGesture dragGesture_{*this, dropSource_};
    // Drops that arrived while a box of ours was open, in their order; each handle is ours.
    std::vector<PendingDrop> pendingDrops_;
    // Paths second launches handed over, waiting to be taken in their order.
    std::vector<std::vector<std::wstring>> handedOver_;
    std::wstring programPath_;
    // The control that had the focus when the window last lost the activation.
    HWND focusOnDeactivation_ = nullptr;
    bool created_ = false;
    bool destroyed_ = false;
};

} // namespace app
