// The filter: words matched as the system compares file names, and the list in the real window
// showing only what the filter lets through while drops, sorts and undo go on.
#include <windows.h>

#include <string>
#include <vector>

#include "filelist/name_matcher.h"
#include "main_window_fixture.h"
#include "win/controls.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

using Texts = std::vector<std::wstring>;

// One matcher for every row, as the filter keeps one while the text changes.
bool Matches(filelist::SystemNameMatcher& matcher, const std::wstring& text,
             const std::wstring& path) {
    std::vector<std::wstring> words;
    for (const std::wstring& word : filelist::FilterWords(text))
        words.push_back(matcher.PrepareWord(word));
    return matcher.ContainsAll(path, words);
}

TEST(ListFilter, MatchesEveryWordAsTheSystemComparesFileNames) {
    const struct {
        const wchar_t* text;
        const wchar_t* path;
        bool matches;
    } cases[] = {
        {L"report 2024", L"C:\\Docs\\Report_2024.docx", true},
        {L"2024 docs", L"C:\\Docs\\Report_2024.docx", true},
        {L"report 2023", L"C:\\Docs\\Report_2024.docx", false},
        {L"REPORT", L"c:\\docs\\report.txt", true},
        {L"ＲｅＰＯＲＴ", L"C:\\report.txt", true},
        {L"report", L"C:\\ＲＥＰＯＲＴ.txt", true},
        {L"ｶﾀｶﾅ", L"C:\\カタカナ.txt", true},
        {L"ガイド", L"C:\\ｶﾞｲﾄﾞ.pdf", true},
        {L"ガイド", L"C:\\カイト.pdf", false},
        {L"xyz", L"C:\\Docs\\Report_2024.docx", false},
        {L"", L"C:\\anything", true},
        // Text with wide characters of which none can meet the words, then one that can.
        {L"報告書_1", L"C:\\ドキュメント\\報告書_1.docx", true},
        {L"報告書_1", L"C:\\ドキュメント\\報告書＿１.docx", true},
        {L"報告書_1", L"C:\\ドキュメント\\報告書＿２.docx", false},
        {L"ﾄﾞｷｭ 報告書", L"C:\\ドキュメント\\報告書.docx", true},
        {L"ａ←", L"C:\\A←B.txt", true},
    };
    filelist::SystemNameMatcher matcher;
    for (const auto& c : cases)
        EXPECT_EQ(Matches(matcher, c.text, c.path), c.matches)
            << win::ToUtf8(c.text) << " in " << win::ToUtf8(c.path);
}

class ListFilterWindow : public MainWindowTest {
protected:
    void Filter(const wchar_t* text) {
        List().SetFilter(text);
        ASSERT_TRUE(Pump([&] { return !List().Filtering(); }));
    }
    Texts Shown() { return ViewTexts(mainWindow->Controls().listView); }
};

// What the user sees is the shown entries: the view's rows, the count display, the drops that
// match, a sort of the whole list, an undone removal.
TEST_F(ListFilterWindow, ShowsOnlyMatchingEntriesThroughDropsSortsAndUndo) {
    const std::wstring exe = win::ProgramPath();
    Append({L"C:\\b\\tuckbay notes.txt", L"C:\\a\\photo.jpg", L"C:\\a\\TUCKBAY plan.txt"});
    Filter(L"tuckbay");
    EXPECT_EQ(Shown(), (Texts{L"C:\\b\\tuckbay notes.txt", L"C:\\a\\TUCKBAY plan.txt"}));
    EXPECT_EQ(CountText(), L"2");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().filterCount), L"2 / 3 件");

    // The program's own file matches (its folder is the build's); a dropped photo does not.
    DropOn(mainWindow->Controls().dropZone->Hwnd(), {exe});
    EXPECT_EQ(Shown(), (Texts{L"C:\\b\\tuckbay notes.txt", L"C:\\a\\TUCKBAY plan.txt", exe}));
    EXPECT_EQ(win::WindowText(mainWindow->Controls().filterCount), L"3 / 4 件");

    SortAndWait(0);
    SortAndWait(0); // the second sort of a column ascends
    EXPECT_EQ(Shown(), (Texts{L"C:\\a\\TUCKBAY plan.txt", L"C:\\b\\tuckbay notes.txt", exe}));
    EXPECT_EQ(List().Model().Text(0), L"C:\\a\\photo.jpg");

    // A column beside the path speaks of the row's own entry, not of the list's entry there.
    List().ShowColumns({{filelist::DetailColumn::Path, 200}, {filelist::DetailColumn::Name, 100}});
    EXPECT_EQ(ShownText(1, 1), L"tuckbay notes.txt");
    List().ShowColumns(filelist::DefaultColumns());

    List().RemoveAt(1);
    EXPECT_EQ(Shown(), (Texts{L"C:\\a\\TUCKBAY plan.txt", exe}));
    List().Undo();
    ASSERT_TRUE(Pump([&] { return !List().Filtering(); }));
    EXPECT_EQ(Shown(), (Texts{L"C:\\a\\TUCKBAY plan.txt", L"C:\\b\\tuckbay notes.txt", exe}));

    Filter(L"");
    EXPECT_EQ(Shown().size(), 4u);
    EXPECT_EQ(CountText(), L"4");
}

} // namespace
} // namespace tuckbay::test
