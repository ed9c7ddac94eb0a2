// The list with its filter: the list panel in the list area, its view of the entries, the
// header's sort triangle, the list's menu and its commands (undo, save, the list as clipboard
// text and back, a listed file's properties, folder, program or shell menu, removals), the
// list file dropped on it read in, and the list kept from one run to the next.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "filelist/file_list.h"
#include "filelist/kept_list_writer.h"
#include "filelist/list_filter_field.h"
#include "filelist/list_reader.h"
#include "filelist/missing_prune.h"
#include "filelist/sort_header.h"
#include "settings/settings_file.h"
#include "win/clipboard.h"
#include "win/controls.h"
#include "win/dialogs.h"
#include "win/part.h"
#include "win/shell_actions.h"
#include "win/shell_menu.h"
#include "win/status_bar.h"

namespace filelist {

// The list's commands, of the "リスト(&L)" menu and the list's own menu. Those that hand the files
// themselves on (copy or cut as files) are the drag zone's; the list's keys ask for them too.
enum ListCommand : int {
    kIdListView = 109,
    kIdSaveList = 201,
    kIdCopyListAsText = 202,
    kIdAddFromClipboardText = 203,
    kIdProperties = 204,
    kIdOpenFolder = 205,
    kIdUndo = 208,
    kIdRemoveMissing = 209,
    kIdKeepList = 210,
    kIdFilter = 254,
    kIdRemoveItem = 301,
    kIdListProperties = 302,
    kIdListOpenFolder = 303,
    kIdCopySelectedFiles = 304,
    kIdCutSelectedFiles = 305,
    kIdOpenSelected = 306,
    kIdShellMenu = 307,
};

// Where the list area is switched on when the filter is wanted while it is hidden.
class ListAreaHost {
public:
    virtual void ShowListArea() = 0;

protected:
    ~ListAreaHost() = default;
};

class ListPart final : public win::Part {
public:
    struct Places {
        HWND window;          // the main window: the boxes' owner, where commands go
        win::Panel& listArea; // holds the list panel
        HMENU mainMenu;       // where "終了時にリストを保持" is ticked
        HMENU listMenu;       // the list's own menu, shown by a right click on it
        std::wstring keptListPath;
    };
    struct Services {
        win::StatusBar& statusBar;
        win::Dialogs& dialogs;
        win::ShellRequests& shell;
        win::OwnClipboardData& ownClipboard;
        ListAreaHost& listArea;
    };
    ListPart(const Places& places, const Services& services, settings::Settings& settings);
    ~ListPart() override;

    FileList& Files() noexcept { return *list_; }
    ListFileReader& Reader() noexcept { return *reader_; }
    SortHeader& Header() noexcept { return *header_; }
    KeptListKeeper& KeptList() noexcept { return *keptList_; }
    win::Panel& Panel() noexcept { return *panel_; }
    ListFilterField& Filter() noexcept { return *filter_; }
    HWND View() const noexcept { return view_; }

    bool RunCommand(int id) override;
    void MenuOpening(HMENU menu) override;
    std::optional<LRESULT> Message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool KeyPreview(wchar_t key) override;
    void AppActivated(bool active) override;
    void Resized() override;
    void DpiChanged() override;
    void Closing(bool quietly) override;

private:
    void MakeFont();
    void TakeKeptList();
    void ChooseKeepList(bool keep);
    std::optional<LRESULT> Notify(const NMHDR& header);
    void ListKeyDown(WORD key);
    void RemoveSelectedItems();
    void ShowContextMenu(LPARAM at);
    // The shell's own menu for the selected files, where the list's menu was opened.
    void ShowShellMenu();
    win::ShellActions Shell() const;

    Places places_;
    Services services_;
    settings::Settings& settings_;
    win::FontHandle font_;
    std::unique_ptr<win::Panel> panel_;
    std::unique_ptr<ListFilterField> filter_;
    HWND view_ = nullptr;
    std::unique_ptr<FileList> list_;
    std::unique_ptr<ListFileReader> reader_;
    std::unique_ptr<SortHeader> header_;
    std::unique_ptr<MissingPrune> prune_;
    std::unique_ptr<KeptListKeeper> keptList_;
    win::ShellMenu shellMenu_;
    // Where the list's menu last opened, on the screen.
    POINT menuPoint_{};
    // The settings file has the shown columns: they are written back whatever they are.
    bool columnsKept_ = false;
};

} // namespace filelist
