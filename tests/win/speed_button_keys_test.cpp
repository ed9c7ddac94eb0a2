// The speed buttons by the keyboard: reached by Tab and Shift+Tab in reading order, pressed by
// Space or Enter exactly as by a click, a focus rectangle while they have the focus; and a
// click with the mouse that leaves the keyboard where it was. Real keys and a real pointer on
// a real window.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control_strip.h"
#include "drag_kit.h"

namespace tuckbay::test {
namespace {

// What the window shows of one control, pixel by pixel, as it is on the screen.
std::vector<COLORREF> Pixels(HWND hwnd, SIZE& size) {
    ::UpdateWindow(hwnd);
    RECT r{};
    ::GetClientRect(hwnd, &r);
    size = {r.right, r.bottom};
    HDC screen = ::GetDC(hwnd);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size.cx, size.cy);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, size.cx, size.cy, screen, 0, 0, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            pixels.push_back(::GetPixel(memory, x, y));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd, screen);
    return pixels;
}

class SpeedButtonKeys : public ::testing::Test {
protected:
    // Presses keys on the window and waits until the window has handled their releases.
    void Press(const std::function<void(InputDriver&)>& keys, int releases) {
        const int before = strip.releases;
        std::string failure = DriveInput(
            [&](InputDriver& d) {
                keys(d);
                d.WaitFor("the keys to be handled",
                          [&] { return strip.releases >= before + releases; });
            },
            [this](const std::function<bool()>& done, std::chrono::milliseconds timeout) {
                return strip.Pump(done, timeout);
            });
        ASSERT_EQ(failure, "");
    }

    HWND Control(int id) const {
        switch (id) {
        case ControlStrip::kList:
            return strip.list;
        case ControlStrip::kCopy:
            return strip.copy->Hwnd();
        case ControlStrip::kMove:
            return strip.move->Hwnd();
        case ControlStrip::kClear:
            return strip.clear->Hwnd();
        case ControlStrip::kShortcut:
            return strip.shortcut->Hwnd();
        default:
            return strip.allowDrops;
        }
    }

    ControlStrip strip;
};

struct KeyCase {
    const char* what;
    int start; // the control that has the focus before the keys
    std::function<void(InputDriver&)> keys;
    int releases;
    int focus; // the control that has it afterwards
    std::vector<int> clicks;
    bool copyDown, moveDown, shortcutDown;
};

TEST_F(SpeedButtonKeys, TabAndShiftTabReachThemAndSpaceOrEnterPressesThemAsAClickDoes) {
    using S = ControlStrip;
    auto tab = [](InputDriver& d) { d.Key(VK_TAB); };
    auto backTab = [](InputDriver& d) { d.Chord(VK_SHIFT, VK_TAB); };
    auto space = [](InputDriver& d) { d.Key(VK_SPACE); };
    auto enter = [](InputDriver& d) { d.Key(VK_RETURN); };
    const KeyCase cases[] = {
        {"Tab from the list", S::kList, tab, 1, S::kCopy, {}, true, false, true},
        {"Tab from コピー", S::kCopy, tab, 1, S::kMove, {}, true, false, true},
        {"Tab from ショート変換", S::kShortcut, tab, 1, S::kAllowDrops, {}, true, false, true},
        {"Shift+Tab from the check box",
         S::kAllowDrops,
         backTab,
         2,
         S::kShortcut,
         {},
         true,
         false,
         true},
        {"Space on 移動", S::kMove, space, 1, S::kMove, {S::kMove}, false, true, true},
        {"Enter on 移動", S::kMove, enter, 1, S::kMove, {S::kMove}, false, true, true},
        {"Space on ショート変換",
         S::kShortcut,
         space,
         1,
         S::kShortcut,
         {S::kShortcut},
         true,
         false,
         false},
        {"Enter on ショート変換",
         S::kShortcut,
         enter,
         1,
         S::kShortcut,
         {S::kShortcut},
         true,
         false,
         false},
        {"Space on リストクリア", S::kClear, space, 1, S::kClear, {S::kClear}, true, false, true},
        {"Enter on the down コピー", S::kCopy, enter, 1, S::kCopy, {}, true, false, true},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        strip.copy->SetDown(true);
        strip.shortcut->SetDown(true);
        strip.clicks.clear();
        ::SetFocus(Control(c.start));
        Press(c.keys, c.releases);
        EXPECT_EQ(::GetFocus(), Control(c.focus));
        EXPECT_EQ(strip.clicks, c.clicks);
        EXPECT_EQ(strip.copy->Down(), c.copyDown);
        EXPECT_EQ(strip.move->Down(), c.moveDown);
        EXPECT_EQ(strip.shortcut->Down(), c.shortcutDown);
    }
}

TEST_F(SpeedButtonKeys, TheFocusedOneShowsAFocusRectangleAndNothingElseChanges) {
    SIZE size{};
    const std::vector<COLORREF> before = Pixels(strip.move->Hwnd(), size);
    ::SetFocus(strip.copy->Hwnd());
    Press([](InputDriver& d) { d.Key(VK_TAB); }, 1);
    ASSERT_EQ(::GetFocus(), strip.move->Hwnd());
    const std::vector<COLORREF> focused = Pixels(strip.move->Hwnd(), size);
    Press([](InputDriver& d) { d.Key(VK_TAB); }, 1);
    EXPECT_EQ(Pixels(strip.move->Hwnd(), size), before) << "the focus rectangle stayed behind";

    // Every pixel that changed lies on one rectangle inside the button's edge.
    const int inset = strip.move->Scale(3);
    int changed = 0;
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            if (focused[y * size.cx + x] == before[y * size.cx + x])
                continue;
            ++changed;
            const bool inside =
                x >= inset && x < size.cx - inset && y >= inset && y < size.cy - inset;
            const bool onOutline =
                x == inset || x == size.cx - inset - 1 || y == inset || y == size.cy - inset - 1;
            EXPECT_TRUE(inside && onOutline) << "pixel " << x << "," << y << " changed";
        }
    }
    EXPECT_GT(changed, size.cx / 2) << "no focus rectangle to be seen";
}

TEST_F(SpeedButtonKeys, AClickWithTheMouseLeavesTheKeyboardWhereItWas) {
    RECT r{};
    ::GetWindowRect(strip.shortcut->Hwnd(), &r);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    const int released = strip.releases;
    std::string failure = DriveInput(
        [&](InputDriver& d) {
            d.MoveTo(centre, "the pointer over ショート変換", [&] {
                POINT at{};
                ::GetCursorPos(&at);
                return at.x == centre.x && at.y == centre.y;
            });
            d.LeftDown();
            d.LeftUp();
            d.WaitFor("the click", [&] { return strip.releases > released; });
        },
        [this](const std::function<bool()>& done, std::chrono::milliseconds timeout) {
            return strip.Pump(done, timeout);
        });
    ASSERT_EQ(failure, "");
    EXPECT_EQ(strip.clicks, std::vector<int>{ControlStrip::kShortcut});
    EXPECT_FALSE(strip.shortcut->Down());
    EXPECT_EQ(::GetFocus(), strip.list) << "the list lost the keyboard to a click";
}

} // namespace
} // namespace tuckbay::test
