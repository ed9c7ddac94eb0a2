// The clipboard capture in the real main window: the chain joined at creation and left at
// destruction, files from another process on the capture panel, registered into the list.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "clipboard_writer.h"
#include "pump.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/dialogs.h"
#include "win/handles.h"

namespace {

using tuckbay::test::PumpUntil;

class RecordingDialogs : public win::Dialogs {
public:
    void ShowMessage(HWND, const std::wstring& text) override { messages.push_back(text); }
    void ShowError(HWND, const std::wstring& text) override {
        errors.push_back(text);
        if (onError) onError();
    }
    bool Confirm(HWND, const std::wstring&) override { return false; }

    std::vector<std::wstring> messages;
    std::vector<std::wstring> errors;
    std::function<void()> onError;
};

bool Shown(const win::Panel& panel) {
    return (::GetWindowLongPtrW(panel.Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

class MainWindowCapture : public testing::Test {
protected:
    MainWindowCapture() {
        application_.SetDialogs(&dialogs_);
        form_ = std::make_unique<app::TForm1>(application_);
    }
    ~MainWindowCapture() override {
        form_.reset();
        application_.SetDialogs(nullptr);
    }

    std::wstring Memo() const { return win::WindowText(form_->Memo1); }
    std::wstring CountDisplay() const {
        std::wstring text(256, L'\0');
        ::SendMessageW(form_->StatusBar1, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
        return text.c_str();
    }

    RecordingDialogs dialogs_;
    win::Application application_{L"Tuckbay"};
    std::unique_ptr<app::TForm1> form_;
};

TEST_F(MainWindowCapture, CopiedFilesAreRegisteredFromTheCapturePanel) {
    EXPECT_EQ(::GetClipboardViewer(), form_->Hwnd()) << "the window joins the chain at creation";
    EXPECT_TRUE(Shown(*form_->pfilelist));
    EXPECT_FALSE(Shown(*form_->pctrlc));

    ASSERT_EQ(tuckbay::test::PutFilesFromHelper(L"copy", {L"C:\\one.txt", L"C:\\two.txt"}), 0u);
    ASSERT_TRUE(PumpUntil([&] { return Shown(*form_->pctrlc); }));
    EXPECT_EQ(Memo(), L"C:\\one.txt\r\nC:\\two.txt");
    EXPECT_FALSE(Shown(*form_->pfilelist));

    // The user edits the memo, then presses the button.
    ::SetWindowTextW(form_->Memo1, L"C:\\one.txt\r\n\r\nC:\\three.txt");
    ::SendMessageW(form_->Button1, BM_CLICK, 0, 0);
    EXPECT_EQ(form_->FileList().AllPaths(),
              (std::vector<std::wstring>{L"C:\\one.txt", L"", L"C:\\three.txt"}));
    EXPECT_EQ(CountDisplay(), L"3");
    EXPECT_TRUE(Shown(*form_->pfilelist));
    EXPECT_FALSE(Shown(*form_->pctrlc));
    EXPECT_EQ(Memo(), L"");
}

TEST_F(MainWindowCapture, GoingBackLeavesTheListAlone) {
    ASSERT_EQ(tuckbay::test::PutFilesFromHelper(L"cut", {L"C:\\moved.txt"}), 0u);
    ASSERT_TRUE(PumpUntil([&] { return Shown(*form_->pctrlc); }));
    ::SendMessageW(form_->Button2, BM_CLICK, 0, 0);
    EXPECT_TRUE(form_->FileList().AllPaths().empty());
    EXPECT_TRUE(Shown(*form_->pfilelist));
    EXPECT_EQ(Memo(), L"");
}

TEST_F(MainWindowCapture, TheCheckBoxDecides) {
    ::SendMessageW(form_->ctrlc, BM_SETCHECK, BST_UNCHECKED, 0);
    ::SetWindowTextW(form_->Memo1, L"before");
    ASSERT_EQ(tuckbay::test::PutFilesFromHelper(L"copy", {L"C:\\one.txt"}), 0u);
    // Sent as the platform sends it, so it has been handled when the call returns.
    ::SendMessageW(form_->Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(Memo(), L"before");
    EXPECT_TRUE(Shown(*form_->pfilelist));

    ::SendMessageW(form_->ctrlc, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(form_->Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(Memo(), L"C:\\one.txt");
    EXPECT_TRUE(Shown(*form_->pctrlc));
}

TEST_F(MainWindowCapture, AHeldClipboardShowsTheErrorBoxAndKeepsTheMemo) {
    ASSERT_EQ(tuckbay::test::PutFilesFromHelper(L"copy", {L"C:\\kept.txt"}), 0u);
    ASSERT_TRUE(PumpUntil([&] { return Memo() == L"C:\\kept.txt"; }));
    tuckbay::test::HeldClipboard held;
    ASSERT_TRUE(held.Held());
    ::SendMessageW(form_->Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_EQ(dialogs_.errors[0], L"クリップボードを開くことができません.");
    EXPECT_EQ(Memo(), L"C:\\kept.txt");
    EXPECT_TRUE(Shown(*form_->pctrlc));
}

TEST_F(MainWindowCapture, TheNoticesSenderIsNotKeptWaitingByTheErrorBox) {
    ASSERT_EQ(tuckbay::test::PutFilesFromHelper(L"copy", {L"C:\\kept.txt"}), 0u);
    tuckbay::test::HeldClipboard held;
    ASSERT_TRUE(held.Held());
    win::KernelHandle senderDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool senderFreeDuringBox = false;
    dialogs_.onError = [&] {
        senderFreeDuringBox = ::WaitForSingleObject(senderDone.get(), 5000) == WAIT_OBJECT_0;
    };
    const HWND form = form_->Hwnd();
    std::thread sender([&] {
        ::SendMessageW(form, WM_DRAWCLIPBOARD, 0, 0);
        ::SetEvent(senderDone.get());
    });
    const bool boxShown = PumpUntil([&] { return !dialogs_.errors.empty(); });
    sender.join();
    ASSERT_TRUE(boxShown);
    EXPECT_TRUE(senderFreeDuringBox);
}

TEST(MainWindowChain, ClosingTheWindowLeavesTheChain) {
    RecordingDialogs dialogs;
    win::Application application(L"Tuckbay");
    application.SetDialogs(&dialogs);
    const HWND before = ::GetClipboardViewer();
    {
        app::TForm1 form(application);
        EXPECT_EQ(::GetClipboardViewer(), form.Hwnd());
    }
    EXPECT_EQ(::GetClipboardViewer(), before);
    application.SetDialogs(nullptr);
}

} // namespace
