// The map of how the parts meet: what the window joins at start and lets go at the end, which
// part each message and command goes to.
#include "app/main_window.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "app/elevation.h"
#include "app/second_launch.h"
#include "app/send_to.h"
#include "app/system_menu.h"
#include "dragout/clipboard_files.h"
#include "filelist/kept_list.h"
#include "filelist/list_commands.h"
#include "win/error.h"
#include "win/program_path.h"

namespace app {

// A command of a menu item, button or key: what it does, and when it can be chosen (null:
// always).
struct MainWindow::Command {
    int id;
    void (*run)(MainWindow&);
    bool (*enabled)(const MainWindow&);
};

const MainWindow::Command MainWindow::kCommands[] = {
    {kIdUndo, [](MainWindow& w) { w.UndoLastChange(); },
     [](const MainWindow& w) { return w.fileList_->CanUndo(); }},
    {kIdSaveList, [](MainWindow& w) { filelist::SaveList(w.Hwnd(), *w.fileList_, w.Dialogs()); }},
    {kIdCopyListAsText,
     [](MainWindow& w) { filelist::CopyListToClipboard(w.Hwnd(), *w.fileList_, w.Dialogs()); }},
    {kIdAddFromClipboardText,
     [](MainWindow& w) { filelist::TakePathsFromClipboard(w.Hwnd(), *w.fileList_, w.Dialogs()); }},
    {kIdProperties,
     [](MainWindow& w) {
         w.Shell().FilePropertiesOf(w.fileList_->SelectedCount(), w.fileList_->FocusedText());
     }},
    {kIdListProperties, [](MainWindow& w) { w.RunCommand(kIdProperties); }},
    {kIdOpenFolder,
     [](MainWindow& w) {
         w.Shell().FolderOf(w.fileList_->SelectedCount(), w.fileList_->FocusedText());
     }},
    {kIdListOpenFolder, [](MainWindow& w) { w.RunCommand(kIdOpenFolder); }},
    {kIdCopyFiles, [](MainWindow& w) { w.PutListedFilesOnClipboard(dragout::kClipboardCopy); }},
    {kIdCutFiles, [](MainWindow& w) { w.PutListedFilesOnClipboard(dragout::kClipboardCut); }},
    {kIdCopySelectedFiles,
     [](MainWindow& w) { w.PutSelectedFilesOnClipboard(dragout::kClipboardCopy); }},
    {kIdCutSelectedFiles,
     [](MainWindow& w) { w.PutSelectedFilesOnClipboard(dragout::kClipboardCut); }},
    {kIdOpenSelected, [](MainWindow& w) { w.Shell().OpenFiles(w.fileList_->SelectedPaths()); }},
    {kIdShellMenu, [](MainWindow& w) { w.ShowShellMenu(); }},
    {kIdRegisterSendTo,
     [](MainWindow& w) {
         RegisterInSendTo(w.Hwnd(), w.Dialogs(), SendToFolder(), win::ProgramPath());
     }},
    {kIdRemoveMissing, [](MainWindow& w) { w.missingPrune_->Start(); }},
    {kIdKeepList,
     [](MainWindow& w) { w.ChangeSetting(&settings::Settings::keepList, !w.settings_.keepList); }},
    {kIdAfterDragKeep, [](MainWindow& w) { w.ChooseAfterDrag(AfterDragChoice::Keep); }},
    {kIdAfterDragTakeOffMoved,
     [](MainWindow& w) { w.ChooseAfterDrag(AfterDragChoice::TakeOffMoved); }},
    {kIdAfterDragTakeOffDragged,
     [](MainWindow& w) { w.ChooseAfterDrag(AfterDragChoice::TakeOffDragged); }},
    {kIdHelp, [](MainWindow& w) { w.Shell().OpenHelp(); }},
    {kIdAbout, [](MainWindow& w) { w.aboutBox_->ShowModal(); }},
    {kIdRemoveItem, [](MainWindow& w) { w.RemoveSelectedItems(); }},
    {kIdListArea, [](MainWindow& w) { w.ApplyListAreaMode(!w.ui_.ListAreaShown()); }},
    {kIdTopmost,
     [](MainWindow& w) {
         w.ChangeSetting(&settings::Settings::topmost, w.ui_.topmostButton->Down());
     }},
    {kIdAllowListDrops,
     [](MainWindow& w) {
         w.ChangeSetting(&settings::Settings::canDropFileList,
                         win::IsChecked(w.ui_.allowListDropsBox));
     }},
    {kIdWatchClipboard,
     [](MainWindow& w) {
         w.ChangeSetting(&settings::Settings::canCtrlC, win::IsChecked(w.ui_.watchClipboardBox));
     }},
    {kIdClearList,
     [](MainWindow& w) {
         w.fileList_->Clear();
         w.fileList_->UpdateCountDisplay();
     }},
    {kIdFilter, [](MainWindow& w) { w.ShowFilterField(); }},
    {kIdOpenReceivedFolder,
     [](MainWindow& w) { w.Shell().OpenFolderItself(w.receiver_->Folder()); }},
    {kIdAddCaptured, [](MainWindow& w) { w.clipboard_->watch.AddCapturedClick(); }},
    {kIdBackToList, [](MainWindow& w) { w.clipboard_->watch.BackToListClick(); }},
};

void MainWindow::RunCommand(int id) {
    for (const Command& command : kCommands) {
        if (command.id == id && (!command.enabled || command.enabled(*this))) {
            command.run(*this);
            return;
        }
    }
}

void MainWindow::OnCreate() {
    sortHeader_ = std::make_unique<SortHeader>(ui_.listView, [this] {
        const filelist::ListModel& model = fileList_->Model();
        return SortHeader::Sorted{fileList_->SortedViewColumn(), model.SortedAscending()};
    });
    fileList_->onSorted = [this] { sortHeader_->SortChanged(); };
    fileList_->onShownChanged = [this] { ShowFilterCount(); };
    // The triangle follows its column; the path column's width follows the list area only
    // while it is alone.
    fileList_->onColumnsChanged = [this] {
        sortHeader_->SortChanged();
        OnResize();
    };
    intake::DropHost& host = *this;
    dropIntake_ = std::make_unique<intake::DropIntake>(ui_.dropZone->Hwnd(), ui_.listArea->Hwnd(),
                                                       host, FileList(), Dialogs());
    dropIntake_->Register();
    receiver_ = std::make_unique<intake::DropReceiver>(
        ui_.dropZone->Hwnd(), ui_.listArea->Hwnd(), *dropIntake_, host, *statusBar_,
        win::ThreadReturns(), intake::ReceivedFolder(settingsPath_),
        [this](const std::function<bool()>& done) { application_.PumpUntil(done, INFINITE); });
    if (!ElevatedAboveTheShell())
        receiver_->Register();
    LetDropsThroughToAnElevatedWindow();
    missingPrune_ =
        std::make_unique<filelist::MissingPrune>(Hwnd(), FileList(), *statusBar_, Dialogs());
    afterDrag_ = std::make_unique<AfterDrag>(FileList(), *statusBar_);
    for (win::Panel* zone : {ui_.dropZone.get(), ui_.listArea.get()})
        zone->onDropFiles = [this, zone](HDROP drop) {
            if (dropIntake_)
                dropIntake_->Drop(zone->Hwnd(), drop);
        };
    application_.SetSystemCommandHandler(
        [this](WPARAM command) { return HandleSystemMenuCommand(command, Hwnd()); });
    application_.SetActivationHooks([this] { AppActivate(); }, [this] { AppDeactivate(); });
    AppendSystemMenuCommands(application_.Handle());
    application_.SetKeyPreview([this](wchar_t key) { OnKeyPress(key); });
    clipboard_ = std::make_unique<ClipboardCapture>(*this);
    clipboard_->watch.Join();
    ::ShowWindow(ui_.capturePanel->Hwnd(), SW_HIDE);
    ::ShowWindow(ui_.listPanel->Hwnd(), SW_SHOW);
    keptList_ = std::make_unique<filelist::KeptListKeeper>(
        keptListPath_, [this] { return fileList_->Model().Freeze(); });
    auto saved = settings::ReadSettings(settingsPath_);
    if (saved)
        ApplySettings(*saved);
    hotkey_ = std::make_unique<GlobalHotkey>(
        Hwnd(), saved ? saved->hotkey : std::nullopt, [this](const std::wstring& text) {
            statusBar_->SetText(win::StatusBar::kReportPart, text);
        });
    // A kept list that cannot be read is put aside and reported, and the program starts with
    // an empty list; one that could not be put aside is never written over.
    if (KeepListChecked()) {
        try {
            filelist::RestoreKeptList(keptListPath_, FileList());
        } catch (const filelist::UnreadKeptList& unread) {
            if (!unread.MovedAside())
                keptList_->LeaveFileAlone();
            win::ReportCurrentException();
        } catch (...) {
            win::ReportCurrentException();
        }
    }
    keptList_->SetKept(KeepListChecked());
    fileList_->onChanged = [this] { keptList_->ListChanged(); };
    application_.SetSessionEndHook([this] { SaveAtSessionEnd(); });
    SetTopmost(settings_.topmost);
    const bool listShown = ui_.ListAreaShown();
    ui_.listAreaButton->SetDown(listShown);
    ApplyListAreaMode(listShown);
    // Centred as it is first shown, that is with the size the mode and the minimum height gave.
    if (!saved)
        CentreOnScreen();
}

void MainWindow::OnDestroy() {
    hotkey_.reset();
    if (clipboard_)
        clipboard_->watch.Leave();
    // A settings file or kept list that cannot be written is reported, and the program ends
    // all the same.
    try {
        settings::WriteSettings(settingsPath_, CurrentSettings());
    } catch (...) {
        win::ReportCurrentException();
    }
    application_.SetSessionEndHook(nullptr);
    fileList_->onChanged = nullptr;
    try {
        if (keptList_)
            keptList_->Finish();
    } catch (...) {
        win::ReportCurrentException();
    }
}

void MainWindow::SaveAtSessionEnd() {
    // A drop still read would be cut off by the process's end: it is given up now, so that
    // nothing half-received stays and its source hears of it.
    if (receiver_)
        receiver_->StopReading();
    // Each tried whatever became of the other; a failure is dropped, nobody would see it.
    try {
        settings::WriteSettings(settingsPath_, CurrentSettings());
    } catch (...) {
    }
    try {
        keptList_->Finish();
    } catch (...) {
    }
}

void MainWindow::TakeStartPaths(std::vector<std::wstring> paths) {
    dropIntake_->TakeDrop(std::move(paths));
}

void MainWindow::OnKeyPress(wchar_t key) {
    constexpr wchar_t kCtrlF = 0x06;
    constexpr wchar_t kCtrlZ = 0x1A;
    constexpr wchar_t kEscape = 0x1B;
    if (key == kCtrlF) {
        RunCommand(kIdFilter);
        return;
    }
    if (FilterKey(key))
        return;
    if (key == kEscape && fileList_->Sorting()) {
        fileList_->CancelSort();
        return;
    }
    if (key == kEscape && receiver_ && receiver_->Running()) {
        receiver_->Cancel();
        return;
    }
    if (key == kEscape && listReader_->Running()) {
        listReader_->Cancel();
        return;
    }
    // Ctrl+Z arrives as its control character. An edit field (the memo, a label being edited)
    // undoes its own typing instead.
    if (key == kCtrlZ) {
        wchar_t className[8] = {};
        ::GetClassNameW(::GetFocus(), className, 8);
        if (::lstrcmpiW(className, L"Edit") != 0)
            RunCommand(kIdUndo);
        return;
    }
    if (key == L'z' || key == L'x') {
        ChangeSetting(&settings::Settings::topmost, key == L'z');
    }
}

void MainWindow::OnNotify(const NMHDR& header, LRESULT& result) {
    if (fileList_ && fileList_->HandleNotify(header, &result))
        return;
    if (header.hwndFrom != ui_.listView)
        return;
    switch (header.code) {
    case LVN_BEGINDRAG:
        DragRow(reinterpret_cast<const NMLISTVIEW&>(header).iItem);
        break;
    case LVN_COLUMNCLICK:
        fileList_->SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        break;
    case LVN_KEYDOWN:
        ListKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
        break;
    case NM_DBLCLK: {
        // On a row that the click left selected (a Ctrl+double-click may have taken it out).
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0 && fileList_->IsSelected(static_cast<size_t>(row)))
            RunCommand(kIdOpenSelected);
        break;
    }
    }
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; shellMenu_.HandleMenuMessage(msg, wParam, lParam, result))
        return result;
    switch (msg) {
    case WM_SIZE:
        Realign();
        OnResize();
        return 0;
    case WM_DPICHANGED:
        DpiChanged(*reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            RunCommand(LOWORD(wParam));
        else if (LOWORD(wParam) == kIdFilterEdit && HIWORD(wParam) == EN_CHANGE && fileList_)
            fileList_->SetFilter(win::WindowText(ui_.filterEdit));
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
        return result;
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == ui_.listView) {
            ShowContextMenu(lParam);
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        for (const Command& command : kCommands) {
            if (command.enabled)
                ::EnableMenuItem(ui_.mainMenu, command.id,
                                 command.enabled(*this) ? MF_ENABLED : MF_GRAYED);
        }
        return 0;
    case WM_ENABLE:
        // A box of ours has closed: take the drops that came while it was open, once the
        // box is gone.
        if (wParam && dropIntake_ && dropIntake_->Holding())
            ::PostMessageW(Hwnd(), kTakeHeldDrops, 0, 0);
        return 0;
    case kTakeHeldDrops:
        if (dropIntake_)
            dropIntake_->TakeHeld();
        return 0;
    case WM_COPYDATA: {
        // Anyone may send it, shaped any way: only a whole hand-over from this executable is
        // taken, anything else ignored without a word.
        if (lParam == 0)
            return FALSE;
        if (programPath_.empty())
            programPath_ = win::ProgramPath();
        auto paths = ReadHandOver(*reinterpret_cast<const COPYDATASTRUCT*>(lParam), programPath_);
        if (!paths)
            return FALSE;
        // Taken from our own loop once the sender has its answer: a box the paths may bring up
        // must not keep the sender waiting, nor make it think the paths were lost.
        if (!dropIntake_)
            return FALSE;
        dropIntake_->HoldHandedOver(std::move(*paths));
        ::PostMessageW(Hwnd(), kTakeHeldDrops, 0, 0);
        return TRUE;
    }
    case WM_DRAWCLIPBOARD:
        if (clipboard_)
            clipboard_->watch.WMDrawClipboard();
        return 0;
    case WM_CHANGECBCHAIN:
        if (clipboard_)
            clipboard_->watch.WMChangeCBChain(reinterpret_cast<HWND>(wParam),
                                              reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_ACTIVATE:
        // As a dialog box does: the control that had the focus when another window (a box of
        // ours, another program) took the activation has it again when the window gets it back.
        if (LOWORD(wParam) == WA_INACTIVE)
            RememberFocus();
        else if (!HIWORD(wParam))
            GiveFocusBack();
        return 0;
    case WM_ACTIVATEAPP:
        application_.NoteActivation(wParam != FALSE);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            application_.Minimize();
            return 0;
        }
        break;
    case WM_HOTKEY:
        if (wParam == GlobalHotkey::kId)
            CallUpBasket(application_, ui_.listView);
        return 0;
    case WM_ENDSESSION:
        if (wParam)
            application_.EndSession();
        return 0;
    case WM_DESTROY:
        if (!destroyed_) {
            destroyed_ = true;
            receiver_.reset();
            dropIntake_.reset(); // the drops it still holds are released
            OnDestroy();
        }
        if (application_.IsRunning())
            ::PostQuitMessage(0);
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

} // namespace app
