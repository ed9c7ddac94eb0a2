// The main window at the DPI of the run: every designed length, font and drawn shape scaled
// as the platform scales (MulDiv(value, dpi, 96)), a change of DPI followed, and the settings
// file's sizes kept in 96-DPI units. scripts/test runs these tests again with the prefix set
// to 144 and 192 DPI (TUCKBAY_TEST_DPI names the DPI the run was meant to have).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "clipboard_support.h"
#include "file_bytes.h"
#include "main_window_fixture.h"
#include "win/controls.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

using win::Bounds;

// Designed lengths at one DPI, rounded the platform's way.
struct Scaler {
    int dpi;
    int operator()(int designed) const { return ::MulDiv(designed, dpi, 96); }
};

SIZE ClientSize(HWND hwnd) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    return {r.right, r.bottom};
}

SIZE OuterSize(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

bool IsVisible(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

// The character height of the font a window draws its text in.
int CharacterHeight(HWND hwnd) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    return -font.lfHeight;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// One control: its designed character height (0: not checked here) and its bounds at a DPI
// inside its parent's client area as it is.
struct Designed {
    const char* name;
    HWND hwnd;
    int fontHeight;
    std::function<Bounds(const Scaler&, SIZE parent)> bounds;
};

auto Placed(int left, int top, int width, int height) {
    return [=](const Scaler& s, SIZE) { return Bounds{s(left), s(top), s(width), s(height)}; };
}
// A strip along the top inside a one-pixel bevel.
auto TopStrip(int height) {
    return [=](const Scaler& s, SIZE p) { return Bounds{s(1), s(1), p.cx - 2 * s(1), s(height)}; };
}
// Everything inside a one-pixel bevel, less a strip of stripHeight along the bottom.
auto Fills(int stripHeight = 0) {
    return [=](const Scaler& s, SIZE p) {
        return Bounds{s(1), s(1), p.cx - 2 * s(1), p.cy - 2 * s(1) - s(stripHeight)};
    };
}

class Dpi : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        dpi = static_cast<int>(::GetDpiForWindow(mainWindow->Hwnd()));
        if (const char* meant = std::getenv("TUCKBAY_TEST_DPI"))
            ASSERT_EQ(dpi, std::atoi(meant)) << "the prefix's DPI did not reach the program";
    }

    // Every control of the window, as designed for 96 DPI.
    std::vector<Designed> Controls() const {
        const app::MainControls& w = mainWindow->Controls();
        return {
            {"leftStrip", w.leftStrip->Hwnd(), 11,
             [](const Scaler& s, SIZE p) {
                 return Bounds{0, 0, s(194), p.cy - s(19)};
             }},
            {"listArea", w.listArea->Hwnd(), 11,
             [](const Scaler& s, SIZE p) {
                 return Bounds{s(194), 0, p.cx - s(194), p.cy - s(19)};
             }},
            {"statusBar", w.statusBar, 11,
             [](const Scaler& s, SIZE p) {
                 return Bounds{0, p.cy - s(19), p.cx, s(19)};
             }},
            {"dragZone", w.dragZone->Hwnd(), 11, Placed(1, 1, 191, 64)},
            {"dragCaption", w.dragCaption->Hwnd(), 19, TopStrip(19)},
            {"dragIcon", w.dragIcon->Hwnd(), 0, Placed(13, 19, 32, 32)},
            {"copyModeButton", w.copyModeButton->Hwnd(), 0, Placed(57, 26, 49, 25)},
            {"moveModeButton", w.moveModeButton->Hwnd(), 0, Placed(105, 26, 49, 25)},
            {"dropZone", w.dropZone->Hwnd(), 11, Placed(2, 71, 190, 58)},
            {"dropCaption", w.dropCaption->Hwnd(), 19, TopStrip(19)},
            {"clearListButton", w.clearListButton->Hwnd(), 0, Placed(33, 26, 62, 22)},
            {"shortcutButton", w.shortcutButton->Hwnd(), 0, Placed(111, 26, 74, 25)},
            {"quickPanel", w.quickPanel->Hwnd(), 12, Placed(8, 135, 190, 97)},
            {"quickCaption", w.quickCaption->Hwnd(), 15, TopStrip(15)},
            {"listAreaButton", w.listAreaButton->Hwnd(), 0, Placed(11, 26, 78, 22)},
            {"topmostButton", w.topmostButton->Hwnd(), 0, Placed(95, 26, 78, 22)},
            {"watchClipboardBox", w.watchClipboardBox, 12, Placed(6, 70, 163, 17)},
            {"listPanel", w.listPanel->Hwnd(), 11, Fills()},
            {"listView", w.listView, 12, Fills()},
            {"capturePanel", w.capturePanel->Hwnd(), 11, Fills()},
            {"captureMemo", w.captureMemo, 11, Fills(41)},
            {"captureButtons", w.captureButtons->Hwnd(), 11,
             [](const Scaler& s, SIZE p) {
                 return Bounds{s(1), p.cy - s(1) - s(41), p.cx - 2 * s(1), s(41)};
             }},
            {"addCapturedButton", w.addCapturedButton, 11, Placed(8, 6, 137, 25)},
            {"backToListButton", w.backToListButton, 11, Placed(152, 6, 113, 25)},
        };
    }

    // Every shown control where the layout puts it at dpi, in the font it is designed with;
    // the status bar's count part, the column and the icons (the rows' too) as wide as designed.
    void ExpectLaidOutAt(int at) {
        const Scaler s{at};
        for (const Designed& control : Controls()) {
            if (!::IsWindowVisible(control.hwnd))
                continue;
            SCOPED_TRACE(control.name);
            const SIZE parent = ClientSize(::GetParent(control.hwnd));
            EXPECT_EQ(win::ChildBounds(control.hwnd), control.bounds(s, parent));
            if (control.fontHeight)
                EXPECT_EQ(CharacterHeight(control.hwnd), s(control.fontHeight));
        }
        ExpectLabelShownWhole(s);
        const HWND main = mainWindow->Hwnd();
        int parts[2] = {};
        ::SendMessageW(mainWindow->Controls().statusBar, SB_GETPARTS, 2,
                       reinterpret_cast<LPARAM>(parts));
        EXPECT_EQ(parts[0], s(50));
        EXPECT_EQ(::SendMessageW(mainWindow->Controls().listView, LVM_GETCOLUMNWIDTH, 0, 0),
                  win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width - s(16));
        EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(::SendMessageW(main, WM_GETICON, ICON_BIG, 0))),
                  s(32));
        EXPECT_EQ(
            IconWidth(reinterpret_cast<HICON>(::SendMessageW(main, WM_GETICON, ICON_SMALL, 0))),
            s(16));
        EXPECT_EQ(IconWidth(mainWindow->Controls().dragIcon->Icon()), s(32));
        int rowIcon = 0, rowIconHeight = 0;
        ::ImageList_GetIconSize(
            reinterpret_cast<HIMAGELIST>(
                ::SendMessageW(mainWindow->Controls().listView, LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
            &rowIcon, &rowIconHeight);
        EXPECT_EQ(rowIcon, ::GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(at)));
    }

    // The longest label, "ファイルリストへのドロップを許可", is as wide as this system's fonts draw
    // it (the box's own measure of what its check mark and text need): at its designed place and
    // height, no narrower than designed, not past what the left strip shows of the quick panel,
    // in the panel's font or a few pixels smaller.
    void ExpectLabelShownWhole(const Scaler& s) {
        const app::MainControls& w = mainWindow->Controls();
        const HWND box = w.allowListDropsBox;
        SCOPED_TRACE("allowListDropsBox");
        const Bounds at = win::ChildBounds(box);
        EXPECT_EQ(at.left, s(6));
        EXPECT_EQ(at.top, s(54));
        EXPECT_EQ(at.height, s(17));
        EXPECT_GE(at.width, s(176));
        EXPECT_LE(at.left + at.width, win::ChildBounds(w.leftStrip->Hwnd()).width - s(1) -
                                          win::ChildBounds(w.quickPanel->Hwnd()).left);
        SIZE needed{};
        ASSERT_TRUE(::SendMessageW(box, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&needed)));
        EXPECT_LE(needed.cx, at.width);
        EXPECT_LE(CharacterHeight(box), s(12));
        EXPECT_GE(CharacterHeight(box), s(10));
    }

    std::wstring BesideTests(const wchar_t* name) const { return win::BesideProgram(name); }

    int dpi = 96;
};

TEST_F(Dpi, TheProgramIsPerMonitorAwareByItsManifest) {
    EXPECT_EQ(::GetAwarenessFromDpiAwarenessContext(::GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE);
    for (const auto& [setting, schema, value] : {
             std::tuple{L"dpiAwareness", L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                        L"PerMonitorV2, PerMonitor"},
             std::tuple{L"dpiAware", L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                        L"true/pm"},
         }) {
        wchar_t text[64] = {};
        SIZE_T length = 0;
        EXPECT_TRUE(::QueryActCtxSettingsW(0, nullptr, schema, setting, text, 64, &length))
            << ::GetLastError();
        EXPECT_STREQ(text, value);
    }
}

TEST_F(Dpi, EveryControlFontAndIconIsTheDesignedValueScaled) {
    const Scaler s{dpi};
    // The minimum height holds from the start: the designed client area is lower than it.
    const HWND main = mainWindow->Hwnd();
    const int frameHeight = OuterSize(main).cy - ClientSize(main).cy;
    EXPECT_EQ(OuterSize(main).cy, std::max(s(305), s(251) + frameHeight));
    EXPECT_EQ(ClientSize(main).cx, s(692));
    // A first start centres the window at the size it has at this DPI.
    RECT placed{};
    ::GetWindowRect(main, &placed);
    EXPECT_EQ(placed.left, (::GetSystemMetrics(SM_CXSCREEN) - OuterSize(main).cx) / 2);
    EXPECT_EQ(placed.top, (::GetSystemMetrics(SM_CYSCREEN) - OuterSize(main).cy) / 2);
    ExpectLaidOutAt(dpi);
    // Files copied in the shell bring up the capture panel in the list area as it is now.
    ASSERT_EQ(PutFilesFromHelper(L"copy", {L"C:\\one.txt"}), 0u);
    ASSERT_TRUE(
        Pump([&] { return ::IsWindowVisible(mainWindow->Controls().capturePanel->Hwnd()) != 0; }));
    ExpectLaidOutAt(dpi);
    ::SendMessageW(mainWindow->Controls().backToListButton, BM_CLICK, 0, 0);

    // The about box, made for its owner's DPI: its client area, its labels and their fonts.
    const app::AboutBox& about = mainWindow->Part<app::ProgramPart>().About();
    EXPECT_EQ(ClientSize(about.Handle()).cx, s(256));
    EXPECT_EQ(ClientSize(about.Handle()).cy, s(104));
    for (const auto& [label, left, top, fontHeight] :
         {std::tuple{about.TitleLabel(), 16, 16, 24},
          std::tuple{about.CreditLabel(), 48, 56, 11}}) {
        const Bounds bounds = win::ChildBounds(label);
        EXPECT_EQ(bounds.left, s(left));
        EXPECT_EQ(bounds.top, s(top));
        EXPECT_EQ(CharacterHeight(label), s(fontHeight));
    }

    // Wider, and lower than the minimum: the column follows, the height comes back.
    const SIZE outer = OuterSize(main);
    ::SetWindowPos(main, nullptr, 0, 0, outer.cx + s(100), s(200), SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(OuterSize(main).cy, s(305));
    EXPECT_EQ(win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width,
              ClientSize(main).cx - s(194));
    EXPECT_EQ(::SendMessageW(mainWindow->Controls().listView, LVM_GETCOLUMNWIDTH, 0, 0),
              win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width - s(16));

    // Compact and back: exactly the left strip, then exactly where it was.
    const SIZE full = OuterSize(main);
    const int listWidth = win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width;
    mainWindow->RunCommand(app::kIdListArea);
    EXPECT_EQ(OuterSize(main).cx - ClientSize(main).cx + s(194), OuterSize(main).cx);
    EXPECT_EQ(ClientSize(main).cx, s(194));
    mainWindow->RunCommand(app::kIdListArea);
    EXPECT_EQ(OuterSize(main).cx, full.cx);
    EXPECT_EQ(OuterSize(main).cy, full.cy);
    EXPECT_EQ(win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width, listWidth);
}

TEST_F(Dpi, HeaderTriangleIsDrawnAtTheDpi) {
    const Scaler s{dpi};
    Append({L"C:\\b.txt", L"C:\\a.txt"});
    SortAndWait(0);
    // A surface as wide as a designed 300-pixel item, in a colour no system colour has.
    const int width = s(300), height = s(18);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = ::CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    HBITMAP bitmap =
        ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    std::fill(bits, bits + width * height, 0x00010203);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_HEADER;
    item.hwndItem = mainWindow->Part<filelist::ListPart>().Header().HeaderHandle();
    item.hDC = dc;
    item.rcItem = {0, 0, width, height};
    mainWindow->Part<filelist::ListPart>().Header().DrawHeaderItem(item);
    ::GdiFlush();
    auto shadow = [&](int x, int y) {
        const DWORD p = bits[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) == ::GetSysColor(COLOR_BTNSHADOW);
    };
    // Pointing down: (right, top), (middle, bottom), (left, top) of its rectangle.
    const int left = width - s(14), right = width - s(6), top = s(4), bottom = height - s(5);
    const int middle = left + (right - left) / 2;
    EXPECT_TRUE(shadow(left, top));
    EXPECT_TRUE(shadow(middle, top));
    EXPECT_TRUE(shadow(right, top));
    EXPECT_TRUE(shadow(middle, bottom));
    EXPECT_FALSE(shadow(left - 1, top));
    EXPECT_FALSE(shadow(right + 1, top));
    EXPECT_FALSE(shadow(middle, top - 1));
    EXPECT_FALSE(shadow(middle, bottom + 1));
    EXPECT_FALSE(shadow(left + 1, bottom - 1)) << "a lower corner lies outside the triangle";
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST_F(Dpi, AChangeOfDpiLaysTheWindowOutAgainInTheSameModeWithTheSameList) {
    Append({L"C:\\one.txt", L"D:\\two.txt"});
    // Another DPI above 96: below the system's, Wine keeps a window at least as wide as the
    // system's DPI needs, wider than a compact window at 96.
    const int other = dpi == 96 ? 144 : 120;
    const HWND main = mainWindow->Hwnd();
    for (bool compact : {false, true}) {
        SCOPED_TRACE(compact ? "compact" : "full");
        if (compact)
            ::SendMessageW(mainWindow->Controls().listAreaButton->Hwnd(), BM_CLICK, 0, 0);
        for (int to : {other, dpi}) {
            SCOPED_TRACE(to);
            RECT before{};
            ::GetWindowRect(main, &before);
            const int from = win::Window::WindowDpi(main);
            RECT suggested{before.left + 10, before.top + 20,
                           before.left + 10 + ::MulDiv(before.right - before.left, to, from),
                           before.top + 20 + ::MulDiv(before.bottom - before.top, to, from)};
            ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(to, to),
                           reinterpret_cast<LPARAM>(&suggested));
            ExpectLaidOutAt(to);
            RECT after{};
            ::GetWindowRect(main, &after);
            EXPECT_EQ(after.left, suggested.left);
            EXPECT_EQ(after.top, suggested.top);
            EXPECT_EQ(after.bottom - after.top,
                      std::max<LONG>(suggested.bottom - suggested.top, Scaler{to}(305)));
            EXPECT_EQ(IsVisible(mainWindow->Controls().listArea->Hwnd()), !compact);
            EXPECT_EQ(mainWindow->Controls().listAreaButton->Down(), !compact);
            if (compact)
                EXPECT_EQ(ClientSize(main).cx, Scaler{to}(194));
            else
                EXPECT_EQ(after.right - after.left, suggested.right - suggested.left);
            EXPECT_EQ(List().AllPaths(),
                      (std::vector<std::wstring>{L"C:\\one.txt", L"D:\\two.txt"}));
            EXPECT_EQ(ViewTexts(mainWindow->Controls().listView), List().AllPaths());
        }
    }
    // The way back to full mode works at the DPI it ends at.
    ::SendMessageW(mainWindow->Controls().listAreaButton->Hwnd(), BM_CLICK, 0, 0);
    ExpectLaidOutAt(dpi);
}

// Sizes in the settings file are 96-DPI units: a file reads as its sizes scaled and is written
// back unchanged at every DPI, so one written at 144 opens at 96 as large as it looked, and the
// other way round. At 96 DPI the files are byte for byte what the program wrote before it knew
// of DPIs (kept beside the tests).
TEST_F(Dpi, SettingsKeepSizesIn96DpiUnits) {
    const Scaler s{dpi};
    for (const wchar_t* name : {L"settings_full_96dpi.ini", L"settings_compact_96dpi.ini"}) {
        SCOPED_TRACE(win::ToUtf8(name));
        const std::string expected = ReadBytes(BesideTests(name));
        ASSERT_FALSE(expected.empty());
        const bool compact = expected.find("filelistvisible=0") != std::string::npos;
        mainWindow.reset();
        WriteBytes(settingsPath, expected);
        MakeWindow();
        const SIZE outer = OuterSize(mainWindow->Hwnd());
        EXPECT_EQ(outer.cy, s(330));
        if (!compact)
            EXPECT_EQ(outer.cx, s(600));
        mainWindow.reset();
        const std::string written = ReadBytes(settingsPath);
        if (!compact || dpi == 96) {
            EXPECT_EQ(written, expected);
            continue;
        }
        // Compact, the width is the left strip's and the frame's, which is not scaled.
        const std::string width = "FormWidth=" + std::to_string(::MulDiv(outer.cx, 96, dpi));
        EXPECT_NE(written.find("\r\n" + width + "\r\n"), std::string::npos) << written;
        const size_t at = expected.find("FormWidth=");
        EXPECT_EQ(written.substr(0, at), expected.substr(0, at));
        EXPECT_EQ(written.substr(written.find("FormHeight=")),
                  expected.substr(expected.find("FormHeight=")));
    }

    // A first start, centred: the same at 96 DPI, the sizes in 96-DPI units at any other.
    ::DeleteFileW(settingsPath.c_str());
    MakeWindow();
    const SIZE outer = OuterSize(mainWindow->Hwnd());
    mainWindow.reset();
    const std::string written = ReadBytes(settingsPath);
    if (dpi == 96)
        EXPECT_EQ(written, ReadBytes(BesideTests(L"settings_first_start_96dpi.ini")));
    EXPECT_NE(written.find("\r\nFormWidth=" + std::to_string(::MulDiv(outer.cx, 96, dpi)) +
                           "\r\nFormHeight=" + std::to_string(::MulDiv(outer.cy, 96, dpi)) +
                           "\r\n"),
              std::string::npos)
        << written;
}

} // namespace
} // namespace tuckbay::test
