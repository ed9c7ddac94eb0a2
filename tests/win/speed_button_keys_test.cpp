// The speed buttons by the keyboard: reached by Tab and Shift+Tab in reading order, pressed by
// Space or Enter exactly as by a click, a focus rectangle while they have the focus; and a
// click with the mouse that leaves the keyboard where it was. Real keys and a real pointer on
// a real window.
#include <windows.h>

#include <functional>
#include <map>
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

    ControlStrip strip;
};

TEST_F(SpeedButtonKeys, TabAndShiftTabReachThemAndSpaceOrEnterPressesThemAsAClickDoes) {
    using enum ControlStrip::Id;
    const std::map<int, HWND> control{{kList, strip.list},
                                      {kCopy, strip.copy->Hwnd()},
                                      {kMove, strip.move->Hwnd()},
                                      {kClear, strip.clear->Hwnd()},
                                      {kShortcut, strip.shortcut->Hwnd()},
                                      {kAllowDrops, strip.allowDrops}};
    const std::vector<int> designed{kCopy, kShortcut}; // down as the window starts
    // The control with the focus before a key and after it, the clicks, the buttons down.
    const struct {
        int start;
        WORD key;
        bool shifted;
        int focus;
        std::vector<int> clicks, down;
    } cases[] = {
        {kList, VK_TAB, false, kCopy, {}, designed},
        {kShortcut, VK_TAB, false, kAllowDrops, {}, designed},
        {kAllowDrops, VK_TAB, true, kShortcut, {}, designed},
        {kMove, VK_SPACE, false, kMove, {kMove}, {kMove, kShortcut}},
        {kShortcut, VK_RETURN, false, kShortcut, {kShortcut}, {kCopy}},
        {kClear, VK_SPACE, false, kClear, {kClear}, designed},
        {kCopy, VK_RETURN, false, kCopy, {}, designed}, // the down one of a pair: nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " on control " << c.start);
        strip.copy->SetDown(true);
        strip.shortcut->SetDown(true);
        strip.clicks.clear();
        ::SetFocus(control.at(c.start));
        if (c.shifted)
            Press([&](InputDriver& d) { d.Chord(VK_SHIFT, c.key); }, 2);
        else
            Press([&](InputDriver& d) { d.Key(c.key); }, 1);
        EXPECT_EQ(::GetFocus(), control.at(c.focus));
        EXPECT_EQ(strip.clicks, c.clicks);
        std::vector<int> down;
        for (const auto* button : {strip.copy.get(), strip.move.get(), strip.shortcut.get()})
            if (button->Down())
                down.push_back(::GetDlgCtrlID(button->Hwnd()));
        EXPECT_EQ(down, c.down);
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
