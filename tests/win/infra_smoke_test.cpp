// Proves the environment the Windows tests run in: a private display of the expected size,
// windows that receive their messages, a working clipboard, the Japanese code page, and the
// font replacements the program's Japanese fonts depend on.

#include <windows.h>

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "pump.h"

namespace {

using tuckbay::test::PumpUntil;

constexpr UINT kPing = WM_APP + 17;

struct PingLog {
    int count = 0;
    WPARAM lastWParam = 0;
    LPARAM lastLParam = 0;
};

LRESULT CALLBACK PingWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (msg == kPing) {
        auto* log = reinterpret_cast<PingLog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        ++log->count;
        log->lastWParam = wParam;
        log->lastLParam = lParam;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class TestWindow {
public:
    explicit TestWindow(PingLog* log) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PingWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TuckbayInfraSmoke";
        RegisterClassW(&wc); // fails harmlessly when an earlier test registered it
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"インフラ確認", WS_OVERLAPPEDWINDOW, 40, 40,
                                320, 200, nullptr, nullptr, wc.hInstance, log);
    }
    ~TestWindow() {
        if (hwnd_) {
            DestroyWindow(hwnd_);
        }
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

TEST(InfraSmoke, RunsOnThePrivateDisplayOfTheExpectedSize) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
}

TEST(InfraSmoke, ShownWindowReceivesAPostedMessage) {
    PingLog log; // declared before the window, which writes into it
    TestWindow window(&log);
    ASSERT_NE(window.get(), nullptr);
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(window.get()));

    wchar_t title[32] = {};
    GetWindowTextW(window.get(), title, 32);
    EXPECT_STREQ(title, L"インフラ確認");

    ASSERT_TRUE(PostMessageW(window.get(), kPing, 1234, 5678));
    EXPECT_EQ(log.count, 0) << "a posted message must wait for the message loop";
    ASSERT_TRUE(PumpUntil([&] { return log.count > 0; }, std::chrono::seconds(10)));
    EXPECT_EQ(log.count, 1);
    EXPECT_EQ(log.lastWParam, 1234u);
    EXPECT_EQ(log.lastLParam, 5678);
}

// The clipboard's text in the given format (CF_UNICODETEXT with wchar_t, CF_TEXT with char);
// empty when the format is absent. The clipboard must be open.
template <typename Char> std::basic_string<Char> ReadClipboard(UINT format) {
    std::basic_string<Char> text;
    if (HANDLE data = GetClipboardData(format)) {
        if (auto* chars = static_cast<const Char*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    return text;
}

TEST(InfraSmoke, ClipboardKeepsWhatWasWritten) {
    PingLog log;
    TestWindow window(&log);
    ASSERT_NE(window.get(), nullptr);

    // Unique per run, so text left over from an earlier run cannot pass the test.
    const std::wstring text = L"Tuckbay 日本語 " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64());
    const DWORD sequenceBefore = GetClipboardSequenceNumber();

    ASSERT_TRUE(OpenClipboard(window.get()));
    ASSERT_TRUE(EmptyClipboard());
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    ASSERT_NE(memory, nullptr);
    memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!set) {
        GlobalFree(memory); // ownership passes to the clipboard only on success
    }
    ASSERT_TRUE(CloseClipboard());
    ASSERT_TRUE(set);
    EXPECT_NE(GetClipboardSequenceNumber(), sequenceBefore);

    ASSERT_TRUE(OpenClipboard(window.get()));
    const std::wstring readBack = ReadClipboard<wchar_t>(CF_UNICODETEXT);
    // The system renders CF_TEXT from the Unicode text in the system code page (932).
    const std::string ansi = ReadClipboard<char>(CF_TEXT);
    CloseClipboard();

    EXPECT_EQ(readBack, text);
    const std::string expectedPrefix = "Tuckbay \x93\xfa\x96\x7b\x8c\xea ";
    EXPECT_EQ(ansi.substr(0, expectedPrefix.size()), expectedPrefix);
}

TEST(InfraSmoke, SystemCodePageIsJapanese) {
    EXPECT_EQ(GetACP(), 932u);
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    ASSERT_GT(GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH), 0);
    EXPECT_STREQ(locale, L"ja-JP");

    char bytes[16] = {};
    int length =
        WideCharToMultiByte(CP_ACP, 0, L"日本語", -1, bytes, sizeof(bytes), nullptr, nullptr);
    EXPECT_EQ(length, 7);
    EXPECT_STREQ(bytes, "\x93\xfa\x96\x7b\x8c\xea");
}

std::wstring OutlineFullName(const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    wcscpy_s(lf.lfFaceName, face);
    HFONT font = CreateFontIndirectW(&lf);
    HDC hdc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(hdc, font);
    std::wstring fullName;
    if (UINT size = GetOutlineTextMetricsW(hdc, 0, nullptr)) {
        std::string buffer(size, '\0');
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (GetOutlineTextMetricsW(hdc, size, metrics)) {
            fullName = reinterpret_cast<const wchar_t*>(
                buffer.data() + reinterpret_cast<uintptr_t>(metrics->otmpFullName));
        }
    }
    SelectObject(hdc, old);
    ReleaseDC(nullptr, hdc);
    DeleteObject(font);
    return fullName;
}

// GetTextFace, and even the family name, only echo the requested name; the full name in the
// outline metrics names the font really used ("IPAPGothic Version 003.03").
TEST(InfraSmoke, JapaneseUiFontsAreReplacedByIpaFonts) {
    const std::wstring proportional = OutlineFullName(L"ＭＳ Ｐゴシック");
    const std::wstring fixed = OutlineFullName(L"ＭＳ ゴシック");
    EXPECT_TRUE(proportional.starts_with(L"IPAPGothic")) << "got " << proportional;
    EXPECT_TRUE(fixed.starts_with(L"IPAGothic")) << "got " << fixed;
}

} // namespace
