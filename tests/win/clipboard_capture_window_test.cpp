// The clipboard capture in the real main window: the chain joined at creation and left at
// destruction, files from another process on the capture panel, registered into the list.
#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_support.h"
#include "main_window_fixture.h"
#include "win/controls.h"
#include "win/handles.h"

namespace tuckbay::test {
namespace {

class MainWindowCapture : public MainWindowTest {
protected:
    std::wstring Memo() const { return win::WindowText(mainWindow->Controls().captureMemo); }
    bool Shown(const win::Panel& panel) const {
        return (::GetWindowLongPtrW(panel.Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    bool CapturePanelShown() const {
        EXPECT_NE(Shown(*mainWindow->Controls().capturePanel),
                  Shown(*mainWindow->Controls().listPanel))
            << "exactly one panel is shown";
        return Shown(*mainWindow->Controls().capturePanel);
    }
};

TEST_F(MainWindowCapture, CopiedFilesAreRegisteredFromTheCapturePanel) {
    EXPECT_EQ(::GetClipboardViewer(), mainWindow->Hwnd())
        << "the window joins the chain at creation";
    EXPECT_FALSE(CapturePanelShown());

    ASSERT_EQ(PutFilesFromHelper(L"copy", {L"C:\\one.txt", L"C:\\two.txt"}), 0u);
    ASSERT_TRUE(Pump([&] { return Memo() == L"C:\\one.txt\r\nC:\\two.txt"; }));
    EXPECT_TRUE(CapturePanelShown());

    // The user edits the memo, then presses the button.
    ::SetWindowTextW(mainWindow->Controls().captureMemo, L"C:\\one.txt\r\n\r\nC:\\three.txt\r\n");
    ::SendMessageW(mainWindow->Controls().addCapturedButton, BM_CLICK, 0, 0);
    EXPECT_EQ(List().AllPaths(),
              (std::vector<std::wstring>{L"C:\\one.txt", L"", L"C:\\three.txt"}));
    EXPECT_EQ(ViewTexts(mainWindow->Controls().listView), List().AllPaths());
    EXPECT_EQ(CountText(), L"3");
    EXPECT_FALSE(CapturePanelShown());
    EXPECT_EQ(Memo(), L"");
}

TEST_F(MainWindowCapture, FilesOnTheClipboardAtStartAreReadButTheListPanelShows) {
    ASSERT_EQ(PutFilesFromHelper(L"copy", {L"C:\\early.txt"}), 0u);
    mainWindow.reset();
    mainWindow = std::make_unique<app::MainWindow>(*app);
    EXPECT_EQ(Memo(), L"C:\\early.txt");
    EXPECT_FALSE(CapturePanelShown());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MainWindowCapture, ACaptureInCompactModeIsInPlaceWhenTheListAreaReturns) {
    ::SendMessageW(mainWindow->Controls().listAreaButton->Hwnd(), BM_CLICK, 0, 0);
    ASSERT_FALSE(Shown(*mainWindow->Controls().listArea));
    ASSERT_EQ(PutFilesFromHelper(L"copy", {L"C:\\a.txt"}), 0u);
    ASSERT_TRUE(Pump([&] { return Memo() == L"C:\\a.txt"; }));
    EXPECT_FALSE(Shown(*mainWindow->Controls().listArea));
    ::SendMessageW(mainWindow->Controls().listAreaButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(Shown(*mainWindow->Controls().listArea));
    EXPECT_TRUE(CapturePanelShown());
}

TEST_F(MainWindowCapture, TheProgramsOwnExportBringsTheListBack) {
    ASSERT_EQ(PutFilesFromHelper(L"copy", {L"C:\\captured.txt"}), 0u);
    ASSERT_TRUE(Pump([&] { return Memo() == L"C:\\captured.txt"; }));
    ASSERT_TRUE(CapturePanelShown());

    // Exporting the list is a clipboard change like any other: text, no files.
    Append({L"C:\\listed.txt"});
    ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, MAKEWPARAM(filelist::kIdCopyListAsText, 0), 0);
    ASSERT_TRUE(Pump([&] { return !CapturePanelShown(); }));
    EXPECT_EQ(Memo(), L"");
    EXPECT_EQ(List().AllPaths(), (std::vector<std::wstring>{L"C:\\listed.txt"}));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MainWindowCapture, GoingBackLeavesTheListAlone) {
    ASSERT_EQ(PutFilesFromHelper(L"cut", {L"C:\\moved.txt"}), 0u);
    ASSERT_TRUE(Pump([&] { return Memo() == L"C:\\moved.txt"; }));
    ::SendMessageW(mainWindow->Controls().backToListButton, BM_CLICK, 0, 0);
    EXPECT_TRUE(List().AllPaths().empty());
    EXPECT_EQ(CountText(), L"");
    EXPECT_FALSE(CapturePanelShown());
    EXPECT_EQ(Memo(), L"");
}

TEST_F(MainWindowCapture, TheCheckBoxDecides) {
    ::SendMessageW(mainWindow->Controls().watchClipboardBox, BM_CLICK, 0, 0);
    ::SetWindowTextW(mainWindow->Controls().captureMemo, L"before");
    ASSERT_EQ(PutFilesFromHelper(L"copy", {L"C:\\one.txt"}), 0u);
    // Sent as the platform sends it, so it has been handled when the call returns.
    ::SendMessageW(mainWindow->Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(Memo(), L"before");
    EXPECT_FALSE(CapturePanelShown());

    ::SendMessageW(mainWindow->Controls().watchClipboardBox, BM_CLICK, 0, 0);
    ::SendMessageW(mainWindow->Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(Memo(), L"C:\\one.txt");
    EXPECT_TRUE(CapturePanelShown());
}

TEST_F(MainWindowCapture, AHeldClipboardShowsTheErrorBoxAndKeepsTheMemo) {
    ASSERT_EQ(PutFilesFromHelper(L"copy", {L"C:\\kept.txt"}), 0u);
    ASSERT_TRUE(Pump([&] { return Memo() == L"C:\\kept.txt"; }));
    HeldClipboard held;
    ASSERT_TRUE(held.Held());
    ::SendMessageW(mainWindow->Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], L"クリップボードを開くことができません.");
    EXPECT_EQ(Memo(), L"C:\\kept.txt");
    EXPECT_TRUE(CapturePanelShown());
}

// While the error box is up, the sender of the notice (often the shell) goes on.
TEST_F(MainWindowCapture, TheNoticesSenderIsNotKeptWaitingByTheErrorBox) {
    struct WaitingDialogs : ScriptedDialogs {
        void ShowError(HWND owner, const std::wstring& text) override {
            ScriptedDialogs::ShowError(owner, text);
            senderFree = ::WaitForSingleObject(senderDone, 5000) == WAIT_OBJECT_0;
        }
        HANDLE senderDone = nullptr;
        bool senderFree = false;
    };
    win::KernelHandle senderDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    WaitingDialogs waiting;
    waiting.senderDone = senderDone.get();
    app->SetDialogs(&waiting);

    ASSERT_EQ(PutFilesFromHelper(L"copy", {L"C:\\kept.txt"}), 0u);
    {
        HeldClipboard held;
        ASSERT_TRUE(held.Held());
        const HWND hwnd = mainWindow->Hwnd();
        std::thread sender([&] {
            ::SendMessageW(hwnd, WM_DRAWCLIPBOARD, 0, 0);
            ::SetEvent(senderDone.get());
        });
        const bool boxShown = Pump([&] { return !waiting.errors.empty(); });
        sender.join();
        ASSERT_TRUE(boxShown);
        EXPECT_TRUE(waiting.senderFree);
    }
    app->SetDialogs(&dialogs);
}

TEST_F(MainWindowCapture, ClosingTheWindowLeavesTheChain) {
    const HWND hwnd = mainWindow->Hwnd();
    ChainViewer head;
    head.Join();
    ASSERT_EQ(head.Next(), hwnd);
    mainWindow.reset();
    // The leave reaches the chain's head, which mends the chain.
    ASSERT_EQ(head.changes.size(), 1u);
    EXPECT_EQ(head.changes[0].first, hwnd);
    EXPECT_NE(head.Next(), hwnd);
}

} // namespace
} // namespace tuckbay::test
