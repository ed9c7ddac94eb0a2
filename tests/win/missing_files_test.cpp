// Missing files in the real main window: rows drawn grey as files go and come behind the
// program's back, checks that hang as a dead network path does, answers that arrive for an
// entry that has changed since, and "存在しないファイルを削除".
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "list_fixtures.h"
#include "main_window_fixture.h"

namespace tuckbay::test {
namespace {

using Texts = std::vector<std::wstring>;

// The file system held back: every check waits for a permit (or the open gate), then asks the
// real one.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    int permits = 0; // negative: open
    std::atomic<int> waiting{0};

    filelist::PathState Exists(const std::wstring& path) {
        {
            std::unique_lock lock(mutex);
            ++waiting;
            changed.wait(lock, [&] { return permits != 0; });
            if (permits > 0)
                --permits;
        }
        return filelist::PathExists(path);
    }
    void Allow(int count) {
        std::lock_guard lock(mutex);
        permits = count;
        changed.notify_all();
    }
    void Open() { Allow(-1); }
};

class MissingFiles : public MainWindowTest {
protected:
    void TearDown() override {
        gate->Open();
        MainWindowTest::TearDown();
    }

    // Checks go through the gate from now on (shared, so a check left hanging still finds it).
    void HoldChecks() {
        List().SetExistsFunction(
            [held = gate](const std::wstring& path) { return held->Exists(path); });
    }

    void ListOf(const Texts& paths) {
        List().Clear();
        for (const std::wstring& path : paths)
            List().AppendPath(path);
        List().UpdateCountDisplay();
        Draw();
    }

    void Draw() {
        ::InvalidateRect(mainWindow->Controls().listView, nullptr, FALSE);
        ::UpdateWindow(mainWindow->Controls().listView);
    }

    // Waits until every row has its answer, then gives each row's state.
    std::vector<bool> SettledMissing() {
        const bool settled = Pump([&] {
            for (size_t i = 0; i < List().Count(); ++i)
                if (!List().KnownMissing(i))
                    return false;
            return true;
        });
        EXPECT_TRUE(settled) << "rows were left unchecked";
        std::vector<bool> missing;
        for (size_t i = 0; i < List().Count(); ++i)
            missing.push_back(List().KnownMissing(i).value_or(false));
        return missing;
    }

    // The text colour the window answers for the row in its custom-draw notification.
    COLORREF DrawnColour(size_t index) {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr = {mainWindow->Controls().listView, filelist::kIdListView,
                         static_cast<UINT>(NM_CUSTOMDRAW)};
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.dwItemSpec = index;
        draw.clrText = CLR_DEFAULT;
        ::SendMessageW(::GetParent(mainWindow->Controls().listView), WM_NOTIFY,
                       filelist::kIdListView, reinterpret_cast<LPARAM>(&draw));
        return draw.clrText;
    }

    void ChooseRemoveMissing() {
        ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, filelist::kIdRemoveMissing, 0);
    }

    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    ScratchFolder folder;
};

TEST_F(MissingFiles, RowsTurnGreyAsFilesGoAndBackAsTheyComeOnActivation) {
    const std::wstring a = folder.Write(L"a.txt", "a");
    const std::wstring b = folder.Write(L"b.txt", "b");
    const std::wstring sub = folder / L"sub";
    ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
    const std::wstring later = folder / L"later.txt";
    ListOf({a, b, sub, later, L""});
    EXPECT_EQ(SettledMissing(), (std::vector<bool>{false, false, false, true, true}));
    EXPECT_EQ(DrawnColour(3), ::GetSysColor(COLOR_GRAYTEXT));
    EXPECT_NE(DrawnColour(0), ::GetSysColor(COLOR_GRAYTEXT));

    // Behind the program's back: one deleted, one renamed away, one created.
    ASSERT_TRUE(::DeleteFileW(a.c_str()));
    ASSERT_TRUE(::MoveFileW(b.c_str(), (folder / L"b2.txt").c_str()));
    folder.Write(L"later.txt", "now");
    ::SendMessageW(mainWindow->Hwnd(), WM_ACTIVATEAPP, FALSE, 0);
    ::SendMessageW(mainWindow->Hwnd(), WM_ACTIVATEAPP, TRUE, 0);
    Draw();
    EXPECT_EQ(SettledMissing(), (std::vector<bool>{true, true, false, false, true}));
    EXPECT_EQ(DrawnColour(0), ::GetSysColor(COLOR_GRAYTEXT));
    EXPECT_NE(DrawnColour(3), ::GetSysColor(COLOR_GRAYTEXT));
}

// A check that hangs leaves the window working; its late answer about an entry that has since
// been removed, edited or moved by a sort marks nothing, and the entry now there gets its own.
TEST_F(MissingFiles, LateAnswersForChangedEntriesMarkNothing) {
    const std::wstring present = folder.Write(L"present.txt", "p");
    const std::wstring dropped = folder.Write(L"dropped.txt", "d");
    const std::wstring gone = L"C:\\aa-gone-" + std::to_wstring(::GetCurrentProcessId()) + L".txt";
    const struct {
        const char* what;
        std::function<void()> change;
        std::vector<bool> missing;
    } cases[] = {
        {"removed", [&] { List().RemoveAt(0); }, {false, false}},
        {"edited", [&] { List().ReplaceAt(0, present); }, {false, false, false}},
        // Sorted descending: the temporary folder's path before "C:\aa-…".
        {"sorted", [&] { SortAndWait(0); }, {false, false, true}},
    };
    for (const auto& [what, change, missing] : cases) {
        SCOPED_TRACE(what);
        gate = std::make_shared<Gate>();
        HoldChecks();
        ListOf({gone, present});
        ASSERT_TRUE(Pump([&] { return gate->waiting > 0; })) << "no check was asked for";
        // The window goes on taking drops while the check hangs.
        DropOn(mainWindow->Controls().dropZone->Hwnd(), {dropped});
        ASSERT_EQ(List().Count(), 3u);
        change();
        Draw();
        // The hanging check ends; its answer is in before the next question is let through.
        gate->Allow(1);
        ASSERT_TRUE(Pump([&] { return gate->waiting > 1; }));
        Pump([] { return false; }, 100);
        for (size_t i = 0; i < List().Count(); ++i)
            EXPECT_NE(List().KnownMissing(i), true) << "a late answer marked row " << i;
        gate->Open();
        EXPECT_EQ(SettledMissing(), missing);
    }
}

TEST_F(MissingFiles, RemovingMissingFilesAsksForTheCountAndKeepsTheRestInOrder) {
    Texts all;
    Texts present;
    for (int i = 0; i < 10; ++i) {
        const std::wstring name = L"f" + std::to_wstring(i) + L".txt";
        if (i % 3 == 0) {
            all.push_back(folder / name); // 0, 3, 6, 9 are missing
        } else {
            all.push_back(folder.Write(name, "x"));
            present.push_back(all.back());
        }
    }
    const struct {
        bool yes;
        Texts after;
    } cases[] = {{false, all}, {true, present}};
    for (const auto& [yes, after] : cases) {
        SCOPED_TRACE(yes);
        ListOf(all);
        dialogs.questions.clear();
        dialogs.confirmAnswers = {yes};
        ChooseRemoveMissing();
        ASSERT_TRUE(Pump([&] { return !dialogs.questions.empty(); }));
        EXPECT_EQ(dialogs.questions, Texts{L"存在しないファイル 4 件をリストから削除しますか？"});
        EXPECT_EQ(List().AllPaths(), after);
        EXPECT_EQ(CountText(), std::to_wstring(after.size()));
        EXPECT_EQ(Report(), L"") << "the progress part stayed";
    }

    ChooseRemoveMissing();
    ASSERT_TRUE(Pump([&] { return !dialogs.messages.empty(); }));
    EXPECT_EQ(dialogs.messages, Texts{L"存在しないファイルはありません"});
    EXPECT_EQ(List().AllPaths(), present);
}

// While the check runs the program takes other work, refuses a second request, and does not
// remove an entry edited or added meanwhile on the strength of the old answer.
TEST_F(MissingFiles, EntriesEditedOrAddedDuringTheCheckAreKept) {
    const std::wstring present = folder.Write(L"present.txt", "p");
    const std::wstring goneA = folder / L"gone-a.txt";
    const std::wstring goneB = folder / L"gone-b.txt";
    const std::wstring edited = folder / L"edited-gone.txt";
    const std::wstring added = folder / L"added-gone.txt";
    HoldChecks();
    ListOf({goneA, present, goneB});
    ChooseRemoveMissing();
    ASSERT_TRUE(Pump([&] { return gate->waiting > 0; }));
    EXPECT_TRUE(Pump([&] { return Report() == L"確認中 0 / 3"; })) << win::ToUtf8(Report());
    ChooseRemoveMissing();
    EXPECT_EQ(dialogs.messages, Texts{L"存在しないファイルを確認中です。終わるまでお待ちください"});

    List().ReplaceAt(2, edited);
    List().AppendPath(added);
    List().UpdateCountDisplay();
    dialogs.confirmAnswers = {true};
    gate->Open();
    ASSERT_TRUE(Pump([&] { return !dialogs.questions.empty(); }));
    EXPECT_EQ(dialogs.questions, Texts{L"存在しないファイル 1 件をリストから削除しますか？"});
    EXPECT_EQ(List().AllPaths(), (Texts{present, edited, added}));
    EXPECT_EQ(CountText(), L"3");
}

// What the filter hides while the check runs is not touched, though it was found missing: the
// question counts and the removal takes only what the user sees.
TEST_F(MissingFiles, AnEntryTheFilterHidDuringTheCheckIsKept) {
    const std::wstring present = folder.Write(L"present.txt", "p");
    const std::wstring goneA = folder / L"gone-a.txt";
    const std::wstring goneB = folder / L"gone-b.txt";
    HoldChecks();
    ListOf({goneA, present, goneB});
    ChooseRemoveMissing();
    ASSERT_TRUE(Pump([&] { return gate->waiting > 0; }));
    List().SetFilter(L"gone-b");
    ASSERT_TRUE(Pump([&] { return !List().Filtering() && List().Count() == 1; }));
    dialogs.confirmAnswers = {true};
    gate->Open();
    ASSERT_TRUE(Pump([&] { return !dialogs.questions.empty(); }));
    EXPECT_EQ(dialogs.questions, Texts{L"存在しないファイル 1 件をリストから削除しますか？"});
    List().SetFilter(L"");
    EXPECT_EQ(List().AllPaths(), (Texts{goneA, present}));
}

} // namespace
} // namespace tuckbay::test
