// Building the main window as designed: its controls, fonts, menus and alignment.
#include "app/main_window.h"

#include <commctrl.h>

#include "filelist/kept_list.h"
#include "res/resource.h"
#include "win/accessible.h"
#include "win/text_fit.h"

namespace app {
namespace {

using win::Align;
using win::Bounds;
using win::SpeedButton;

constexpr int kDesignedClientWidth = 692;
constexpr int kDesignedClientHeight = 251;
constexpr DWORD kFullStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                             WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTEXTHELP | WS_EX_CONTROLPARENT;
constexpr wchar_t kGothicP[] = L"ＭＳ Ｐゴシック";

// The icon's image nearest to size (the platform picks it, stretching when none is that big).
HICON LoadIconSized(int id, int size) {
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

// A font made again at another DPI: every window that used the old one takes the new one.
void RemakeFont(HWND root, win::FontHandle& font, win::FontHandle remade) {
    if (font)
        win::ReplaceFont(root, font.get(), remade.get());
    font = std::move(remade);
}

} // namespace

MainWindow::MainWindow(win::Application& application, std::wstring settingsPath)
    : application_(application), settingsPath_(std::move(settingsPath)),
      keptListPath_(filelist::KeptListPath(settingsPath_)) {
    RegisterWindowClass(kMainWindowClass, CS_DBLCLKS, COLOR_BTNFACE);
    CreateMenus();
    // Made where the platform puts a new window, and only then sized: its size depends on
    // the DPI of the monitor it is on.
    CreateNative(kWindowExStyle, kMainWindowClass, L"Tuckbay", kFullStyle, CW_USEDEFAULT,
                 CW_USEDEFAULT, kDesignedClientWidth, kDesignedClientHeight, application_.Handle(),
                 ui_.mainMenu);
    RECT outer{0, 0, Scale(kDesignedClientWidth), Scale(kDesignedClientHeight)};
    ::AdjustWindowRectExForDpi(&outer, kFullStyle, TRUE, kWindowExStyle, static_cast<UINT>(Dpi()));
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MakeFonts();
    LoadIcons();
    ::SendMessageW(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);
    CreateControls();
    application_.SetMainWindow(Hwnd());
    created_ = true;
    // Aligned through every level: a placed panel is sized once, before its strips exist.
    ApplyDpi();
    FitAllowListDropsBox();
    OnCreate();
    // No focus rectangle until the keyboard is used, as in a dialog box.
    ::SendMessageW(Hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    aboutBox_ = std::make_unique<AboutBox>(application_, Hwnd());
}

void MainWindow::MakeFonts() {
    const HWND root = Hwnd();
    RemakeFont(root, windowFont_, win::MakeFont(L"Tahoma", Scale(11)));
    RemakeFont(root, captionFont_,
               win::MakeFont(kGothicP, Scale(19), true, false, SHIFTJIS_CHARSET));
    RemakeFont(root, quickCaptionFont_,
               win::MakeFont(kGothicP, Scale(15), false, false, SHIFTJIS_CHARSET));
    RemakeFont(root, quickPanelFont_, win::MakeFont(L"Tahoma", Scale(12)));
    RemakeFont(root, listFont_, win::MakeFont(kGothicP, Scale(12), false, false, SHIFTJIS_CHARSET));
}

void MainWindow::LoadIcons() {
    // Handed out first, destroyed after: no window is ever left holding a destroyed icon.
    win::IconHandle windowIcon(LoadIconSized(IDI_TUCKBAY, Scale(32)));
    win::IconHandle smallIcon(LoadIconSized(IDI_TUCKBAY, Scale(16)));
    win::IconHandle filesIcon(LoadIconSized(IDI_FILES, Scale(32)));
    for (HWND hwnd : {Hwnd(), application_.Handle()}) {
        ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon.get()));
        ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    }
    if (ui_.dragIcon)
        ui_.dragIcon->SetIcon(filesIcon.get());
    windowIcon_ = std::move(windowIcon);
    smallIcon_ = std::move(smallIcon);
    filesIcon_ = std::move(filesIcon);
}

void MainWindow::FitAllowListDropsBox() {
    // The quick panel reaches past the left strip, which cuts it off inside its own bevel; the
    // box may use the panel as far as it is seen, and its text no smaller than 10 pixels at 100 %.
    const int right = win::ChildBounds(ui_.leftStrip->Hwnd()).width - Scale(1) -
                      win::ChildBounds(ui_.quickPanel->Hwnd()).left;
    allowListDropsFont_ =
        win::FitCheckBox(ui_.allowListDropsBox, quickPanelFont_.get(), right, Scale(10));
}

void MainWindow::SetStatusBarParts() {
    int parts[] = {Scale(50), -1};
    statusBar_->SetParts(parts, 2);
}

MainWindow::~MainWindow() {
    if (Hwnd() != nullptr)
        ::DestroyWindow(Hwnd());
    if (application_.MainWindow() == nullptr)
        return;
    application_.SetSystemCommandHandler(nullptr);
    application_.SetKeyPreview(nullptr);
    application_.SetActivationHooks(nullptr, nullptr);
    application_.SetMainWindow(nullptr);
}

void MainWindow::CreateMenus() {
    ui_.mainMenu = ::CreateMenu();
    HMENU list = ::CreatePopupMenu();
    ::AppendMenuW(list, MF_STRING | MF_GRAYED, kIdUndo, L"元に戻す(&U)");
    ::AppendMenuW(list, MF_STRING, kIdFilter, L"絞り込み(&I)");
    ::AppendMenuW(list, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(list, MF_STRING, kIdSaveList, L"リスト保存(&S)");
    ::AppendMenuW(list, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(list, MF_STRING, kIdCopyListAsText, L"クリップ出力(&V)");
    ::AppendMenuW(list, MF_STRING, kIdAddFromClipboardText, L"クリップ取り込み(&W)");
    ::AppendMenuW(list, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(list, MF_STRING, kIdProperties, L"ファイルのプロパティ(&P)");
    ::AppendMenuW(list, MF_STRING, kIdOpenFolder, L"フォルダを開く(&F)");
    ::AppendMenuW(list, MF_STRING, kIdOpenReceivedFolder, L"受け取ったファイルのフォルダを開く");
    // Ways to reach the basket from the shell and to hand its files on.
    ::AppendMenuW(list, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(list, MF_STRING, kIdCopyFiles, L"ファイルとしてコピー(&C)");
    ::AppendMenuW(list, MF_STRING, kIdCutFiles, L"ファイルとして切り取り(&X)");
    // What a drag out of the basket leaves in the list: one of three, the first at first.
    ui_.afterDragMenu = ::CreatePopupMenu();
    ::AppendMenuW(ui_.afterDragMenu, MF_STRING, kIdAfterDragKeep, L"リストに残す(&K)");
    ::AppendMenuW(ui_.afterDragMenu, MF_STRING, kIdAfterDragTakeOffMoved,
                  L"移動したファイルをリストから外す(&M)");
    ::AppendMenuW(ui_.afterDragMenu, MF_STRING, kIdAfterDragTakeOffDragged,
                  L"ドラッグしたファイルをリストから外す(&R)");
    ::CheckMenuRadioItem(ui_.afterDragMenu, kIdAfterDragKeep, kIdAfterDragTakeOffDragged,
                         kIdAfterDragKeep, MF_BYCOMMAND);
    ::AppendMenuW(list, MF_POPUP, reinterpret_cast<UINT_PTR>(ui_.afterDragMenu), L"ドラッグ後(&A)");
    ::AppendMenuW(list, MF_STRING, kIdRegisterSendTo, L"「送る」メニューに登録");
    HMENU help = ::CreatePopupMenu();
    ::AppendMenuW(help, MF_STRING, kIdHelp, L"ヘルプ");
    ::AppendMenuW(help, MF_STRING, kIdAbout, L"バージョン情報");
    ::AppendMenuW(ui_.mainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(list), L"リスト(&L)");
    ::AppendMenuW(ui_.mainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ(&H)");

    ui_.listMenu.reset(::CreatePopupMenu());
    // Opening is what a double click or Enter does: the default item, drawn bold, as the
    // shell's own menus have it. Its key is not O, which "フォルダを開く(&O)" has.
    ::AppendMenuW(ui_.listMenu.get(), MF_STRING, kIdOpenSelected, L"開く(&H)");
    ::SetMenuDefaultItem(ui_.listMenu.get(), kIdOpenSelected, FALSE);
    ::AppendMenuW(ui_.listMenu.get(), MF_STRING, kIdRemoveItem, L"リストから削除(&D)");
    ::AppendMenuW(ui_.listMenu.get(), MF_STRING, kIdListProperties, L"プロパティ(&P)");
    ::AppendMenuW(ui_.listMenu.get(), MF_STRING, kIdListOpenFolder, L"フォルダを開く(&O)");
    ::AppendMenuW(ui_.listMenu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(ui_.listMenu.get(), MF_STRING, kIdCopySelectedFiles, L"ファイルとしてコピー(&C)");
    ::AppendMenuW(ui_.listMenu.get(), MF_STRING, kIdCutSelectedFiles,
                  L"ファイルとして切り取り(&X)");
    ::AppendMenuW(ui_.listMenu.get(), MF_STRING, kIdShellMenu, L"エクスプローラーのメニュー(&E)");
    // The items for missing files and the kept list close both menus.
    ::AppendMenuW(list, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(list, MF_STRING, kIdRemoveMissing, L"存在しないファイルを削除");
    ::AppendMenuW(list, MF_STRING, kIdKeepList, L"終了時にリストを保持");
    ::AppendMenuW(ui_.listMenu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(ui_.listMenu.get(), MF_STRING, kIdRemoveMissing, L"存在しないファイルを削除");
}

void MainWindow::CreateControls() {
    HWND window = Hwnd();
    HFONT formFont = windowFont_.get();

    // The list area comes first in the tab order, so it is made first.
    ui_.listArea = std::make_unique<win::Panel>(window, Bounds{194, 0, 498, 232}, COLOR_BTNFACE,
                                                true, L"filelist");
    ui_.listPanel = std::make_unique<win::Panel>(ui_.listArea->Hwnd(), Bounds{1, 1, 496, 230});
    // Made before the list, so that it comes before it in the tab order once shown.
    ui_.filterPanel = std::make_unique<win::Panel>(ui_.listPanel->Hwnd(), Bounds{1, 1, 494, 23},
                                                   COLOR_BTNFACE, false);
    ui_.filterEdit =
        win::CreateChild(L"EDIT", L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                         {0, 0, 404, 23}, ui_.filterPanel->Hwnd(), kIdFilterEdit, formFont);
    ui_.filterCount =
        win::CreateChild(L"STATIC", L"", WS_VISIBLE | SS_CENTERIMAGE | SS_RIGHT | SS_NOPREFIX, 0,
                         {404, 0, 90, 23}, ui_.filterPanel->Hwnd(), 0, formFont);
    ui_.filterPanel->AddAligned(ui_.filterCount, Align::Right);
    ui_.filterPanel->AddAligned(ui_.filterEdit, Align::Client);
    ::ShowWindow(ui_.filterPanel->Hwnd(), SW_HIDE);
    ui_.listView = win::CreateChild(
        WC_LISTVIEWW, L"", WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_EDITLABELS | LVS_OWNERDATA,
        WS_EX_CLIENTEDGE, {1, 1, 494, 228}, ui_.listPanel->Hwnd(), kIdListView, listFont_.get());
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = Scale(300);
    column.pszText = const_cast<wchar_t*>(L"ファイル名");
    win::ListView(ui_.listView).InsertColumn(0, column);

    ui_.capturePanel = std::make_unique<win::Panel>(ui_.listArea->Hwnd(), Bounds{1, 1, 496, 230});
    ::ShowWindow(ui_.capturePanel->Hwnd(), SW_HIDE);
    // Empty until the capture fills it, which it does before the panel is ever shown.
    ui_.captureMemo = win::CreateChild(
        L"EDIT", L"",
        WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
            ES_AUTOVSCROLL | ES_WANTRETURN,
        WS_EX_CLIENTEDGE, {1, 1, 494, 187}, ui_.capturePanel->Hwnd(), kIdCaptureMemo, formFont);
    ui_.captureButtons =
        std::make_unique<win::Panel>(ui_.capturePanel->Hwnd(), Bounds{1, 188, 494, 41});
    ui_.addCapturedButton = win::CreateChild(
        L"BUTTON", L"ファイルリストへ登録する", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
        {8, 6, 137, 25}, ui_.captureButtons->Hwnd(), kIdAddCaptured, formFont);
    ui_.backToListButton = win::CreateChild(
        L"BUTTON", L"ファイルリストへ戻る", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
        {152, 6, 113, 25}, ui_.captureButtons->Hwnd(), kIdBackToList, formFont);
    ui_.capturePanel->AddAligned(ui_.captureButtons->Hwnd(), Align::Bottom);
    ui_.capturePanel->AddAligned(ui_.captureMemo, Align::Client);
    ui_.listPanel->AddAligned(ui_.filterPanel->Hwnd(), Align::Top);
    ui_.listPanel->AddAligned(ui_.listView, Align::Client);
    ui_.listArea->AddAligned(ui_.listPanel->Hwnd(), Align::Client);
    ui_.listArea->AddAligned(ui_.capturePanel->Hwnd(), Align::Client);

    ui_.leftStrip = std::make_unique<win::Panel>(window, Bounds{0, 0, 194, 232});
    // The zones carry their captions as their names, for whoever reads the window by them.
    ui_.dragZone = std::make_unique<win::Panel>(ui_.leftStrip->Hwnd(), Bounds{1, 1, 191, 64},
                                                COLOR_BTNFACE, true, L"アイコンをドラッグ");
    ui_.dragCaption = std::make_unique<win::Label>(ui_.dragZone->Hwnd(), Bounds{1, 1, 189, 19},
                                                   L"アイコンをドラッグ", captionFont_.get(),
                                                   COLOR_ACTIVECAPTION, COLOR_WINDOW);
    ui_.dragZone->AddAligned(ui_.dragCaption->Hwnd(), Align::Top);
    ui_.dragIcon = std::make_unique<win::Image>(ui_.dragZone->Hwnd(), Bounds{13, 19, 32, 32},
                                                filesIcon_.get());
    ui_.dragIcon->onMouseDown = [this](win::Image::Button b, int x, int y) {
        dragGesture_.MouseDown(b == win::Image::Button::Left, x, y);
    };
    ui_.dragIcon->SetAccessibleTexts(L"アイコンをドラッグ",
                                     L"リストのすべてのファイルをドラッグします");
    ui_.dragIcon->onMouseMove = [this](int x, int y) { dragGesture_.MouseMove(x, y); };
    ui_.copyModeButton =
        std::make_unique<SpeedButton>(ui_.dragZone->Hwnd(), Bounds{57, 26, 49, 25}, L"コピー",
                                      kIdCopyMode, SpeedButton::Kind::Grouped, true, 1);
    ui_.moveModeButton =
        std::make_unique<SpeedButton>(ui_.dragZone->Hwnd(), Bounds{105, 26, 49, 25}, L"移動",
                                      kIdMoveMode, SpeedButton::Kind::Grouped, false, 1);

    ui_.dropZone = std::make_unique<win::Panel>(ui_.leftStrip->Hwnd(), Bounds{2, 71, 190, 58},
                                                COLOR_MENUBAR, true, L"ここにドロップ");
    ui_.dropCaption = std::make_unique<win::Label>(ui_.dropZone->Hwnd(), Bounds{1, 1, 188, 19},
                                                   L"ここにドロップ", captionFont_.get(),
                                                   COLOR_GRADIENTINACTIVECAPTION, COLOR_WINDOW);
    ui_.dropZone->AddAligned(ui_.dropCaption->Hwnd(), Align::Top);
    ui_.clearListButton =
        std::make_unique<SpeedButton>(ui_.dropZone->Hwnd(), Bounds{33, 26, 62, 22}, L"リストクリア",
                                      kIdClearList, SpeedButton::Kind::Push);
    ui_.shortcutButton = std::make_unique<SpeedButton>(
        ui_.dropZone->Hwnd(), Bounds{111, 26, 74, 25}, L"ショート変換", kIdShortcut,
        SpeedButton::Kind::Toggle, true);

    ui_.quickPanel = std::make_unique<win::Panel>(ui_.leftStrip->Hwnd(), Bounds{8, 135, 190, 97});
    ::SendMessageW(ui_.quickPanel->Hwnd(), WM_SETFONT,
                   reinterpret_cast<WPARAM>(quickPanelFont_.get()), FALSE);
    ui_.quickCaption =
        std::make_unique<win::Label>(ui_.quickPanel->Hwnd(), Bounds{1, 1, 188, 15}, L"クイック操作",
                                     quickCaptionFont_.get(), COLOR_MENUBAR, COLOR_WINDOWTEXT);
    ui_.quickPanel->AddAligned(ui_.quickCaption->Hwnd(), Align::Top);
    ui_.listAreaButton = std::make_unique<SpeedButton>(
        ui_.quickPanel->Hwnd(), Bounds{11, 26, 78, 22}, L"ファイルリスト", kIdListArea,
        SpeedButton::Kind::Toggle, true);
    ui_.topmostButton =
        std::make_unique<SpeedButton>(ui_.quickPanel->Hwnd(), Bounds{95, 26, 78, 22}, L"最前面",
                                      kIdTopmost, SpeedButton::Kind::Toggle, true);
    ui_.allowListDropsBox = win::CreateChild(
        L"BUTTON", L"ファイルリストへのドロップを許可", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
        0, {6, 54, 176, 17}, ui_.quickPanel->Hwnd(), kIdAllowListDrops, quickPanelFont_.get());
    ui_.watchClipboardBox = win::CreateChild(
        L"BUTTON", L"Ctrl+Cを監視する", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
        {6, 70, 163, 17}, ui_.quickPanel->Hwnd(), kIdWatchClipboard, quickPanelFont_.get());
    win::SetChecked(ui_.allowListDropsBox, true);
    win::SetChecked(ui_.watchClipboardBox, true);

    // The status bar is placed by the window's alignment like every other control.
    ui_.statusBar = win::CreateChild(STATUSCLASSNAMEW, L"",
                                     WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN,
                                     0, {0, 232, 692, 19}, window, kIdStatusBar, formFont);
    statusBar_ = std::make_unique<win::StatusBar>(ui_.statusBar);
    SetStatusBarParts();
    // What the system's own proxies cannot tell of them: a check box's tick, the status bar's
    // parts.
    for (HWND button : {ui_.addCapturedButton, ui_.backToListButton, ui_.allowListDropsBox,
                        ui_.watchClipboardBox})
        win::DescribeButton(button);
    win::DescribeStatusBar(ui_.statusBar);

    AddAligned(ui_.statusBar, Align::Bottom);
    AddAligned(ui_.leftStrip->Hwnd(), Align::Left);
    AddAligned(ui_.listArea->Hwnd(), Align::Client);

    fileList_ = std::make_unique<filelist::FileList>(ui_.listView, *statusBar_);
    listReader_ =
        std::make_unique<filelist::ListFileReader>(*fileList_, *statusBar_, win::ThreadReturns());
}

} // namespace app
