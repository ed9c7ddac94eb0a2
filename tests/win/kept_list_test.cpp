// The kept list tuckbay2.lst: kept current by a worker soon after every change, and one that
// cannot be read put aside, never written over.
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "filelist/kept_list.h"
#include "filelist/kept_list_writer.h"
#include "filelist/list_file.h"
#include "filelist/list_model.h"
#include "list_fixtures.h"
#include "main_window_fixture.h"
#include "win/application.h"
#include "win/thread_returns.h"

namespace tuckbay::test {
namespace {

using Lines = std::vector<std::wstring>;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

filelist::ListTexts TextsOf(const Lines& paths) {
    filelist::ListTexts texts;
    for (const std::wstring& path : paths)
        texts.Append(path);
    return texts;
}

std::wstring TextOf(std::exception_ptr failure) {
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const win::Error& error) {
        return error.Text();
    }
    return {};
}

TEST(KeptListWriter, TheFileHoldsTheNewestListHandedOver) {
    ScratchFolder folder;
    const std::wstring kept = folder / L"tuckbay2.lst";
    filelist::KeptListWriter writer(kept, win::ThreadReturns());
    Lines first(200000, L"C:\\a long list, so that the later ones come while it is written");
    const Lines newest = {L"C:\\b.txt", L"", L"D:\\日本語.txt"};
    writer.Write(TextsOf(first));
    writer.Write(TextsOf({L"C:\\a.txt"}));
    writer.Write(TextsOf(newest));
    writer.Wait();
    EXPECT_FALSE(writer.Busy());
    EXPECT_EQ(ReadBytes(kept), filelist::EncodeListFile(newest));
    EXPECT_EQ(folder.EntryCount(), 3) << "only ., .. and tuckbay2.lst may be there";
    writer.Remove();
    writer.Wait();
    EXPECT_FALSE(FileExists(kept));
    EXPECT_FALSE(writer.TakeFailure());
}

// A kept list that cannot be written is told once, not at every change, until a write has gone
// through again.
TEST(KeptListWriter, AFailureIsToldOnceUntilAWriteGoesThroughAgain) {
    ScratchFolder folder;
    const std::wstring kept = folder / L"tuckbay2.lst";
    filelist::KeptListWriter writer(kept, win::ThreadReturns());
    auto write = [&](const Lines& paths) {
        writer.Write(TextsOf(paths));
        writer.Wait();
        return TextOf(writer.TakeFailure());
    };
    const std::wstring refused = L"ファイル \"" + kept + L"\" を作成できません。";
    // A folder of its name cannot be replaced by a file.
    ASSERT_TRUE(::CreateDirectoryW(kept.c_str(), nullptr));
    EXPECT_TRUE(write({L"C:\\a"}).starts_with(refused));
    EXPECT_EQ(write({L"C:\\a"}), L"");
    ASSERT_TRUE(::RemoveDirectoryW(kept.c_str()));
    EXPECT_EQ(write({L"C:\\b"}), L"");
    EXPECT_EQ(ReadBytes(kept), "C:\\b\r\n");
    ASSERT_TRUE(::DeleteFileW(kept.c_str()));
    ASSERT_TRUE(::CreateDirectoryW(kept.c_str(), nullptr));
    EXPECT_TRUE(write({L"C:\\c"}).starts_with(refused));
}

// Another program that reads the kept list for a moment (a backup, a virus scanner) holds the
// write back, not off: the list is there once it lets go, and nothing is reported.
TEST(KeptListWriter, AListAnotherProgramReadsForAMomentIsStillWritten) {
    ScratchFolder folder;
    const std::wstring kept = folder.Write(L"tuckbay2.lst", "earlier\r\n");
    filelist::KeptListWriter writer(kept, win::ThreadReturns());
    HANDLE reader = ::CreateFileW(kept.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::thread letGo([reader] {
        ::Sleep(150); // the other program's read
        ::CloseHandle(reader);
    });
    writer.Write(TextsOf({L"C:\\newer"}));
    writer.Wait();
    letGo.join();
    EXPECT_EQ(TextOf(writer.TakeFailure()), L"");
    EXPECT_EQ(ReadBytes(kept), "C:\\newer\r\n");
}

// The keeper on the application window, as the main window has it: a list of its own, and the
// boxes of the standard error handling recorded.
class KeptListKeeperTest : public ::testing::Test {
protected:
    KeptListKeeperTest() { app.SetDialogs(&dialogs); }
    ~KeptListKeeperTest() override { app.SetDialogs(nullptr); }

    std::unique_ptr<filelist::KeptListKeeper> MakeKeeper() {
        return std::make_unique<filelist::KeptListKeeper>(kept, [this] {
            ++taken;
            filelist::ListModel model;
            for (const std::wstring& path : list)
                model.Append(path);
            return model.Freeze();
        });
    }
    bool Holds(const Lines& paths) const {
        return ReadBytes(kept) == filelist::EncodeListFile(paths);
    }

    win::Application app{L"Tuckbay"};
    ScriptedDialogs dialogs;
    ScratchFolder folder;
    const std::wstring kept = folder / L"tuckbay2.lst";
    Lines list;
    int taken = 0; // times the list's texts were taken
};

// Changes that come every fifth of a second, without end, are written all the same: the timer
// from the first change is not pushed back by the next. Once they stop, the last is written too.
TEST_F(KeptListKeeperTest, ChangesThatKeepComingAreWrittenAsTheyCome) {
    auto keeper = MakeKeeper();
    keeper->SetKept(true);
    auto last = steady_clock::now() - milliseconds(200);
    ASSERT_TRUE(app.PumpUntil(
        [&] {
            if (steady_clock::now() - last >= milliseconds(200)) {
                list.push_back(L"C:\\" + std::to_wstring(list.size()) + L".txt");
                keeper->ListChanged();
                last = steady_clock::now();
            }
            return FileExists(kept);
        },
        10000));
    EXPECT_TRUE(app.PumpUntil([&] { return Holds(list); }, 5000)) << list.size() << " entries";
    // Taken into the memory of an earlier list, a shorter one is still itself alone.
    list.resize(1);
    keeper->ListChanged();
    EXPECT_TRUE(app.PumpUntil([&] { return Holds(list); }, 5000));
    EXPECT_TRUE(dialogs.errors.empty());
}

// At the end: the list as it is written at once, or the file deleted when the list is not kept;
// a file that could not be read is neither written over nor deleted.
TEST_F(KeptListKeeperTest, TheEndWritesTheListOrDeletesItButLeavesAnUnreadFileAlone) {
    const struct {
        bool kept;
        bool unread;
        std::optional<std::string> after;
    } cases[] = {
        {true, false, "C:\\a\r\nC:\\b\r\n"},
        {false, false, std::nullopt},
        {true, true, "earlier"},
        {false, true, "earlier"},
    };
    list = {L"C:\\a", L"C:\\b"};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kept " << c.kept << ", unread " << c.unread);
        folder.Write(L"tuckbay2.lst", "earlier");
        auto keeper = MakeKeeper();
        keeper->SetKept(c.kept);
        if (c.unread)
            keeper->LeaveFileAlone();
        keeper->ListChanged();
        keeper->Finish();
        EXPECT_EQ(ReadBytes(kept), c.after);
    }
}

// A write that fails is reported by the program's standard error handling, once: the box comes
// from the window's thread, never from the worker.
TEST_F(KeptListKeeperTest, AFailedWriteIsReportedOnceFromTheWindowsThread) {
    ASSERT_TRUE(::CreateDirectoryW(kept.c_str(), nullptr));
    auto keeper = MakeKeeper();
    keeper->SetKept(true);
    list = {L"C:\\a"};
    keeper->ListChanged();
    ASSERT_TRUE(app.PumpUntil([&] { return !dialogs.errors.empty(); }, 5000));
    EXPECT_TRUE(dialogs.errors[0].starts_with(L"ファイル \"" + kept + L"\" を作成できません。"))
        << win::ToUtf8(dialogs.errors[0]);
    list.push_back(L"C:\\b");
    keeper->ListChanged();
    ASSERT_TRUE(app.PumpUntil([&] { return taken == 2 && !keeper->Writer().Busy(); }, 5000));
    EXPECT_NO_THROW(keeper->Finish());
    EXPECT_EQ(dialogs.errors.size(), 1u);
}

// A kept list that another program holds open so that it cannot be read: it is moved to the first
// free name of tuckbay2.lst.bad, .bad2, ..., whole, and the message says where; one that cannot
// be moved either stays where it is, and the message says it is left alone.
TEST(KeptList, AListThatCannotBeReadIsPutAsideWhole) {
    const struct {
        const char* what;
        DWORD sharing; // what the holder lets others do with the file
        Lines taken;   // names already there
        const wchar_t* aside;
    } cases[] = {
        {"moved", FILE_SHARE_DELETE, {}, L"tuckbay2.lst.bad"},
        {"moved to a free name",
         FILE_SHARE_DELETE,
         {L"tuckbay2.lst.bad", L"tuckbay2.lst.bad2"},
         L"tuckbay2.lst.bad3"},
        {"held too fast to move", 0, {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        const std::wstring kept = folder.Write(L"tuckbay2.lst", "C:\\a\r\nC:\\b\r\n");
        for (const std::wstring& name : c.taken)
            folder.Write(name, "earlier");
        HANDLE holder = ::CreateFileW(kept.c_str(), GENERIC_READ, c.sharing, nullptr, OPEN_EXISTING,
                                      0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        ListWindow window;
        bool thrown = false;
        try {
            filelist::RestoreKeptList(kept, window.List());
        } catch (const filelist::UnreadKeptList& error) {
            thrown = true;
            const std::wstring reason = L"ファイル \"" + kept + L"\" は開けません。" +
                                        win::SystemMessageText(ERROR_SHARING_VIOLATION) + L"\r\n";
            EXPECT_EQ(error.Text(),
                      reason + (c.aside ? L"読み込めなかったリストは \"" + (folder / c.aside) +
                                              L"\" に移しました"
                                        : L"読み込めなかったリストはそのまま残し、上書きしません"));
            EXPECT_EQ(error.MovedAside(), c.aside != nullptr);
        }
        ::CloseHandle(holder);
        EXPECT_TRUE(thrown);
        EXPECT_EQ(window.List().Count(), 0u);
        EXPECT_EQ(ReadBytes(c.aside ? folder / c.aside : kept), "C:\\a\r\nC:\\b\r\n");
        EXPECT_EQ(FileExists(kept), c.aside == nullptr);
        for (const std::wstring& name : c.taken)
            EXPECT_EQ(ReadBytes(folder / name), "earlier");
    }
}

} // namespace
} // namespace tuckbay::test
