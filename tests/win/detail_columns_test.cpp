// The columns beside the path: kept in the settings file across a restart, and the details
// they show read off the window's thread, again when the window is activated.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "drag_kit.h"
#include "file_bytes.h"
#include "filelist/detail_reader.h"
#include "main_window_fixture.h"

namespace tuckbay::test {
namespace {

using filelist::DetailColumn;
using filelist::ShownColumn;

using DetailColumns = MainWindowTest;

TEST_F(DetailColumns, ShownColumnsTheirOrderAndWidthsComeBackAfterARestart) {
    const std::vector<ShownColumn> shown = {{DetailColumn::Path, 250},
                                            {DetailColumn::Size, 90},
                                            {DetailColumn::Modified, 130},
                                            {DetailColumn::Type, 100}};
    List().ShowColumns(shown);
    mainWindow.reset();
    const std::string written = ReadBytes(settingsPath);
    EXPECT_NE(written.find("[setting]\r\n"), std::string::npos);
    EXPECT_NE(written.find("columns=path:250,size:90,modified:130,type:100\r\n"), std::string::npos)
        << written;
    MakeWindow();
    EXPECT_EQ(List().Columns(), shown);
    EXPECT_EQ(Header_GetItemCount(mainWindow->Part<filelist::ListPart>().Header().HeaderHandle()), 4);

    // Taken away again, the list is as it always was; the key stays, saying so.
    List().ShowColumns(filelist::DefaultColumns());
    mainWindow.reset();
    EXPECT_NE(ReadBytes(settingsPath).find("columns=path:"), std::string::npos);
    MakeWindow();
    EXPECT_EQ(Header_GetItemCount(mainWindow->Part<filelist::ListPart>().Header().HeaderHandle()), 1);
    EXPECT_FALSE(List().AddedColumnsShown());
}

// A file's size and date appear once read off the window's thread; a missing file's row is grey
// with nothing in them; a file written meanwhile shows its new size after the window is
// activated again.
TEST_F(DetailColumns, DetailsAreReadForTheRowsInViewAndAgainOnActivation) {
    TempFolder folder;
    const std::wstring file = folder.Path(L"report.txt");
    WriteBytes(file, std::string(5000, 'x'));
    // A known local time, so that the date column's text is known.
    SYSTEMTIME local{2024, 3, 2, 5, 14, 7, 0, 0};
    SYSTEMTIME utc{};
    FILETIME written{};
    ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    ASSERT_TRUE(::SystemTimeToFileTime(&utc, &written));
    {
        HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ::SetFileTime(h, nullptr, nullptr, &written);
        ::CloseHandle(h);
    }
    wchar_t date[80] = {}, time[80] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 80, nullptr);
    ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, 80);

    List().ShowColumns({{DetailColumn::Path, 200},
                        {DetailColumn::Folder, 100},
                        {DetailColumn::Size, 80},
                        {DetailColumn::Modified, 120},
                        {DetailColumn::Type, 80}});
    Append({file.c_str(), L"C:\\gone-with-its-details.txt"});
    ASSERT_TRUE(Pump([&] { return ShownText(0, 2) == L"5 KB"; })) << win::ToUtf8(ShownText(0, 2));
    EXPECT_EQ(ShownText(0, 1) + L"\\report.txt", file);
    EXPECT_EQ(ShownText(0, 3), std::wstring(date) + L" " + time);
    EXPECT_NE(ShownText(0, 4), L"");
    ASSERT_TRUE(Pump([&] { return List().KnownMissing(1) == true; }));
    EXPECT_EQ(ShownText(1, 2), L"");
    EXPECT_EQ(ShownText(1, 3), L"");

    WriteBytes(file, std::string(9000, 'x'));
    Pump([] { return false; }, 100);
    EXPECT_EQ(ShownText(0, 2), L"5 KB"); // read once a refresh
    List().Recheck();                    // as the window's activation does
    EXPECT_TRUE(Pump([&] { return ShownText(0, 2) == L"9 KB"; })) << win::ToUtf8(ShownText(0, 2));
}

// A folder many listed files share is listed once and its names matched; a name listed twice,
// one written in other letter case and one not there are each answered as a look-up of their own
// would answer them.
TEST_F(DetailColumns, ReadingAFolderOnceAnswersAsLookingUpEachFile) {
    TempFolder folder;
    std::vector<filelist::DetailQuestion> questions;
    for (int i = 0; i < 10; ++i) {
        const std::wstring path = folder.Path(L"file" + std::to_wstring(i) + L".txt");
        WriteBytes(path, std::string(static_cast<size_t>(i) * 1000, 'x'));
        questions.push_back({static_cast<uint32_t>(i), static_cast<size_t>(i), path, {}});
    }
    ::CreateDirectoryW(folder.Path(L"inner").c_str(), nullptr);
    questions.push_back({10, 10, folder.Path(L"file3.txt"), {}});
    questions.push_back({11, 11, folder.Path(L"FILE4.TXT"), {}});
    questions.push_back({12, 12, folder.Path(L"gone.txt"), {}});
    questions.push_back({13, 13, folder.Path(L"inner"), {}});
    ASSERT_TRUE(filelist::ReadDetails(questions, [] { return true; }));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(questions[i].details.Size(), static_cast<uint64_t>(i) * 1000) << i;
    EXPECT_EQ(questions[10].details.Size(), 3000u);
    EXPECT_EQ(questions[11].details.Size(), 4000u);
    EXPECT_TRUE(questions[12].details.IsMissing());
    EXPECT_TRUE(questions[13].details.IsFolder());
    EXPECT_EQ(questions[13].details.Size(), std::nullopt);
    EXPECT_TRUE(questions[13].details.Modified().has_value());
    EXPECT_FALSE(filelist::ReadDetails(questions, [] { return false; }));
}

// A click on a text column sorts by what it shows, not by the whole path; each kind of column
// keeps its own sign, so its first sort descends.
TEST_F(DetailColumns, NameAndFolderColumnsSortByTheirOwnTexts) {
    List().ShowColumns(
        {{DetailColumn::Path, 200}, {DetailColumn::Name, 100}, {DetailColumn::Folder, 100}});
    Append({L"C:\\b\\a.txt", L"C:\\a\\c.txt", L"C:\\c\\b.txt"});
    const struct {
        int column;
        std::vector<std::wstring> order;
    } cases[] = {
        {1, {L"C:\\a\\c.txt", L"C:\\c\\b.txt", L"C:\\b\\a.txt"}},
        {2, {L"C:\\c\\b.txt", L"C:\\b\\a.txt", L"C:\\a\\c.txt"}},
        {1, {L"C:\\b\\a.txt", L"C:\\c\\b.txt", L"C:\\a\\c.txt"}},
    };
    for (const auto& c : cases) {
        SortAndWait(c.column);
        EXPECT_EQ(List().AllPaths(), c.order) << c.column;
        EXPECT_EQ(mainWindow->Part<filelist::ListPart>().Header().SortColumn(), c.column);
    }
}

} // namespace
} // namespace tuckbay::test
