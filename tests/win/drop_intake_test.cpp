// Drops on both zones: real windows, drop handles built as the shell builds them and posted
// as WM_DROPFILES, taken from the queue and handed to the intake as the message hook does.

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstring>

#include <gtest/gtest.h>

#include "intake/drop_intake.h"
#include "intake/shortcut.h"
#include "list_fixtures.h"
#include "pump.h"
#include "win/application.h"
#include "win/error.h"

namespace {

using namespace tuckbay::test;
using Lines = std::vector<std::wstring>;

// Drop handles released through the intake. A freed handle's value can come back for the
// next drop, so releases are counted per drop rather than per handle value.
int releases = 0;
void CountingRelease(HDROP drop) {
    ++releases;
    ::DragFinish(drop);
}

class DropIntakeTest : public testing::Test, public intake::DropHost {
protected:
    DropIntakeTest() {
        app_.SetDialogs(&dialogs_);
        releases = 0;
        dropZone_ = ::CreateWindowExW(0, L"STATIC", L"ここにドロップ", WS_CHILD | WS_VISIBLE, 0, 0,
                                      100, 100, window_.Frame(), nullptr, nullptr, nullptr);
        listZone_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 100, 0, 200, 100,
                                      window_.Frame(), nullptr, nullptr, nullptr);
        intake_ = std::make_unique<intake::DropIntake>(
            dropZone_, listZone_, *this, window_.List(), dialogs_,
            [this](const std::wstring& path) {
                ++resolutions_;
                if (resolveThrowsAt_ == resolutions_)
                    throw win::Error(L"link object failed");
                return intake::ResolveShortcut(path);
            },
            CountingRelease);
        intake_->Register();
    }

    // Posts the drop to the zone and hands it to the intake once it comes out of the queue.
    void Drop(HWND zone, const Lines& paths) {
        HDROP drop = BuildDrop(paths);
        releasesBefore_ = releases;
        EXPECT_TRUE(::PostMessageW(zone, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
        // A posted message is queued at once; take it as the message loop would.
        MSG msg{};
        EXPECT_TRUE(::PeekMessageW(&msg, zone, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
        EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(drop));
        EXPECT_TRUE(intake_->Drop(zone, drop));
        // A list file is read off the window's thread.
        EXPECT_TRUE(PumpUntil([&] { return !window_.Reader().Running(); }));
    }
    // Releases of the last drop.
    int Releases() const { return releases - releasesBefore_; }

    // DropHost: the switches of the main window.
    bool ShortcutSwitchDown() const override { return shortcutSwitch_; }
    bool ListDropsAllowed() const override { return listDrops_; }
    bool TopmostChosen() const override { return topmostSwitch_; }
    HWND MainHwnd() const override { return window_.Frame(); }
    void ComeToFront() override {}
    void TakeListFile(std::wstring path) override { window_.Reader().Read(std::move(path)); }
    void SetTopmost(bool topmost) override {
        ::SetWindowPos(window_.Frame(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE);
    }
    bool IsTopmost() const {
        return (::GetWindowLongPtrW(window_.Frame(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }

    bool shortcutSwitch_ = true;
    bool listDrops_ = true;
    bool topmostSwitch_ = false;
    int resolutions_ = 0;
    int resolveThrowsAt_ = 0;
    ScriptedDialogs dialogs_;
    win::Application app_{L"Tuckbay"};
    ScratchFolder folder_;
    ListWindow window_;
    HWND dropZone_ = nullptr;
    HWND listZone_ = nullptr;
    int releasesBefore_ = 0;
    std::unique_ptr<intake::DropIntake> intake_;
};

TEST_F(DropIntakeTest, BothZonesAcceptFileDrops) {
    EXPECT_TRUE(::GetWindowLongPtrW(dropZone_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(::GetWindowLongPtrW(listZone_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(DropIntakeTest, TheDropZoneAppendsEveryPathInOrderDuplicatesIncluded) {
    std::wstring list = folder_.Write(L"saved.lst", "C:\\inside\r\n");
    Drop(dropZone_, {L"C:\\b.txt", L"C:\\a.txt", L"C:\\b.txt", list});
    EXPECT_EQ(Releases(), 1);
    Drop(dropZone_, {L"C:\\a.txt"});
    EXPECT_EQ(Releases(), 1);
    // The list file is a path like any other here; it is not read.
    EXPECT_EQ(window_.Paths(),
              (Lines{L"C:\\b.txt", L"C:\\a.txt", L"C:\\b.txt", list, L"C:\\a.txt"}));
    EXPECT_EQ(window_.CountText(), L"5");
}

TEST_F(DropIntakeTest, ShortcutsBecomeTheirTargetsOnlyWithTheSwitchDown) {
    std::wstring link = folder_ / L"note.lnk";
    SaveShortcutTo(link, L"C:\\Windows\\notepad.exe");
    std::wstring upper = folder_ / L"NOTE.LNK";
    ::CopyFileW(link.c_str(), upper.c_str(), FALSE);

    Drop(dropZone_, {link, upper});
    shortcutSwitch_ = false;
    Drop(dropZone_, {link});
    EXPECT_EQ(window_.Paths(), (Lines{L"C:\\Windows\\notepad.exe", upper, link}));
    EXPECT_EQ(resolutions_, 1) << "only the lower-case .lnk with the switch down is resolved";
}

TEST_F(DropIntakeTest, AShortcutWithoutATargetKeepsItsOwnPath) {
    std::wstring fake = folder_.Write(L"fake.lnk", "no link");
    std::wstring missing = folder_ / L"gone.lnk";
    std::wstring toMissing = folder_ / L"to missing.lnk";
    SaveShortcutTo(toMissing, L"C:\\nowhere\\file.txt");
    Drop(dropZone_, {fake, missing, toMissing});
    EXPECT_EQ(window_.Paths(), (Lines{fake, missing, L"C:\\nowhere\\file.txt"}));
}

TEST_F(DropIntakeTest, AFailedResolutionKeepsWhatCameBeforeAndReleasesTheDrop) {
    std::wstring link = folder_ / L"a.lnk";
    SaveShortcutTo(link, L"C:\\target.txt");
    resolveThrowsAt_ = 2;
    EXPECT_THROW(Drop(dropZone_, {L"C:\\first.txt", link, link, L"C:\\never.txt"}), win::Error);
    EXPECT_EQ(Releases(), 1);
    EXPECT_EQ(window_.Paths(), (Lines{L"C:\\first.txt", L"C:\\target.txt"}));
    EXPECT_EQ(window_.CountText(), L"2");
}

TEST_F(DropIntakeTest, APathOf2000CharactersSurvivesADrop) {
    const std::wstring path = LongFilePath(2000, L"フォルダ名\\");
    ASSERT_EQ(path.size(), 2000u);
    Drop(dropZone_, {path, L"C:\\after.txt"});
    EXPECT_EQ(window_.Paths(), (Lines{path, L"C:\\after.txt"}));
}

TEST_F(DropIntakeTest, AListFileOnTheListIsReadWhateverTheCheckBoxSays) {
    std::wstring list = folder_.Write(L"x.lst", "C:\\one\r\n\r\nC:\\not there\\three\r\n");
    for (bool allowed : {true, false}) {
        listDrops_ = allowed;
        Drop(listZone_, {list, L"C:\\other.txt", L"C:\\more.lst"});
        EXPECT_EQ(Releases(), 1);
    }
    const Lines once = {L"C:\\one", L"", L"C:\\not there\\three"};
    Lines twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(window_.Paths(), twice);
    EXPECT_EQ(window_.CountText(), L"6");
    EXPECT_TRUE(dialogs_.warnings.empty());
}

TEST_F(DropIntakeTest, PlainPathsOnTheListAreTakenWhenAllowed) {
    std::wstring list = folder_.Write(L"later.lst", "C:\\inside\r\n");
    std::wstring link = folder_ / L"a.lnk";
    SaveShortcutTo(link, L"C:\\target.txt");
    // A list file written in capitals, and a list file that is not first: plain paths.
    Drop(listZone_, {folder_ / L"x.LST", link, list});
    Drop(listZone_, {folder_ / L"y.Lst"});
    EXPECT_EQ(window_.Paths(),
              (Lines{folder_ / L"x.LST", L"C:\\target.txt", list, folder_ / L"y.Lst"}));
    EXPECT_EQ(window_.CountText(), L"4");
    EXPECT_TRUE(dialogs_.warnings.empty());
}

TEST_F(DropIntakeTest, PlainPathsOnTheListAreRefusedWhenNotAllowed) {
    listDrops_ = false;
    std::wstring list = folder_.Write(L"later.lst", "C:\\inside\r\n");
    RECT frame{};
    ::GetWindowRect(window_.Frame(), &frame);
    Drop(listZone_, {L"C:\\a.txt", list});
    EXPECT_EQ(Releases(), 1);
    Drop(listZone_, {folder_ / L"x.LST"});
    EXPECT_EQ(Releases(), 1);

    EXPECT_TRUE(window_.Paths().empty());
    EXPECT_EQ(window_.CountText(), L"") << "the count is not written for a refusal";
    ASSERT_EQ(dialogs_.warnings.size(), 2u);
    ExpectRefusalWarning(dialogs_.warnings[0], frame);
}

TEST_F(DropIntakeTest, ARefusalStepsBackFromTopmostOnlyWhileTheBoxIsOpen) {
    listDrops_ = false;
    Drop(listZone_, {L"C:\\a.txt"});
    ASSERT_EQ(dialogs_.warnings.size(), 1u);
    EXPECT_FALSE(dialogs_.warnings[0].ownerTopmost);
    EXPECT_FALSE(IsTopmost()) << "a window that was not topmost became topmost";

    topmostSwitch_ = true;
    SetTopmost(true);
    ASSERT_TRUE(IsTopmost());
    Drop(listZone_, {L"C:\\a.txt"});
    ASSERT_EQ(dialogs_.warnings.size(), 2u);
    EXPECT_FALSE(dialogs_.warnings[1].ownerTopmost);
    EXPECT_TRUE(IsTopmost());
}

// A refusal that comes while a box of ours is open (the main window disabled) waits, as drops
// do, until the box has closed: never a second box over the first.
TEST_F(DropIntakeTest, ARefusalWhileABoxOfOursIsOpenWaitsUntilItCloses) {
    listDrops_ = false;
    ::EnableWindow(window_.Frame(), FALSE);
    intake_->Refuse();
    Drop(listZone_, {L"C:\\a.txt"});
    EXPECT_TRUE(dialogs_.warnings.empty());
    ::EnableWindow(window_.Frame(), TRUE);
    intake_->TakeHeld();
    EXPECT_EQ(dialogs_.warnings.size(), 2u);
    EXPECT_EQ(Releases(), 1);
}

TEST_F(DropIntakeTest, AnUnreadableListFileIsReportedAndReleased) {
    std::wstring missing = folder_ / L"gone.lst";
    Drop(listZone_, {missing});
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_EQ(dialogs_.errors[0].rfind(L"ファイル \"" + missing + L"\" は開けません。", 0), 0u);
    EXPECT_EQ(Releases(), 1);
    EXPECT_TRUE(window_.Paths().empty());
}

TEST_F(DropIntakeTest, DropsOnOtherWindowsPassUntouched) {
    HDROP drop = BuildDrop({L"C:\\a.txt"});
    EXPECT_FALSE(intake_->Drop(window_.Frame(), drop));
    EXPECT_EQ(releases, 0);
    EXPECT_TRUE(window_.Paths().empty());
    ::DragFinish(drop);
}

TEST(ReadDroppedPaths, ReadsEightBitDropsInTheCodePage) {
    const char files[] = "C:\\\x95\x5C.txt\0D:\\b\0";
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof files);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(header + 1, files, sizeof files);
    ::GlobalUnlock(memory);
    EXPECT_EQ(intake::ReadDroppedPaths(static_cast<HDROP>(memory)),
              (Lines{L"C:\\表.txt", L"D:\\b"}));
    ::DragFinish(static_cast<HDROP>(memory));
}

} // namespace
