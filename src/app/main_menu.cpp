#include "app/main_menu.h"

#include <initializer_list>

#include "app/drag_zone_part.h"
#include "app/program_part.h"
#include "filelist/list_part.h"
#include "intake/drop_zone_part.h"

namespace app {
namespace {

using namespace filelist;

struct Item {
    int id; // 0: a separator
    const wchar_t* text;
    HMENU popup = nullptr;
};

HMENU Popup(std::initializer_list<Item> items) {
    HMENU menu = ::CreatePopupMenu();
    for (const Item& item : items) {
        if (item.popup)
            ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(item.popup), item.text);
        else if (item.id == 0)
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), item.text);
    }
    return menu;
}

} // namespace

Menus MakeMenus() {
    // What a drag out of the basket leaves in the list: one of three.
    HMENU afterDrag = Popup({
        {kIdAfterDragKeep, L"リストに残す(&K)"},
        {kIdAfterDragTakeOffMoved, L"移動したファイルをリストから外す(&M)"},
        {kIdAfterDragTakeOffDragged, L"ドラッグしたファイルをリストから外す(&R)"},
    });
    HMENU list = Popup({
        {kIdUndo, L"元に戻す(&U)"},
        {kIdFilter, L"絞り込み(&I)"},
        {0, nullptr},
        {kIdSaveList, L"リスト保存(&S)"},
        {0, nullptr},
        {kIdCopyListAsText, L"クリップ出力(&V)"},
        {kIdAddFromClipboardText, L"クリップ取り込み(&W)"},
        {0, nullptr},
        {kIdProperties, L"ファイルのプロパティ(&P)"},
        {kIdOpenFolder, L"フォルダを開く(&F)"},
        {intake::kIdOpenReceivedFolder, L"受け取ったファイルのフォルダを開く"},
        // Ways to reach the basket from the shell and to hand its files on.
        {0, nullptr},
        {kIdCopyFiles, L"ファイルとしてコピー(&C)"},
        {kIdCutFiles, L"ファイルとして切り取り(&X)"},
        {0, L"ドラッグ後(&A)", afterDrag},
        {kIdRegisterSendTo, L"「送る」メニューに登録"},
        // The items for missing files and the kept list close both menus.
        {0, nullptr},
        {kIdRemoveMissing, L"存在しないファイルを削除"},
        {kIdKeepList, L"終了時にリストを保持"},
    });
    ::EnableMenuItem(list, kIdUndo, MF_GRAYED);
    HMENU help = Popup({{kIdHelp, L"ヘルプ"}, {kIdAbout, L"バージョン情報"}});
    Menus menus;
    menus.afterDrag = afterDrag;
    menus.bar = ::CreateMenu();
    ::AppendMenuW(menus.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(list), L"リスト(&L)");
    ::AppendMenuW(menus.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ(&H)");

    // Opening is what a double click or Enter does: the default item, drawn bold, as the
    // shell's own menus have it. Its key is not O, which "フォルダを開く(&O)" has.
    menus.list.reset(Popup({
        {kIdOpenSelected, L"開く(&H)"},
        {kIdRemoveItem, L"リストから削除(&D)"},
        {kIdListProperties, L"プロパティ(&P)"},
        {kIdListOpenFolder, L"フォルダを開く(&O)"},
        {0, nullptr},
        {kIdCopySelectedFiles, L"ファイルとしてコピー(&C)"},
        {kIdCutSelectedFiles, L"ファイルとして切り取り(&X)"},
        {kIdShellMenu, L"エクスプローラーのメニュー(&E)"},
        {0, nullptr},
        {kIdRemoveMissing, L"存在しないファイルを削除"},
    }));
    ::SetMenuDefaultItem(menus.list.get(), kIdOpenSelected, FALSE);
    return menus;
}

} // namespace app
