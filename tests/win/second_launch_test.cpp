// A second launch with paths hands them to the Tuckbay already running from the same
// executable; two real processes of the real program, and hostile or hung partners.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "intake/hand_over_format.h"
#include "app/window_class.h"
#include "main_window_fixture.h"
#include "program_copy.h"
#include "pump.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

using Texts = std::vector<std::wstring>;

class SecondLaunch : public ProgramCopy {
protected:
    // A second launch of the copy with the arguments.
    bool LaunchAgain(ProgramProcess& process, const std::wstring& arguments) {
        return process.Launch(exe_, arguments, folder_);
    }
};

TEST_F(SecondLaunch, PathsGoToTheRunningBasketWhichComesBackFromMinimised) {
    HWND first = Start(QuoteArgument(L"C:\\first.txt"));
    ASSERT_TRUE(first);
    // Minimised, the program's main window is hidden and stands on the taskbar alone.
    ::PostMessageW(first, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(first); }));

    ProgramProcess second;
    ASSERT_TRUE(LaunchAgain(second, QuoteArgument(L"b.txt") + L" " + QuoteArgument(L"C:\\a.txt")));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(first) != FALSE; }));
    EXPECT_EQ(ListOfWindow(first), (Texts{L"C:\\first.txt", folder_ + L"\\b.txt", L"C:\\a.txt"}));
}

TEST_F(SecondLaunch, WithoutPathsASecondWindowOpensAsBefore) {
    HWND first = Start(QuoteArgument(L"C:\\first.txt"));
    ASSERT_TRUE(first);
    ProgramProcess second;
    ASSERT_TRUE(LaunchAgain(second, L""));
    EXPECT_TRUE(second.MainWindow());
    EXPECT_FALSE(second.Ended());
    EXPECT_EQ(ListOfWindow(first), Texts{L"C:\\first.txt"});
}

TEST_F(SecondLaunch, ACopyInAnotherFolderKeepsItsOwnBasket) {
    // Another executable means other settings: its paths are not handed to this one.
    HWND first = Start(QuoteArgument(L"C:\\first.txt"));
    ASSERT_TRUE(first);
    const std::wstring otherFolder = folder_ + L"\\other";
    ASSERT_TRUE(::CreateDirectoryW(otherFolder.c_str(), nullptr));
    const std::wstring otherExe = otherFolder + L"\\tuckbay.exe";
    ASSERT_TRUE(::CopyFileW(exe_.c_str(), otherExe.c_str(), FALSE));
    ProgramProcess other;
    ASSERT_TRUE(other.Launch(otherExe, QuoteArgument(L"C:\\other.txt"), otherFolder));
    HWND otherMain = other.MainWindow();
    ASSERT_TRUE(otherMain);
    EXPECT_EQ(ListOfWindow(otherMain), Texts{L"C:\\other.txt"});
    EXPECT_EQ(ListOfWindow(first), Texts{L"C:\\first.txt"});
}

TEST_F(SecondLaunch, ARunningBasketThatDoesNotAnswerLosesNoPath) {
    ProgramProcess hung;
    ASSERT_TRUE(hung.Launch(HelperPath(L"hung_basket"), L"", folder_));
    ASSERT_TRUE(PumpUntil([&] { return FindProcessWindow(hung.Id(), app::kMainWindowClass); }));
    HWND main = Start(QuoteArgument(L"C:\\a.txt") + L" " + QuoteArgument(L"C:\\b.txt"));
    ASSERT_TRUE(main);
    // It handed the paths to the hung one, had no answer, then opened its own window with them.
    EXPECT_NE(::GetFileAttributesW((folder_ + L"\\asked").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ListOfWindow(main), (Texts{L"C:\\a.txt", L"C:\\b.txt"}));
}

TEST_F(SecondLaunch, MalformedDataIsIgnoredWithoutAWord) {
    HWND first = Start(QuoteArgument(L"C:\\first.txt"));
    ASSERT_TRUE(first);
    const std::wstring target = std::to_wstring(reinterpret_cast<ULONG_PTR>(first));
    auto send = [&](const wchar_t* kind, const std::wstring& path) {
        return RunHelper(L"copydata_sender", target + L" " + kind + L" " + QuoteArgument(exe_) +
                                                 L" " + QuoteArgument(path));
    };
    // (100 MB cannot be sent here: Wine 8 copies a received WM_COPYDATA onto the receiving
    // thread's stack and ends the process inside its own code. The size check is tested in the
    // test process below, where the data arrives unmarshalled.)
    for (const wchar_t* kind : {L"wrong-id", L"odd", L"unterminated", L"other-program"}) {
        const std::wstring name = kind;
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        EXPECT_EQ(send(kind, L"C:\\bad.txt"), 0u);
    }
    // The window still answers, and takes a whole hand-over.
    EXPECT_EQ(send(L"valid", L"C:\\good.txt"), 1u);
    EXPECT_EQ(ListOfWindow(first), (Texts{L"C:\\first.txt", L"C:\\good.txt"}));
    EXPECT_EQ(FindProcessWindow(process_.Id(), L"#32770"), nullptr);
}

class HandOverWindow : public MainWindowTest {
protected:
    LRESULT Send(DWORD_PTR id, const void* data, DWORD size) {
        COPYDATASTRUCT message{id, size, const_cast<void*>(data)};
        return ::SendMessageW(mainWindow->Hwnd(), WM_COPYDATA, 0,
                              reinterpret_cast<LPARAM>(&message));
    }
    LRESULT Send(const intake::HandOver& handOver) {
        const std::vector<unsigned char> data = intake::EncodeHandOver(handOver);
        return Send(intake::kHandOverId, data.data(), static_cast<DWORD>(data.size()));
    }
};

TEST_F(HandOverWindow, MoreThanTheLimitIsRefusedUnread) {
    // 100 MB claimed, one readable page behind the pointer: a single read past it would fault.
    auto* page =
        static_cast<unsigned char*>(::VirtualAlloc(nullptr, 1 << 20, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_TRUE(page);
    ASSERT_TRUE(::VirtualAlloc(page, 4096, MEM_COMMIT, PAGE_READWRITE));
    EXPECT_EQ(Send(intake::kHandOverId, page, 100u * 1024 * 1024), FALSE);
    EXPECT_EQ(Send(intake::kHandOverId, page, static_cast<DWORD>(intake::kHandOverLimit + 2)), FALSE);
    ::VirtualFree(page, 0, MEM_RELEASE);
    EXPECT_EQ(::SendMessageW(mainWindow->Hwnd(), WM_COPYDATA, 0, 0), FALSE);
    Pump([] { return false; }, 50);
    EXPECT_EQ(List().Count(), 0u);
    EXPECT_TRUE(dialogs.messages.empty() && dialogs.errors.empty());
}

TEST_F(HandOverWindow, PathsWaitForAnOpenBoxAndTheWindowComesBackFromMinimised) {
    app->Minimize();
    ASSERT_FALSE(::IsWindowVisible(mainWindow->Hwnd()));
    // A box of ours is open: the window is disabled until it closes.
    ::EnableWindow(mainWindow->Hwnd(), FALSE);
    EXPECT_EQ(Send({win::ProgramPath(), {L"C:\\a.txt", L"C:\\b.txt"}}), TRUE);
    Pump([] { return false; }, 100);
    EXPECT_EQ(List().Count(), 0u);
    ::EnableWindow(mainWindow->Hwnd(), TRUE);
    EXPECT_TRUE(Pump([&] { return List().Count() == 2; }));
    EXPECT_EQ(List().AllPaths(), (Texts{L"C:\\a.txt", L"C:\\b.txt"}));
    EXPECT_EQ(CountText(), L"2");
    EXPECT_TRUE(::IsWindowVisible(mainWindow->Hwnd()));
}

} // namespace
} // namespace tuckbay::test
