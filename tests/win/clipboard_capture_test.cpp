// Clipboard capture against the real clipboard: files are put there by another process, the
// helper clipboard_writer, as the shell puts them there.
#include <windows.h>

#include <oleidl.h>

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_support.h"
#include "intake/clipboard_drops.h"
#include "intake/clipboard_watch.h"
#include "list_fixtures.h"
#include "pump.h"
#include "win/controls.h"
#include "win/error.h"
#include "win/handles.h"

namespace {

using tuckbay::test::ChainViewer;
using tuckbay::test::CreateTestWindow;
using tuckbay::test::HeldClipboard;
using tuckbay::test::PumpUntil;
using tuckbay::test::PutText;

constexpr wchar_t kOpenError[] = L"クリップボードを開くことができません";

bool TopmostStyle(HWND hwnd) {
    return (::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}
bool VisibleStyle(HWND hwnd) { return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

// A plain window with the controls the capture works on: the check box, the two panels, the
// memo. It stands in for the main window, whose list the recorded entries stand in for.
class CaptureWindow : public intake::CaptureHost {
public:
    explicit CaptureWindow(bool watchChecked = true) {
        window_.reset(CreateTestWindow(L"TuckbayTestCapture", this));
        HWND hwnd = window_.get();
        ctrlc_ = ::CreateWindowExW(0, L"BUTTON", L"Ctrl+Cを監視する",
                                   WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0, 0, 150, 20, hwnd,
                                   nullptr, nullptr, nullptr);
        listPanel_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 20, 380, 200,
                                       hwnd, nullptr, nullptr, nullptr);
        capturePanel_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 20, 380, 200, hwnd,
                                          nullptr, nullptr, nullptr);
        memo_ = ::CreateWindowExW(0, L"EDIT", L"before the capture",
                                  WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                      ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                                  0, 0, 380, 160, capturePanel_, nullptr, nullptr, nullptr);
        ::SendMessageW(ctrlc_, BM_SETCHECK, watchChecked ? BST_CHECKED : BST_UNCHECKED, 0);
        ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
    ~CaptureWindow() {
        if (joined_)
            watch.Leave();
    }

    void Join() {
        joined_ = true;
        watch.Join();
    }

    // The capture panel shown and the list panel hidden, or the other way round; anything
    // else is a fault.
    bool CapturePanelShown() const {
        EXPECT_NE(VisibleStyle(capturePanel_), VisibleStyle(listPanel_));
        return VisibleStyle(capturePanel_);
    }
    void SetWatch(bool checked) {
        ::SendMessageW(ctrlc_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    bool WatchEnabled() const { return ::IsWindowEnabled(ctrlc_) != FALSE; }
    HWND Hwnd() const { return window_.get(); }

    // The helper's files reach us as a notice; waits until it has been handled.
    void PutFilesFromHelper(const std::wstring& mode, const std::vector<std::wstring>& paths) {
        const int before = draws;
        ASSERT_EQ(tuckbay::test::PutFilesFromHelper(mode, paths), 0u);
        ASSERT_TRUE(PumpUntil([&] { return draws > before; })) << "no clipboard notice";
    }

    // CaptureHost
    HWND Handle() const override { return handleOverride ? handleOverride : window_.get(); }
    bool Watching() const override {
        return ::SendMessageW(ctrlc_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void DisableWatch() override { ::EnableWindow(ctrlc_, FALSE); }
    std::wstring MemoText() const override { return win::WindowText(memo_); }
    void SetMemoText(const std::wstring& text) override { ::SetWindowTextW(memo_, text.c_str()); }
    void ShowCapturePanel(bool show) override {
        ::ShowWindow(capturePanel_, show ? SW_SHOW : SW_HIDE);
        ::ShowWindow(listPanel_, show ? SW_HIDE : SW_SHOW);
    }
    void AppendPath(std::wstring path) override { entries.push_back(std::move(path)); }
    void UpdateCountDisplay() override { countShown = entries.size(); }
    void StayOnTop() override {
        ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    // The window procedure boundary: errors end up where the error box would show them.
    bool Handle(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        try {
            if (msg == WM_DRAWCLIPBOARD) {
                ++draws;
                watch.WMDrawClipboard();
                return true;
            }
            if (msg == WM_CHANGECBCHAIN) {
                watch.WMChangeCBChain(reinterpret_cast<HWND>(wParam),
                                      reinterpret_cast<HWND>(lParam));
                result = 0;
                return true;
            }
        } catch (const win::Error& e) {
            errors.emplace_back(e.Text(), e.Code());
            return true;
        }
        return false;
    }

    // Written by the window's handlers, so declared before the window.
    std::vector<std::wstring> entries;
    size_t countShown = SIZE_MAX;
    int draws = 0;
    std::vector<std::pair<std::wstring, long>> errors;
    HWND handleOverride = nullptr;
    win::OwnClipboardData own;
    intake::ClipboardWatch watch{*this, own};

private:
    bool joined_ = false;
    HWND ctrlc_ = nullptr, listPanel_ = nullptr, capturePanel_ = nullptr, memo_ = nullptr;
    win::WindowHandle window_;
};

TEST(ClipboardCapture, CopiedFilesAppearInTheMemoInOrderWithDuplicatesKept) {
    CaptureWindow window;
    window.Join();
    EXPECT_FALSE(window.CapturePanelShown());
    window.PutFilesFromHelper(L"copy", {L"C:\\b.txt", L"C:\\dir\\a b.txt", L"C:\\b.txt"});
    EXPECT_TRUE(window.CapturePanelShown());
    EXPECT_EQ(window.MemoText(), L"C:\\b.txt\r\nC:\\dir\\a b.txt\r\nC:\\b.txt");
    EXPECT_TRUE(window.errors.empty());
    EXPECT_TRUE(window.entries.empty()) << "capturing registers nothing by itself";
}

TEST(ClipboardCapture, CutFilesAreCapturedLikeCopiedOnes) {
    CaptureWindow window;
    window.Join();
    window.PutFilesFromHelper(L"cut", {L"C:\\moved.txt"});
    EXPECT_TRUE(window.CapturePanelShown());
    EXPECT_EQ(window.MemoText(), L"C:\\moved.txt");
}

TEST(ClipboardCapture, LongAndUnicodePathsAreReadWhole) {
    CaptureWindow window;
    window.Join();
    const std::wstring longPath = tuckbay::test::LongFilePath(1000, L"folder0123456789\\");
    ASSERT_EQ(longPath.size(), 1000u);
    // Hangul and u-umlaut are outside the Japanese code page.
    const std::wstring foreign = L"C:\\\uD55C\u00FC\u65E5\u672C.txt";
    window.PutFilesFromHelper(L"copy", {longPath, foreign});
    EXPECT_EQ(window.MemoText(), longPath + L"\r\n" + foreign);
}

TEST(ClipboardCapture, ReadsDropEffectAndEightBitDrops) {
    CaptureWindow window;
    window.Join();
    WORD effect = 0xFFFF;
    std::wstring files = L"stale";

    window.PutFilesFromHelper(L"copy", {L"C:\\x.txt"});
    intake::GetClipboardFiles(window.Hwnd(), effect, files);
    EXPECT_EQ(effect, DROPEFFECT_COPY | DROPEFFECT_LINK);
    EXPECT_EQ(files, L"C:\\x.txt");

    window.PutFilesFromHelper(L"cut", {L"C:\\y.txt"});
    intake::GetClipboardFiles(window.Hwnd(), effect, files);
    EXPECT_EQ(effect, DROPEFFECT_MOVE);

    window.PutFilesFromHelper(L"copy-ansi", {L"C:\\ansi one.txt", L"D:\\two"});
    intake::GetClipboardFiles(window.Hwnd(), effect, files);
    EXPECT_EQ(files, L"C:\\ansi one.txt\r\nD:\\two");

    PutText(window.Hwnd(), L"C:\\not a file drop");
    intake::GetClipboardFiles(window.Hwnd(), effect, files);
    EXPECT_EQ(effect, 0);
    EXPECT_EQ(files, L"");
}

TEST(ClipboardCapture, TextOnTheClipboardBringsTheListBackAndEmptiesTheMemo) {
    CaptureWindow window;
    window.Join();
    window.PutFilesFromHelper(L"copy", {L"C:\\a.txt"});
    ASSERT_TRUE(window.CapturePanelShown());
    const int before = window.draws;
    PutText(window.Hwnd(), L"some text");
    ASSERT_TRUE(PumpUntil([&] { return window.draws > before; }));
    EXPECT_FALSE(window.CapturePanelShown());
    EXPECT_EQ(window.MemoText(), L"");
    EXPECT_TRUE(window.errors.empty());
}

TEST(ClipboardCapture, UncheckedChangesNothingAndStillPassesTheNoticeOn) {
    ChainViewer next;
    next.Join();
    CaptureWindow window(false);
    window.Join();
    ASSERT_EQ(window.watch.NextViewer(), next.Hwnd());
    const int nextDraws = next.draws;
    window.PutFilesFromHelper(L"copy", {L"C:\\a.txt"});
    EXPECT_TRUE(PumpUntil([&] { return next.draws > nextDraws; }))
        << "the next viewer heard nothing";
    EXPECT_FALSE(window.CapturePanelShown());
    EXPECT_EQ(window.MemoText(), L"before the capture");
    EXPECT_FALSE(TopmostStyle(window.Hwnd()));
}

TEST(ClipboardCapture, StayOnTopIsTakenOnceAndNeverForcedAgain) {
    CaptureWindow window(false);
    window.Join();
    window.PutFilesFromHelper(L"copy", {L"C:\\a.txt"});
    EXPECT_FALSE(TopmostStyle(window.Hwnd())) << "no capture, no style";

    window.SetWatch(true);
    window.PutFilesFromHelper(L"copy", {L"C:\\a.txt"});
    EXPECT_TRUE(TopmostStyle(window.Hwnd()));

    // The user's topmost switch turns it off; a later capture leaves it so.
    ::SetWindowPos(window.Hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_FALSE(TopmostStyle(window.Hwnd()));
    window.PutFilesFromHelper(L"copy", {L"C:\\b.txt"});
    EXPECT_EQ(window.MemoText(), L"C:\\b.txt");
    EXPECT_FALSE(TopmostStyle(window.Hwnd()));
}

TEST(ClipboardCapture, RegisteringAnEmptyMemoAppendsNothingButShowsTheCount) {
    CaptureWindow window;
    window.Join();
    window.PutFilesFromHelper(L"copy", {L"C:\\a.txt"});
    window.SetMemoText(L"");
    window.watch.AddCapturedClick();
    EXPECT_TRUE(window.entries.empty());
    EXPECT_EQ(window.countShown, 0u);
    EXPECT_FALSE(window.CapturePanelShown());
}

TEST(ClipboardCapture, AHeldClipboardGivesTheErrorKeepsTheMemoAndPassesTheNoticeOn) {
    ChainViewer next;
    next.Join();
    CaptureWindow window;
    window.Join();
    window.PutFilesFromHelper(L"copy", {L"C:\\kept.txt"});
    ASSERT_TRUE(window.CapturePanelShown());
    HeldClipboard held;
    ASSERT_TRUE(held.Held()) << "the helper could not hold the clipboard";
    const int nextDraws = next.draws;
    // The notice the platform would send.
    ::SendMessageW(window.Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].first, kOpenError);
    EXPECT_NE(window.errors[0].second, 0);
    EXPECT_TRUE(window.CapturePanelShown());
    EXPECT_EQ(window.MemoText(), L"C:\\kept.txt");
    EXPECT_EQ(next.draws, nextDraws + 1);
}

TEST(ClipboardCapture, ANoticeDuringTheJoinCapturesThenTheListPanelReturns) {
    {
        ChainViewer observer;
        observer.Join();
        const int before = observer.draws;
        ASSERT_EQ(tuckbay::test::PutFilesFromHelper(L"copy", {L"C:\\before.txt"}), 0u);
        ASSERT_TRUE(PumpUntil([&] { return observer.draws > before; }));
    }
    CaptureWindow window;
    window.Join();
    EXPECT_EQ(window.draws, 1) << "the platform notifies a joining viewer";
    EXPECT_EQ(window.MemoText(), L"C:\\before.txt");
    EXPECT_TRUE(TopmostStyle(window.Hwnd()));
    EXPECT_FALSE(window.CapturePanelShown());
    EXPECT_TRUE(window.WatchEnabled());
}

TEST(ClipboardCapture, AFailedJoinDisablesTheCheckBox) {
    CaptureWindow window;
    {
        CaptureWindow gone;
        window.handleOverride = gone.Hwnd();
    }
    window.Join();
    EXPECT_FALSE(window.WatchEnabled());
    EXPECT_FALSE(window.CapturePanelShown());
}

TEST(ClipboardChain, TheViewerRightAfterOursLeavingIsReplacedAndNotPassedOn) {
    ChainViewer third, second, first;
    third.Join();
    second.Join();
    first.Join();
    CaptureWindow window;
    window.Join();
    ASSERT_EQ(window.watch.NextViewer(), first.Hwnd());

    first.Leave();
    EXPECT_EQ(window.watch.NextViewer(), second.Hwnd());
    EXPECT_TRUE(second.changes.empty());
    EXPECT_TRUE(third.changes.empty());

    // Any other leave goes down the chain as it came.
    const HWND afterThird = third.Next();
    third.Leave();
    EXPECT_EQ(window.watch.NextViewer(), second.Hwnd());
    ASSERT_EQ(second.changes.size(), 1u);
    EXPECT_EQ(second.changes[0], std::make_pair(third.Hwnd(), afterThird));
}

TEST(ClipboardChain, ANextViewerKilledInTheChainNeitherHangsNorStopsTheCapture) {
    tuckbay::test::ViewerProcess doomed;
    ASSERT_TRUE(doomed.Joined()) << "the helper did not join the chain";
    CaptureWindow window;
    window.Join();
    const HWND next = window.watch.NextViewer();
    ASSERT_NE(next, nullptr);
    doomed.Kill();
    ASSERT_FALSE(::IsWindow(next));

    // Each notice is still passed to the dead window, which must cost nothing.
    window.PutFilesFromHelper(L"copy", {L"C:\\after.txt"});
    EXPECT_TRUE(window.CapturePanelShown());
    EXPECT_EQ(window.MemoText(), L"C:\\after.txt");
    window.PutFilesFromHelper(L"copy", {L"C:\\again.txt"});
    EXPECT_EQ(window.MemoText(), L"C:\\again.txt");
    EXPECT_TRUE(window.errors.empty());
}

} // namespace
