#include "app/about_box.h"
#include "win/application.h"
#include "win/controls.h"

#include "pump.h"

#include <windows.h>

#include <cwchar>

#include <gtest/gtest.h>

#include "version.h"

#include <algorithm>
#include <string>

namespace {

// The title the build gives the program, from its one version.
constexpr const wchar_t* kTitle = L"Tuckbay v" TUCKBAY_VERSION_TEXT;

std::wstring TextOf(HWND hwnd) { return win::WindowText(hwnd); }

LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf;
}

// One past the rightmost column that drawing text in font at x = 0 inks.
int InkRight(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    const int width = 1000, height = 100;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font);
    std::fill(bits, bits + width * height, 0x00FFFFFF);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    int right = 0;
    for (int y = 0; y < height; ++y)
        for (int x = right; x < width; ++x)
            if ((bits[y * width + x] & 0x00FFFFFF) != 0x00FFFFFF)
                right = x + 1;
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return right;
}

RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Owner {
    Owner() {
        hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                               692, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~Owner() { DestroyWindow(hwnd); }
    HWND hwnd;
};

// What the box looked like while it was up, seen from a timer inside its modal loop.
struct SeenWhileShown {
    bool visible = false;
    bool ownerEnabled = true;
    HWND owner = nullptr;
    RECT box{};
    int timerCalls = 0;
};
SeenWhileShown* g_seen = nullptr;
HWND g_box = nullptr;

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    ++g_seen->timerCalls;
    if (!IsWindowVisible(g_box) && g_seen->timerCalls < 100)
        return;
    g_seen->visible = IsWindowVisible(g_box);
    g_seen->owner = GetWindow(g_box, GW_OWNER);
    g_seen->ownerEnabled = IsWindowEnabled(g_seen->owner);
    GetWindowRect(g_box, &g_seen->box);
    KillTimer(nullptr, id);
    PostMessageW(g_box, WM_CLOSE, 0, 0);
}

} // namespace

TEST(AboutBox, MadeHiddenOwnedAndAsDesigned) {
    Owner owner;
    win::Application application(L"Tuckbay");
    app::AboutBox about(application, owner.hwnd);
    HWND box = about.Handle();
    ASSERT_TRUE(box);
    EXPECT_FALSE(IsWindowVisible(box));
    EXPECT_EQ(TextOf(box), L"バージョン情報");

    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 256);
    EXPECT_EQ(client.bottom, 104);
    const LONG style = GetWindowLongW(box, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(box, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    EXPECT_EQ(TextOf(about.TitleLabel()), kTitle);
    EXPECT_FALSE(TextOf(about.CreditLabel()).empty());
    RECT r1 = ChildRect(about.TitleLabel()), r2 = ChildRect(about.CreditLabel());
    EXPECT_EQ(r1.left, 16);
    EXPECT_EQ(r1.top, 16);
    EXPECT_EQ(r2.left, 48);
    EXPECT_EQ(r2.top, 56);

    LOGFONTW title = FontOf(about.TitleLabel());
    EXPECT_STREQ(title.lfFaceName, L"Times New Roman");
    EXPECT_EQ(title.lfHeight, -24);
    EXPECT_TRUE(title.lfItalic);
    LOGFONTW credit = FontOf(about.CreditLabel());
    EXPECT_STREQ(credit.lfFaceName, L"Tahoma");
    EXPECT_EQ(credit.lfHeight, -11);

    // Sized to its text: the whole caption fits in the label, the ink of its italic last letter
    // too, with nothing to spare.
    const HFONT titleFont =
        reinterpret_cast<HFONT>(SendMessageW(about.TitleLabel(), WM_GETFONT, 0, 0));
    HDC dc = GetDC(about.TitleLabel());
    HGDIOBJ old = SelectObject(dc, titleFont);
    SIZE size{};
    GetTextExtentPoint32W(dc, kTitle, static_cast<int>(std::wcslen(kTitle)), &size);
    SelectObject(dc, old);
    ReleaseDC(about.TitleLabel(), dc);
    const int inkRight = InkRight(titleFont, kTitle);
    EXPECT_GE(r1.right - r1.left, std::max<int>(size.cx, inkRight));
    EXPECT_LE(r1.right - r1.left, std::max<int>(size.cx, inkRight) + 2);
    EXPECT_EQ(r1.bottom - r1.top, size.cy);

    // The title is green on the button face.
    HDC mem = CreateCompatibleDC(nullptr);
    SendMessageW(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(mem),
                 reinterpret_cast<LPARAM>(about.TitleLabel()));
    EXPECT_EQ(GetTextColor(mem), RGB(0, 128, 0));
    EXPECT_EQ(GetBkColor(mem), GetSysColor(COLOR_BTNFACE));
    DeleteDC(mem);
}

TEST(AboutBox, ShownModallyCentredOverTheOwnerAndReused) {
    Owner owner;
    win::Application application(L"Tuckbay");
    app::AboutBox about(application, owner.hwnd);
    const HWND box = about.Handle();
    for (int showing = 0; showing < 2; ++showing) {
        SeenWhileShown seen;
        g_seen = &seen;
        g_box = box;
        SetTimer(nullptr, 0, 10, &LookAndClose);
        about.ShowModal();
        g_seen = nullptr;
        EXPECT_TRUE(seen.visible);
        EXPECT_EQ(seen.owner, owner.hwnd) << "owned, so it stays above the main window";
        EXPECT_FALSE(seen.ownerEnabled) << "the main window took input while the box was up";
        RECT o;
        GetWindowRect(owner.hwnd, &o);
        EXPECT_NEAR((seen.box.left + seen.box.right) / 2, (o.left + o.right) / 2, 1);
        EXPECT_NEAR((seen.box.top + seen.box.bottom) / 2, (o.top + o.bottom) / 2, 1);
        // Closed: hidden, not destroyed, and the owner takes input again.
        EXPECT_TRUE(IsWindow(box));
        EXPECT_FALSE(IsWindowVisible(box));
        EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
        EXPECT_EQ(about.Handle(), box);
        // The second showing opens over the owner in a new place.
        MoveWindow(owner.hwnd, 300, 200, 692, 300, TRUE);
    }
}
