// The file list in the real main window: appending, the count display, sorting, removing
// after confirmation, clearing, in-place editing, undo, and the kept list kept current.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "filelist/kept_list.h"
#include "filelist/list_file.h"
#include "list_fixtures.h"
#include "main_window_fixture.h"
#include "win/codepage.h"
#include "win/controls.h"

namespace tuckbay::test {

std::vector<std::wstring> ViewTexts(HWND listView) {
    std::vector<std::wstring> texts;
    int count = static_cast<int>(::SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[1024] = {};
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = buffer;
        item.cchTextMax = 1024;
        ::SendMessageW(listView, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(buffer);
    }
    return texts;
}

namespace {

using Texts = std::vector<std::wstring>;
class FileListTest : public MainWindowTest {
protected:
    // Edits the item's text in the view's own editor, ended by key (Enter or Escape); returns
    // the text the editor was given.
    std::wstring EditLabel(int index, const wchar_t* text, WPARAM key) {
        HWND editor = reinterpret_cast<HWND>(
            ::SendMessageW(mainWindow->Controls().listView, LVM_EDITLABELW, index, 0));
        if (editor == nullptr) {
            ADD_FAILURE() << "no editor";
            return std::wstring();
        }
        std::wstring shown = win::WindowText(editor);
        if (text != nullptr)
            ::SetWindowTextW(editor, text);
        ::SendMessageW(editor, WM_KEYDOWN, key, 0);
        Pump([&] { return !::IsWindow(editor); }, 2000);
        return shown;
    }
};

void Focus(HWND listView, int index, bool select) {
    LVITEMW item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | (select ? LVIS_SELECTED : 0);
    ::SendMessageW(listView, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

// Clicks the header item of column 0 as the mouse would.
void ClickColumnHeader(HWND listView) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(listView, LVM_GETHEADER, 0, 0));
    RECT r{};
    ::SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(header, WM_LBUTTONUP, 0, at);
}

TEST_F(FileListTest, AppendsInOrderAndCountsOnRequest) {
    EXPECT_EQ(CountText(), L"");
    List().AppendPath(L"C:\\b.txt");
    List().AppendPath(L"C:\\b.txt");
    List().AppendPath(L"");
    EXPECT_EQ(CountText(), L"") << "appending alone leaves the count display alone";
    List().UpdateCountDisplay();
    EXPECT_EQ(CountText(), L"3");
    EXPECT_EQ(List().AllPaths(), (Texts{L"C:\\b.txt", L"C:\\b.txt", L""}));
    EXPECT_EQ(ViewTexts(mainWindow->Controls().listView), List().AllPaths());

    // Appends whose batch ends without a count update still reach the view.
    List().AppendPath(L"D:\\late.txt");
    ASSERT_TRUE(Pump([&] { return ViewTexts(mainWindow->Controls().listView).size() == 4; }));
    EXPECT_EQ(CountText(), L"3");
}

TEST_F(FileListTest, ClickingTheHeaderSortsDescendingThenAscendingInTurn) {
    Append({L"b", L"a", L"c"});
    // The sort runs on a worker; the list shows its order once it is done.
    auto ClickColumnHeader = [this](HWND listView) {
        tuckbay::test::ClickColumnHeader(listView);
        EXPECT_TRUE(Pump([&] { return !List().Sorting(); }));
    };
    ClickColumnHeader(mainWindow->Controls().listView);
    EXPECT_EQ(List().AllPaths(), (Texts{L"c", L"b", L"a"}));
    EXPECT_EQ(ViewTexts(mainWindow->Controls().listView), List().AllPaths());
    ClickColumnHeader(mainWindow->Controls().listView);
    EXPECT_EQ(List().AllPaths(), (Texts{L"a", L"b", L"c"}));
    ClickColumnHeader(mainWindow->Controls().listView);
    EXPECT_EQ(List().AllPaths(), (Texts{L"c", L"b", L"a"}));

    // A path appended after a sort goes to the end; sorting leaves the count display alone.
    List().AppendPath(L"b2");
    EXPECT_EQ(List().AllPaths(), (Texts{L"c", L"b", L"a", L"b2"}));
    EXPECT_EQ(CountText(), L"3");
}

TEST_F(FileListTest, SortingAnEmptyListStillTurnsTheDirection) {
    SortAndWait(0); // descending, on nothing
    Append({L"x", L"z", L"y"});
    SortAndWait(0);
    EXPECT_EQ(List().AllPaths(), (Texts{L"x", L"y", L"z"}));
}

TEST_F(FileListTest, SortsInTheUsersLocaleNotByCodeUnits) {
    // Word sort: case is a lesser difference than the letter, unlike a code-unit comparison.
    Append({L"B", L"a", L"b", L"A"});
    SortAndWait(0);
    SortAndWait(0);
    const Texts& sorted = List().AllPaths();
    ASSERT_EQ(sorted.size(), 4u);
    EXPECT_EQ(
        ::CompareStringW(LOCALE_USER_DEFAULT, 0, sorted[1].c_str(), -1, sorted[2].c_str(), -1),
        CSTR_LESS_THAN);
    EXPECT_TRUE((sorted[0] == L"a" || sorted[0] == L"A") &&
                (sorted[1] == L"a" || sorted[1] == L"A"));
    EXPECT_TRUE((sorted[2] == L"b" || sorted[2] == L"B") &&
                (sorted[3] == L"b" || sorted[3] == L"B"));
}

// Two pieces of long work at once, a sort and a list file's read, each with its own progress:
// whichever ends first takes only its own text away, and the part shows the other's while that
// still runs.
TEST_F(FileListTest, EachLongWorksProgressIsItsOwnWhileAnotherRuns) {
    ScratchFolder folder;
    const std::wstring listFile = folder.Write(L"more.lst", "C:\\read.txt\r\n");
    win::JobRunner& sort = List().SortJob();
    win::JobRunner& read = mainWindow->Part<filelist::ListPart>().Reader().Job();
    const auto shows = [&](std::wstring_view start) { return Report().rfind(start, 0) == 0; };
    const std::wstring_view sorting = L"並べ替え中… ", reading = L"読み込み中… ";
    Append({L"b", L"a"});
    for (const bool sortEndsFirst : {false, true}) {
        SCOPED_TRACE(sortEndsFirst ? "the sort, begun first, ends first" : "the read ends first");
        sort.Hold(true);
        read.Hold(true);
        List().SortByColumn(0);
        ASSERT_TRUE(Pump([&] { return shows(sorting); }));
        mainWindow->Part<filelist::ListPart>().Reader().Read(listFile);
        ASSERT_TRUE(Pump([&] { return shows(reading); }));

        win::JobRunner& first = sortEndsFirst ? sort : read;
        win::JobRunner& second = sortEndsFirst ? read : sort;
        first.Hold(false);
        ASSERT_TRUE(Pump([&] { return !first.Running(); }));
        EXPECT_TRUE(shows(sortEndsFirst ? reading : sorting)) << win::ToUtf8(Report());
        second.Hold(false);
        ASSERT_TRUE(Pump([&] { return !second.Running(); }));
        EXPECT_EQ(Report(), L"") << "the last to end left its text";
    }
}

TEST_F(FileListTest, RemovesTheFocusedItemOnlyWhenTheAnswerIsYes) {
    Append({L"C:\\same.txt", L"C:\\same.txt", L"C:\\other.txt"});

    // No focused item: a message, nothing asked.
    mainWindow->RunCommand(filelist::kIdRemoveItem);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], L"ファイルが選ばれていません");
    EXPECT_TRUE(dialogs.questions.empty());

    // Focused but not selected, answered No (or Escape, or the close button): kept.
    Focus(mainWindow->Controls().listView, 1, false);
    ASSERT_EQ(List().SelectedCount(), 0u);
    dialogs.confirmAnswers = {false};
    mainWindow->RunCommand(filelist::kIdRemoveItem);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], L"C:\\same.txt"
                                    L"をリストから削除しますか？");
    EXPECT_EQ(List().Count(), 3u);
    EXPECT_EQ(CountText(), L"3");

    // Answered Yes: only the focused one of the two equal paths goes.
    dialogs.confirmAnswers = {true};
    List().UpdateCountDisplay();
    ::SendMessageW(mainWindow->Controls().statusBar, SB_SETTEXTW, 0,
                   reinterpret_cast<LPARAM>(L"stale"));
    mainWindow->RunCommand(filelist::kIdRemoveItem);
    EXPECT_EQ(List().AllPaths(), (Texts{L"C:\\same.txt", L"C:\\other.txt"}));
    EXPECT_EQ(ViewTexts(mainWindow->Controls().listView), List().AllPaths());
    EXPECT_EQ(CountText(), L"2");

    // The context menu's item runs the same handler.
    Focus(mainWindow->Controls().listView, 1, true);
    dialogs.confirmAnswers = {true};
    ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, MAKEWPARAM(filelist::kIdRemoveItem, 0), 0);
    EXPECT_EQ(List().AllPaths(), (Texts{L"C:\\same.txt"}));
    EXPECT_EQ(CountText(), L"1");
}

// Every box, not only the first of the run, stands in the middle of the work area.
TEST_F(FileListTest, TheRealConfirmationBoxKeepsTheItemOnEscapeAndRemovesItOnYes) {
    app->SetDialogs(nullptr);
    Append({L"C:\\keep.txt"});
    Focus(mainWindow->Controls().listView, 0, true);

    // Answers the box from a timer while it runs its own modal loop.
    enum class Answer { Escape, Close, Enter };
    static Answer s_answer;
    static bool s_seen;
    static RECT s_box;
    auto answer = [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = ::FindWindowW(nullptr, L"確認");
        if (box == nullptr)
            return;
        s_seen = true;
        ::GetWindowRect(box, &s_box);
        ::KillTimer(nullptr, id);
        HWND focus = ::GetFocus();
        HWND target = (focus != nullptr && ::IsChild(box, focus)) ? focus : box;
        switch (s_answer) {
        case Answer::Escape:
            ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            ::PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
            break;
        case Answer::Close:
            ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Answer::Enter:
            ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            ::PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
            break;
        }
    };
    auto run = [&](Answer how) {
        s_answer = how;
        s_seen = false;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 50, answer);
        // Should the answer not take, end the box so the test fails instead of hanging.
        static bool s_timedOut;
        s_timedOut = false;
        UINT_PTR guard = ::SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            s_timedOut = true;
            if (HWND box = ::FindWindowW(nullptr, L"確認"))
                ::PostMessageW(box, WM_CLOSE, 0, 0);
        });
        mainWindow->RunCommand(filelist::kIdRemoveItem);
        ::KillTimer(nullptr, timer);
        ::KillTimer(nullptr, guard);
        EXPECT_TRUE(s_seen) << "the confirmation box never appeared";
        EXPECT_FALSE(s_timedOut) << "the box ignored the answer";
        RECT area{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        EXPECT_NEAR(s_box.left + s_box.right, area.left + area.right, 2);
        EXPECT_NEAR(s_box.top + s_box.bottom, area.top + area.bottom, 2);
    };
    run(Answer::Escape);
    EXPECT_EQ(List().Count(), 1u);
    run(Answer::Close);
    EXPECT_EQ(List().Count(), 1u);
    run(Answer::Enter); // Enter presses the default button, Yes
    EXPECT_EQ(List().Count(), 0u);
    EXPECT_EQ(CountText(), L"0");
}

TEST_F(FileListTest, ClearingEmptiesTheListAndShowsZero) {
    mainWindow->RunCommand(intake::kIdClearList);
    EXPECT_EQ(CountText(), L"0");
    Append({L"a", L"b"});
    EXPECT_EQ(CountText(), L"2");
    ::SendMessageW(mainWindow->Controls().clearListButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(List().Count(), 0u);
    EXPECT_EQ(::SendMessageW(mainWindow->Controls().listView, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(CountText(), L"0");
    // Clearing keeps the sort direction: the next sort is still the first one, descending.
    Append({L"a", L"b"});
    SortAndWait(0);
    EXPECT_EQ(List().AllPaths(), (Texts{L"b", L"a"}));
}

TEST_F(FileListTest, EditingInPlaceReplacesTheWholeTextOrNothing) {
    std::wstring longPath = L"C:\\" + std::wstring(2000, L'd') + L"\\file.txt";
    Append({L"C:\\old.txt", longPath.c_str()});
    ::SetFocus(mainWindow->Controls().listView);

    auto edit = [&](int index, const wchar_t* text, WPARAM key) {
        return EditLabel(index, text, key);
    };

    EXPECT_EQ(edit(0, L"C:\\new name.txt", VK_RETURN), L"C:\\old.txt");
    EXPECT_EQ(List().PathAt(0), L"C:\\new name.txt");
    edit(0, L"C:\\discarded.txt", VK_ESCAPE);
    EXPECT_EQ(List().PathAt(0), L"C:\\new name.txt");

    // A long path reaches the editor whole and comes back whole.
    EXPECT_EQ(edit(1, nullptr, VK_RETURN), longPath);
    EXPECT_EQ(List().PathAt(1), longPath);
    EXPECT_EQ(CountText(), L"2");
}

// Undo puts back what the last removal, clearing or edit took, where it stood, whatever was
// appended or sorted since; only the last such change is kept.
TEST_F(FileListTest, UndoRestoresTheLastRemovalClearingOrEditInPlace) {
    struct Case {
        const char* what;
        Texts start;
        std::function<void()> change;
        Texts afterUndo;
    };
    const std::vector<Case> cases = {
        {"a removal", {L"a", L"b", L"c"}, [&] { List().RemoveAt(1); }, {L"a", L"b", L"c"}},
        {"a clear, then an append",
         {L"a", L"b"},
         [&] {
             List().Clear();
             List().AppendPath(L"x");
         },
         {L"a", L"b", L"x"}},
        {"a removal after a sort",
         {L"a", L"c", L"b"},
         [&] {
             SortAndWait(0); // c b a
             List().RemoveAt(1);
             List().AppendPath(L"d");
         },
         {L"c", L"b", L"a", L"d"}},
        {"an edit", {L"a", L"b"}, [&] { EditLabel(1, L"changed", VK_RETURN); }, {L"a", L"b"}},
        {"only the last of two",
         {L"a", L"b", L"c"},
         [&] {
             List().RemoveAt(0);
             List().RemoveAt(1);
         },
         {L"b", L"c"}},
    };
    ::SetFocus(mainWindow->Controls().listView);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        List().Clear();
        Append({});
        for (const std::wstring& path : c.start)
            List().AppendPath(path);
        List().UpdateCountDisplay();
        c.change();
        ASSERT_TRUE(List().CanUndo());
        List().Undo();
        EXPECT_EQ(List().AllPaths(), c.afterUndo);
        EXPECT_EQ(ViewTexts(mainWindow->Controls().listView), c.afterUndo);
        EXPECT_EQ(CountText(), std::to_wstring(c.afterUndo.size()));
        EXPECT_FALSE(List().CanUndo()) << "one level only";
    }
}

// While the list is kept, every kind of change reaches the kept list by itself soon after, with
// nothing closed or saved: what a kill at that moment would leave is the list as it is.
TEST_F(FileListTest, EveryChangeOfAKeptListIsWrittenSoonAfterIt) {
    const std::wstring kept = filelist::KeptListPath(settingsPath);
    ::DeleteFileW(kept.c_str());
    HWND listView = mainWindow->Controls().listView;
    mainWindow->RunCommand(filelist::kIdKeepList);
    ::SetFocus(listView);
    // Files that are there, so that only the one gone is pruned.
    ScratchFolder folder;
    std::vector<std::wstring> files;
    for (const wchar_t* name : {L"b.txt", L"a.txt", L"c.txt", L"edited.txt"})
        files.push_back(folder.Write(name, "x"));
    const std::wstring gone = folder / L"gone.txt";
    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"an append",
         [&] {
             Append({files[0].c_str(), files[1].c_str(), files[2].c_str()});
         }},
        {"a sort", [&] { SortAndWait(0); }},
        {"an edit", [&] { EditLabel(0, files[3].c_str(), VK_RETURN); }},
        {"an undo", [&] { mainWindow->RunCommand(filelist::kIdUndo); }},
        {"a removal",
         [&] {
             LVITEMW none{};
             none.stateMask = LVIS_SELECTED;
             ::SendMessageW(listView, LVM_SETITEMSTATE, -1, reinterpret_cast<LPARAM>(&none));
             Focus(listView, 1, true);
             dialogs.confirmAnswers.push_back(true);
             mainWindow->RunCommand(filelist::kIdRemoveItem);
         }},
        {"a file that is gone appended, and seen to be gone",
         [&] {
             Append({gone.c_str()});
             // Rows are checked as they are drawn.
             ::InvalidateRect(listView, nullptr, FALSE);
             ::UpdateWindow(listView);
             ASSERT_TRUE(Pump([&] { return List().KnownMissing(List().Count() - 1) == true; }));
         }},
        {"the file that is gone pruned",
         [&] {
             dialogs.confirmAnswers.push_back(true);
             mainWindow->RunCommand(filelist::kIdRemoveMissing);
             ASSERT_TRUE(Pump([&] { return List().AllPaths() == Texts{files[2], files[1]}; }));
         }},
        {"a clearing",
         [&] { ::SendMessageW(mainWindow->Controls().clearListButton->Hwnd(), BM_CLICK, 0, 0); }},
    };
    Texts before;
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        c.change();
        const Texts now = List().AllPaths();
        EXPECT_NE(now, before) << "the change changed nothing";
        before = now;
        const std::string expected = filelist::EncodeListFile(now);
        EXPECT_TRUE(Pump([&] { return ReadBytes(kept) == expected; }, 3000))
            << "kept: [" << ReadBytes(kept).value_or("no file") << "]";
    }
    for (const std::wstring& error : dialogs.errors)
        ADD_FAILURE() << win::ToUtf8(error);
}

} // namespace
} // namespace tuckbay::test
