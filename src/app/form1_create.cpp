// Building the main window as designed: its controls, fonts, menus and alignment.
#include "app/form1.h"

#include <commctrl.h>

#include "res/resource.h"

namespace app {
namespace {

using win::Align;
using win::Bounds;
using win::SpeedButton;

constexpr wchar_t kFormClass[] = L"TTuckbayForm1";
constexpr int kDesignedClientWidth = 692;
constexpr int kDesignedClientHeight = 251;
constexpr DWORD kFullStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                             WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTEXTHELP | WS_EX_CONTROLPARENT;
constexpr wchar_t kGothicP[] = L"ＭＳ Ｐゴシック";

HICON LoadIconSized(int id, int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                           IMAGE_ICON, size, size, 0));
}

} // namespace

TForm1::TForm1(win::Application& application, std::wstring settingsPath)
    : application_(application), settingsPath_(std::move(settingsPath)) {
    RegisterWindowClass(kFormClass, CS_DBLCLKS, COLOR_BTNFACE);
    windowIcon_.reset(LoadIconSized(IDI_TUCKBAY, 32));
    smallIcon_.reset(LoadIconSized(IDI_TUCKBAY, 16));
    formFont_ = win::MakeFont(L"Tahoma", 11);
    captionFont_ = win::MakeFont(kGothicP, 19, true, false, SHIFTJIS_CHARSET);
    label3Font_ = win::MakeFont(kGothicP, 15, false, false, SHIFTJIS_CHARSET);
    panel3Font_ = win::MakeFont(L"Tahoma", 12);
    listFont_ = win::MakeFont(kGothicP, 12, false, false, SHIFTJIS_CHARSET);

    CreateMenus();
    RECT outer{0, 0, kDesignedClientWidth, kDesignedClientHeight};
    ::AdjustWindowRectEx(&outer, kFullStyle, TRUE, kFormExStyle);
    CreateNative(kFormExStyle, kFormClass, L"Tuckbay", kFullStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                 outer.right - outer.left, outer.bottom - outer.top, application_.Handle(),
                 MainMenu1);
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon_.get()));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    ::SendMessageW(application_.Handle(), WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(windowIcon_.get()));
    ::SendMessageW(application_.Handle(), WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(smallIcon_.get()));
    ::SendMessageW(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
    CreateControls();
    application_.SetMainWindow(Hwnd());
    created_ = true;
    Realign();
    FormCreate();
    Form3 = std::make_unique<TForm3>(Hwnd());
}

TForm1::~TForm1() {
    if (Hwnd() != nullptr) ::DestroyWindow(Hwnd());
    if (application_.MainWindow() == nullptr) return;
    application_.SetMessageHook(nullptr);
    application_.SetKeyPreview(nullptr);
    application_.SetActivationHooks(nullptr, nullptr);
    application_.SetMainWindow(nullptr);
}

void TForm1::CreateMenus() {
    MainMenu1 = ::CreateMenu();
    HMENU list = ::CreatePopupMenu();
    ::AppendMenuW(list, MF_STRING, kIdN5, L"リスト保存(&S)");
    ::AppendMenuW(list, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(list, MF_STRING, kIdV1, L"クリップ出力(&V)");
    ::AppendMenuW(list, MF_STRING, kIdW1, L"クリップ取り込み(&W)");
    ::AppendMenuW(list, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(list, MF_STRING, kIdY1, L"ファイルのプロパティ(&P)");
    ::AppendMenuW(list, MF_STRING, kIdF1, L"フォルダを開く(&F)");
    HMENU help = ::CreatePopupMenu();
    ::AppendMenuW(help, MF_STRING, kIdN7, L"ヘルプ");
    ::AppendMenuW(help, MF_STRING, kIdN8, L"バージョン情報");
    ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(list), L"リスト(&L)");
    ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ(&H)");

    PopupMenu1.reset(::CreatePopupMenu());
    ::AppendMenuW(PopupMenu1.get(), MF_STRING, kIdD1, L"リストから削除(&D)");
    ::AppendMenuW(PopupMenu1.get(), MF_STRING, kIdP1, L"プロパティ(&P)");
    ::AppendMenuW(PopupMenu1.get(), MF_STRING, kIdO1, L"フォルダを開く(&O)");
}

void TForm1::CreateControls() {
    HWND form = Hwnd();
    HFONT formFont = formFont_.get();

    // The list area comes first in the tab order, so it is made first.
    filelist = std::make_unique<win::Panel>(form, Bounds{194, 0, 498, 232}, COLOR_BTNFACE, true,
                                            L"filelist");
    pfilelist = std::make_unique<win::Panel>(filelist->Hwnd(), Bounds{1, 1, 496, 230});
    ListView1 = win::CreateChild(
        WC_LISTVIEWW, L"",
        WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_EDITLABELS | LVS_OWNERDATA,
        WS_EX_CLIENTEDGE, {1, 1, 494, 228}, pfilelist->Hwnd(), kIdListView1, listFont_.get());
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = 300;
    column.pszText = const_cast<wchar_t*>(L"ファイル名");
    ::SendMessageW(ListView1, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

    pctrlc = std::make_unique<win::Panel>(filelist->Hwnd(), Bounds{1, 1, 496, 230});
    ::ShowWindow(pctrlc->Hwnd(), SW_HIDE);
    Memo1 = win::CreateChild(L"EDIT", L"Memo1",
                             WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                 ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN,
                             WS_EX_CLIENTEDGE, {1, 1, 494, 187}, pctrlc->Hwnd(), kIdMemo1,
                             formFont);
    Panel1 = std::make_unique<win::Panel>(pctrlc->Hwnd(), Bounds{1, 188, 494, 41});
    Button1 = win::CreateChild(L"BUTTON", L"ファイルリストへ登録する",
                               WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, {8, 6, 137, 25},
                               Panel1->Hwnd(), kIdButton1, formFont);
    Button2 = win::CreateChild(L"BUTTON", L"ファイルリストへ戻る",
                               WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, {152, 6, 113, 25},
                               Panel1->Hwnd(), kIdButton2, formFont);
    pctrlc->AddAligned(Panel1->Hwnd(), Align::Bottom);
    pctrlc->AddAligned(Memo1, Align::Client);
    pfilelist->AddAligned(ListView1, Align::Client);
    filelist->AddAligned(pfilelist->Hwnd(), Align::Client);
    filelist->AddAligned(pctrlc->Hwnd(), Align::Client);

    Panel2 = std::make_unique<win::Panel>(form, Bounds{0, 0, 194, 232});
    drag = std::make_unique<win::Panel>(Panel2->Hwnd(), Bounds{1, 1, 191, 64});
    Label2 = std::make_unique<win::Label>(drag->Hwnd(), Bounds{1, 1, 189, 19},
                                          L"アイコンをドラッグ", captionFont_.get(),
                                          COLOR_ACTIVECAPTION, COLOR_WINDOW);
    drag->AddAligned(Label2->Hwnd(), Align::Top);
    Image1 = std::make_unique<win::Image>(drag->Hwnd(), Bounds{13, 19, 32, 32},
                                          LoadIconSized(IDI_FILES, 32));
    Image1->onMouseDown = [this](win::Image::Button b, int x, int y) { Image1MouseDown(b, x, y); };
    Image1->onMouseMove = [this](int x, int y) { Image1MouseMove(x, y); };
    Sbtncopy = std::make_unique<SpeedButton>(drag->Hwnd(), Bounds{57, 26, 49, 25}, L"コピー",
                                             kIdSbtncopy, SpeedButton::Kind::Grouped, true, 1);
    sbtnmove = std::make_unique<SpeedButton>(drag->Hwnd(), Bounds{105, 26, 49, 25}, L"移動",
                                             kIdSbtnmove, SpeedButton::Kind::Grouped, false, 1);

    drop = std::make_unique<win::Panel>(Panel2->Hwnd(), Bounds{2, 71, 190, 58}, COLOR_MENUBAR);
    Label1 = std::make_unique<win::Label>(drop->Hwnd(), Bounds{1, 1, 188, 19}, L"ここにドロップ",
                                          captionFont_.get(), COLOR_GRADIENTINACTIVECAPTION,
                                          COLOR_WINDOW);
    drop->AddAligned(Label1->Hwnd(), Align::Top);
    SpeedButton2 =
        std::make_unique<SpeedButton>(drop->Hwnd(), Bounds{33, 26, 62, 22}, L"リストクリア",
                                      kIdSpeedButton2, SpeedButton::Kind::Push);
    sbtnshort =
        std::make_unique<SpeedButton>(drop->Hwnd(), Bounds{111, 26, 74, 25}, L"ショート変換",
                                      kIdSbtnshort, SpeedButton::Kind::Toggle, true);

    Panel3 = std::make_unique<win::Panel>(Panel2->Hwnd(), Bounds{8, 135, 190, 97});
    ::SendMessageW(Panel3->Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(panel3Font_.get()),
                   FALSE);
    Label3 = std::make_unique<win::Label>(Panel3->Hwnd(), Bounds{1, 1, 188, 15}, L"クイック操作",
                                          label3Font_.get(), COLOR_MENUBAR, COLOR_WINDOWTEXT);
    Panel3->AddAligned(Label3->Hwnd(), Align::Top);
    sbtnfl = std::make_unique<SpeedButton>(Panel3->Hwnd(), Bounds{11, 26, 78, 22},
                                           L"ファイルリスト", kIdSbtnfl,
                                           SpeedButton::Kind::Toggle, true);
    SpeedButton1 = std::make_unique<SpeedButton>(Panel3->Hwnd(), Bounds{95, 26, 78, 22},
                                                 L"最前面", kIdSpeedButton1,
                                                 SpeedButton::Kind::Toggle, true);
    dropfl = win::CreateChild(L"BUTTON", L"ファイルリストへのドロップを許可",
                              WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, {6, 54, 176, 17},
                              Panel3->Hwnd(), kIdDropfl, panel3Font_.get());
    ctrlc = win::CreateChild(L"BUTTON", L"Ctrl+Cを監視する",
                             WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, {6, 70, 163, 17},
                             Panel3->Hwnd(), kIdCtrlc, panel3Font_.get());
    ::SendMessageW(dropfl, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(ctrlc, BM_SETCHECK, BST_CHECKED, 0);

    // The status bar is placed by the window's alignment like every other control.
    StatusBar1 = win::CreateChild(STATUSCLASSNAMEW, L"",
                                  WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN,
                                  0, {0, 232, 692, 19}, form, kIdStatusBar1, formFont);
    int parts[] = {50};
    ::SendMessageW(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));

    AddAligned(StatusBar1, Align::Bottom);
    AddAligned(Panel2->Hwnd(), Align::Left);
    AddAligned(filelist->Hwnd(), Align::Client);

    fileList_ = std::make_unique<filelist::FileList>(ListView1, StatusBar1);
}

} // namespace app
