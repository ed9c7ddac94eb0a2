// The map of how the parts meet: what each is made with, and where the platform's messages go.
#include "app/main_window.h"

#include <commctrl.h>

#include "app/drag_zone_part.h"
#include "app/program_part.h"
#include "app/quick_panel_part.h"
#include "filelist/kept_list.h"
#include "filelist/list_part.h"
#include "intake/capture_part.h"
#include "intake/drop_zone_part.h"
#include "res/resource.h"
#include "win/error.h"

namespace app {
namespace {

using win::Align;
using win::Bounds;

constexpr int kDesignedClientWidth = 692;
constexpr int kDesignedClientHeight = 251;
constexpr DWORD kFullStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                             WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTEXTHELP | WS_EX_CONTROLPARENT;
constexpr int kIdStatusBar = 113;

// The icon's image nearest to size (the platform picks it, stretching when none is that big).
HICON LoadIconSized(int id, int size) {
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

} // namespace

MainWindow::MainWindow(win::Application& application, std::wstring settingsPath)
    : application_(application), settingsPath_(std::move(settingsPath)) {
    shell_.to = &systemShell_;
    RegisterWindowClass(kMainWindowClass, CS_DBLCLKS, COLOR_BTNFACE);
    menus_ = MakeMenus();
    // Made where the platform puts a new window, and only then sized: its size depends on
    // the DPI of the monitor it is on.
    CreateNative(kWindowExStyle, kMainWindowClass, L"Tuckbay", kFullStyle, CW_USEDEFAULT,
                 CW_USEDEFAULT, kDesignedClientWidth, kDesignedClientHeight, application_.Handle(),
                 menus_.bar);
    RECT outer{0, 0, Scale(kDesignedClientWidth), Scale(kDesignedClientHeight)};
    ::AdjustWindowRectExForDpi(&outer, kFullStyle, TRUE, kWindowExStyle, static_cast<UINT>(Dpi()));
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MakeFontAndIcons();
    MakeFrame();
    application_.SetMainWindow(Hwnd());
    const std::optional<settings::Settings> saved = settings::ReadSettings(settingsPath_);
    if (saved)
        settings_ = *saved;
    MakeParts(saved.has_value());
    GatherControls();
    // The last made first: a part made early (the quick panel, with the window's modes) serves
    // those made after it, and has the last word on what their start did to the window.
    for (auto part = parts_.rbegin(); part != parts_.rend(); ++part)
        (*part)->Started();
    // Keys too go to the last made first: the quick panel's z and x, keys of the whole window,
    // come after the list's filter field has taken its own typing.
    application_.SetKeyPreview([this](wchar_t key) {
        for (auto part = parts_.rbegin(); part != parts_.rend(); ++part)
            if ((*part)->KeyPreview(key))
                return;
    });
    const auto activated = [this](bool active) {
        for (const std::unique_ptr<win::Part>& part : parts_)
            part->AppActivated(active);
    };
    application_.SetActivationHooks([activated] { activated(true); },
                                    [activated] { activated(false); });
    application_.SetSessionEndHook([this] { Close(true); });
    // No focus rectangle until the keyboard is used, as in a dialog box.
    ::SendMessageW(Hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
}

void MainWindow::MakeFrame() {
    const HWND window = Hwnd();
    // The list area comes first in the tab order, so it is made first.
    listArea_ = std::make_unique<win::Panel>(window, Bounds{194, 0, 498, 232}, COLOR_BTNFACE, true,
                                             L"filelist");
    leftStrip_ = std::make_unique<win::Panel>(window, Bounds{0, 0, 194, 232});
    // The status bar is placed by the window's alignment like every other control.
    statusBarWindow_ = win::CreateChild(
        STATUSCLASSNAMEW, L"", WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, 0,
        {0, 232, 692, 19}, window, kIdStatusBar, font_.get());
    statusBar_ = std::make_unique<win::StatusBar>(statusBarWindow_);
    // What the system's own proxy cannot tell of it: its parts.
    win::DescribeStatusBar(statusBarWindow_);
    int parts[] = {Scale(50), -1};
    statusBar_->SetParts(parts, 2);
    AddAligned(statusBarWindow_, Align::Bottom);
    AddAligned(leftStrip_->Hwnd(), Align::Left);
    AddAligned(listArea_->Hwnd(), Align::Client);
    Realign();
}

void MainWindow::MakeParts(bool settingsRead) {
    settings::Settings& s = settings_;
    win::Dialogs& dialogs = application_.GetDialogs();
    const HWND w = Hwnd();
    auto& quick = Add<QuickPanelPart>(w, *leftStrip_, *listArea_, s, settingsRead);
    auto& list = Add<filelist::ListPart>(
        filelist::ListPart::Places{w, *listArea_, menus_.bar, menus_.list.get(),
                                   filelist::KeptListPath(settingsPath_)},
        filelist::ListPart::Services{*statusBar_, dialogs, shell_, ownClipboard_, quick}, s);
    Add<intake::DropZonePart>(intake::DropZonePart::Places{w, *leftStrip_, *listArea_,
                                                           quick.Panel(),
                                                           intake::ReceivedFolder(settingsPath_)},
                              intake::DropZonePart::Services{application_, *statusBar_, shell_,
                                                             quick, list.Files(), list.Reader()},
                              s);
    Add<intake::CapturePart>(
        intake::CapturePart::Places{w, *listArea_, list.Panel().Hwnd(), quick.Panel()},
        list.Files(), quick, ownClipboard_, s);
    Add<DragZonePart>(DragZonePart::Places{w, *leftStrip_, list.View(), menus_.bar},
                      DragZonePart::Services{list.Files(), *statusBar_, dialogs, ownClipboard_}, s);
    Add<ProgramPart>(application_, w, list.View(), shell_, *statusBar_, s);
}

void MainWindow::GatherControls() {
    MainControls& c = controls_;
    c.listArea = listArea_.get();
    c.leftStrip = leftStrip_.get();
    c.statusBar = statusBarWindow_;
    c.mainMenu = menus_.bar;
    c.afterDragMenu = menus_.afterDrag;
    c.listMenu = menus_.list.get();
    auto& list = Part<filelist::ListPart>();
    c.listPanel = &list.Panel();
    c.filterPanel = &list.Filter().Panel();
    c.filterEdit = list.Filter().Edit();
    c.filterCount = list.Filter().Count();
    c.listView = list.View();
    auto& capture = Part<intake::CapturePart>();
    c.capturePanel = &capture.Panel();
    c.captureMemo = capture.Memo();
    c.captureButtons = &capture.Buttons();
    c.addCapturedButton = capture.AddButton();
    c.backToListButton = capture.BackButton();
    c.watchClipboardBox = capture.WatchBox();
    auto& drag = Part<DragZonePart>();
    c.dragZone = &drag.Zone();
    c.dragCaption = &drag.Caption();
    c.dragIcon = &drag.Icon();
    c.copyModeButton = &drag.CopyModeButton();
    c.moveModeButton = &drag.MoveModeButton();
    auto& drops = Part<intake::DropZonePart>();
    c.dropZone = &drops.Zone();
    c.dropCaption = &drops.Caption();
    c.clearListButton = &drops.ClearButton();
    c.shortcutButton = &drops.ShortcutButton();
    c.allowListDropsBox = drops.AllowBox();
    auto& quick = Part<QuickPanelPart>();
    c.quickPanel = &quick.Panel();
    c.quickCaption = &quick.Caption();
    c.listAreaButton = &quick.ListAreaButton();
    c.topmostButton = &quick.TopmostButton();
}

void MainWindow::MakeFontAndIcons() {
    win::FontHandle font = win::MakeFont(L"Tahoma", Scale(11));
    if (font_)
        win::ReplaceFont(Hwnd(), font_.get(), font.get());
    else
        ::SendMessageW(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    font_ = std::move(font);
    // Handed out first, destroyed after: no window is ever left holding a destroyed icon.
    win::IconHandle icon(LoadIconSized(IDI_TUCKBAY, Scale(32)));
    win::IconHandle smallIcon(LoadIconSized(IDI_TUCKBAY, Scale(16)));
    for (HWND hwnd : {Hwnd(), application_.Handle()}) {
        ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
        ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    }
    icon_ = std::move(icon);
    smallIcon_ = std::move(smallIcon);
}

MainWindow::~MainWindow() {
    if (Hwnd() != nullptr)
        ::DestroyWindow(Hwnd());
    if (application_.MainWindow() == nullptr)
        return;
    application_.SetKeyPreview(nullptr);
    application_.SetActivationHooks(nullptr, nullptr);
    application_.SetMainWindow(nullptr);
}

filelist::FileList& MainWindow::FileList() const { return Part<filelist::ListPart>().Files(); }

void MainWindow::RunCommand(int id) {
    for (const std::unique_ptr<win::Part>& part : parts_)
        if (part->RunCommand(id))
            return;
}

void MainWindow::TakeStartPaths(std::vector<std::wstring> paths) {
    Part<intake::DropZonePart>().TakeStartPaths(std::move(paths));
}

void MainWindow::DpiChanged(const RECT& suggested) {
    MakeFontAndIcons();
    int parts[] = {Scale(50), -1};
    statusBar_->SetParts(parts, 2);
    ::SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi();
    for (const std::unique_ptr<win::Part>& part : parts_)
        part->DpiChanged();
    for (const std::unique_ptr<win::Part>& part : parts_)
        part->Resized();
}

void MainWindow::Close(bool sessionEnds) {
    for (const std::unique_ptr<win::Part>& part : parts_)
        part->Closing(sessionEnds);
    // A settings file that cannot be written is reported, and the program ends all the same.
    try {
        settings::WriteSettings(settingsPath_, settings_);
    } catch (...) {
        if (!sessionEnds)
            win::ReportCurrentException();
    }
}

void MainWindow::RememberFocus() {
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(Hwnd(), focus))
        focusOnDeactivation_ = focus;
}

void MainWindow::GiveFocusBack() {
    HWND focus = focusOnDeactivation_;
    // The list comes first in the tab order, so it has the focus at start; a control that has
    // gone or cannot take the focus now hands it to the first that can.
    if (focus == nullptr || !::IsWindow(focus) || !::IsWindowVisible(focus) ||
        !::IsWindowEnabled(focus))
        focus = ::GetNextDlgTabItem(Hwnd(), nullptr, FALSE);
    if (focus != nullptr)
        ::SetFocus(focus);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    for (const std::unique_ptr<win::Part>& part : parts_)
        if (std::optional<LRESULT> result = part->Message(msg, wParam, lParam))
            return *result;
    switch (msg) {
    case WM_SIZE:
        Realign();
        for (const std::unique_ptr<win::Part>& part : parts_)
            part->Resized();
        return 0;
    case WM_DPICHANGED:
        DpiChanged(*reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            RunCommand(LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP:
        for (const std::unique_ptr<win::Part>& part : parts_)
            part->MenuOpening(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_ACTIVATE:
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
    case WM_ENDSESSION:
        if (wParam)
            application_.EndSession();
        return 0;
    case WM_DESTROY:
        if (!destroyed_) {
            destroyed_ = true;
            application_.SetSessionEndHook(nullptr);
            Close(false);
            // Made last, let go of first: a part may use what an earlier one made.
            while (!parts_.empty())
                parts_.pop_back();
        }
        if (application_.IsRunning())
            ::PostQuitMessage(0);
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

} // namespace app
