// The main window: where the parts of the program meet. It owns the controls (one struct, built
// in main_window_create.cpp), one object per part, and the table of commands; what each part
// does lives in that part's folder.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/after_drag.h"
#include "app/clipboard_capture.h"
#include "app/global_hotkey.h"
#include "app/shell_actions.h"
#include "app/shell_menu.h"
#include "app/sort_header.h"
#include "app/window_class.h"
#include "dragout/drag_gesture.h"
#include "dragout/drop_source.h"
#include "filelist/file_list.h"
#include "filelist/kept_list_writer.h"
#include "filelist/list_reader.h"
#include "filelist/missing_prune.h"
#include "intake/drop_intake.h"
#include "intake/drop_receiver.h"
#include "settings/settings_file.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/handles.h"
#include "win/list_view.h"
#include "win/status_bar.h"
#include "win/thread_returns.h"
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
    kIdFilterEdit,
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
    // "ドラッグ後(&A)", in the order of AfterDragChoice
    kIdAfterDragKeep,
    kIdAfterDragTakeOffMoved,
    kIdAfterDragTakeOffDragged,
    kIdRegisterSendTo = 251,
    kIdCopyFiles,
    kIdCutFiles,
    kIdFilter,
    kIdOpenReceivedFolder,
    // context menu
    kIdRemoveItem = 301,
    kIdListProperties,
    kIdListOpenFolder,
    kIdCopySelectedFiles,
    kIdCutSelectedFiles,
    kIdOpenSelected,
    kIdShellMenu,
};

// The controls, each named after what it is to the user.
struct MainControls {
    std::unique_ptr<win::Panel> listArea;
    std::unique_ptr<win::Panel> listPanel;
    // Above the list while a filter is wanted: the words typed, and "N / M 件" beside them.
    std::unique_ptr<win::Panel> filterPanel;
    HWND filterEdit = nullptr;
    HWND filterCount = nullptr;
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
    HMENU afterDragMenu = nullptr; // "ドラッグ後(&A)" of the "リスト(&L)" menu
    win::MenuHandle listMenu;

    bool Checked(HWND box) const { return win::IsChecked(box); }
    bool ListAreaShown() const {
        return (::GetWindowLongW(listArea->Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    }
};

class MainWindow : public win::Window, private dragout::DragHost, private intake::DropHost {
public:
    // settingsPath: where the window keeps its place and switches from one run to the next.
    explicit MainWindow(win::Application& application,
                        std::wstring settingsPath = settings::SettingsPath());
    ~MainWindow() override;

    // What tests and the program's entry reach: the controls, the list, the header, the about
    // box, and the commands as the menus and buttons run them.
    const MainControls& Controls() const noexcept { return ui_; }
    filelist::FileList& FileList() noexcept { return *fileList_; }
    filelist::ListFileReader& ListReader() noexcept { return *listReader_; }
    const settings::Settings& Settings() const noexcept { return settings_; }
    AfterDrag& AfterDragging() noexcept { return *afterDrag_; }
    intake::DropReceiver& Receiver() noexcept { return *receiver_; }
    SortHeader& Header() noexcept { return *sortHeader_; }
    AboutBox& About() noexcept { return *aboutBox_; }
    win::Application& Application() noexcept { return application_; }
    void RunCommand(int id);
    // Paths from the command line: taken as a drop on the drop zone.
    void TakeStartPaths(std::vector<std::wstring> paths);
    // Tests record the shell requests; null restores the system's shell.
    void SetShellRequests(ShellRequests* shell) noexcept { shell_ = shell ? shell : &systemShell_; }

    // Every change of the topmost state goes through here; the capture of copied files makes
    // the window topmost without activating it.
    void SetTopmost(bool topmost) override { SetTopmost(topmost, true); }
    void SetTopmost(bool topmost, bool activate);

private:
    struct Command;
    static const Command kCommands[];

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    static constexpr UINT kTakeHeldDrops = WM_APP + 1;
    // The status bar's parts: the count, then what the last drag did or how far a check is.

    // Building (main_window_create.cpp).
    void CreateControls();
    void CreateMenus();
    // Fonts, icons and the status bar's parts for the window's DPI, made again when it changes.
    void MakeFonts();
    void LoadIcons();
    void SetStatusBarParts();
    // The check box whose text is longest, made to show it whole in the fonts of this system.
    void FitAllowListDropsBox();

    // The parts joined at start and let go at the end.
    void OnCreate();
    void OnDestroy();
    // Windows ends the session: the settings and the kept list saved as a close would, with
    // nobody there to answer a box.
    void SaveAtSessionEnd();
    void OnNotify(const NMHDR& header, LRESULT& result);
    void OnKeyPress(wchar_t key);

    // Modes and layout (main_window_modes.cpp).
    void OnResize();
    // Shows or hides the list area with the frame, buttons and width that go with it.
    void ApplyListAreaMode(bool visible);
    // The window moved to a monitor of another scale, or the scale changed: laid out again at
    // the new DPI, at the size the system suggests, in the same mode.
    void DpiChanged(const RECT& suggested);
    void CentreOnScreen();
    void ComeToFront() override;
    void ReadListFile(std::wstring path) override { listReader_->Read(std::move(path)); }
    void AppActivate();
    void AppDeactivate();
    void RememberFocus();
    void GiveFocusBack();
    void LetDropsThroughToAnElevatedWindow();

    // Commands that are more than a call to their part.
    void RemoveSelectedItems();
    void UndoLastChange();
    // Every listed file on the clipboard, as files, with the given "Preferred DropEffect".
    void PutListedFilesOnClipboard(DWORD effect);
    void PutSelectedFilesOnClipboard(DWORD effect);
    void ShowContextMenu(LPARAM lParam);
    // The shell's own menu for the selected files, where the list's menu was opened.
    void ShowShellMenu();
    // A drag of one row out of the list, as a copy or a move by the mode switch.
    void DragRow(int row);
    void ListKeyDown(WORD key);
    // The filter field (main_window_filter.cpp): shown with the focus in it, hidden with the
    // filter off and the focus back on the list; Esc empties it, then hides it.
    void ShowFilterField();
    void HideFilterField();
    bool FilterKey(wchar_t key);
    void ShowFilterCount();

    // The settings file's values onto the window and its controls, and back
    // (main_window_settings.cpp).
    // The settings are one value, settings_: the controls show it (ShowSettings) and change it
    // (ChangeSetting), everything else reads it, and it is what the settings file keeps.
    void ApplySettings(const settings::Settings& values);
    void ShowSettings();
    void ChangeSetting(bool settings::Settings::*setting, bool value);
    settings::Settings CurrentSettings() const;
    bool KeepListChecked() const { return settings_.keepList; }
    // The item of "ドラッグ後(&A)" ticked, and what is done after a drag, made the choice.
    void ChooseAfterDrag(AfterDragChoice choice);

    ShellActions Shell() { return ShellActions(Hwnd(), *shell_, Dialogs()); }
    win::Dialogs& Dialogs() { return application_.GetDialogs(); }

    // What the drag-out gesture reads from the window.
    std::vector<std::wstring> ListedPaths() override;
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
    MainControls ui_;
    win::FontHandle windowFont_;
    win::FontHandle captionFont_;
    win::FontHandle quickPanelFont_;
    win::FontHandle quickCaptionFont_;
    win::FontHandle listFont_;
    win::FontHandle allowListDropsFont_; // when its text wants a smaller size to fit
    win::IconHandle windowIcon_;
    win::IconHandle smallIcon_;
    win::IconHandle filesIcon_;
    std::unique_ptr<win::StatusBar> statusBar_;
    std::unique_ptr<filelist::FileList> fileList_;
    std::unique_ptr<filelist::ListFileReader> listReader_;
    std::unique_ptr<intake::DropIntake> dropIntake_;
    // OLE drags on the zones: files taken as drops, everything else received into a folder.
    std::unique_ptr<intake::DropReceiver> receiver_;
    std::unique_ptr<filelist::MissingPrune> missingPrune_;
    std::unique_ptr<SortHeader> sortHeader_;
    std::unique_ptr<AboutBox> aboutBox_;
    std::wstring settingsPath_;
    // The settings the user chose, as the settings file keeps them (its first-start values until
    // it is read).
    settings::Settings settings_;
    std::wstring keptListPath_;
    std::unique_ptr<filelist::KeptListKeeper> keptList_;
    // The key that calls the basket up from any program.
    std::unique_ptr<GlobalHotkey> hotkey_;
    SystemShell systemShell_;
    ShellRequests* shell_ = &systemShell_;
    // Made by OnCreate, which joins the clipboard viewer chain with it.
    std::unique_ptr<ClipboardCapture> clipboard_;
    // The window answers the drag loop as the drop source of every drag out of dragIcon.
    dragout::DropSource dropSource_;
    dragout::DragGesture dragGesture_{*this, dropSource_};
    // What becomes of the entries a drag hands out.
    std::unique_ptr<AfterDrag> afterDrag_;
    std::wstring programPath_;
    // Where the list's menu last opened, on the screen.
    POINT listMenuPoint_{};
    ShellMenu shellMenu_;
    // The control that had the focus when the window last lost the activation.
    HWND focusOnDeactivation_ = nullptr;
    bool created_ = false;
    bool destroyed_ = false;
    // The settings file has the shown columns: they are written back whatever they are.
    bool columnsKept_ = false;
};

} // namespace app
