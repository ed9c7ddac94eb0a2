#include "filelist/list_filter.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace filelist {
namespace {

using Texts = std::vector<std::wstring>;

// Case folding alone is enough to see which rows show which entries; how the system folds case
// and width is the Windows tests' business.
class LowerCaseMatcher : public NameMatcher {
public:
    std::wstring PrepareWord(std::wstring_view word) override { return Lower(word); }
    bool ContainsAll(std::wstring_view text, const std::vector<std::wstring>& words) override {
        const std::wstring lower = Lower(text);
        return std::all_of(words.begin(), words.end(), [&](const std::wstring& word) {
            return lower.find(word) != std::wstring::npos;
        });
    }

private:
    static std::wstring Lower(std::wstring_view text) {
        std::wstring lower(text);
        for (wchar_t& c : lower)
            c = static_cast<wchar_t>(std::towlower(c));
        return lower;
    }
};

TEST(ListFilter, SplitsItsTextIntoWordsAtSpaces) {
    const struct {
        std::wstring text;
        Texts words;
    } cases[] = {
        {L"", {}},
        {L"   ", {}},
        {L"report", {L"report"}},
        {L"  2024 report ", {L"2024", L"report"}},
        {L"報告\x3000"
         L"2024",
         {L"報告", L"2024"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilterWords(c.text), c.words) << std::string(c.text.begin(), c.text.end());
}

// The rows follow the entries the filter lets through across everything the list goes through
// while it is on, and hidden entries are never selected.
class ShownRowsTest : public ::testing::Test {
protected:
    void Append(const std::wstring& text) {
        model.Append(text);
        if (rows.On())
            rows.Appended(model, matcher.ContainsAll(text, words));
    }
    void Filter(const std::wstring& text) {
        words.clear();
        for (const std::wstring& word : FilterWords(text))
            words.push_back(matcher.PrepareWord(word));
        const win::Progress progress;
        rows.ShowOnly(model, *MatchEntries(model.Freeze(), words, matcher, progress));
    }
    Texts Shown() const {
        Texts shown;
        for (size_t row = 0; row < rows.Count(model); ++row)
            shown.emplace_back(model.Text(rows.Entry(row)));
        return shown;
    }
    size_t RowOf(const std::wstring& text) const {
        for (size_t i = 0; i < model.Count(); ++i) {
            if (model.Text(i) == text)
                return rows.RowOf(i).value_or(SIZE_MAX);
        }
        return SIZE_MAX;
    }

    ListModel model;
    ShownRows rows;
    LowerCaseMatcher matcher;
    std::vector<std::wstring> words;
};

TEST_F(ShownRowsTest, FollowTheEntriesThroughAppendsRemovalsSortsAndUndo) {
    for (const wchar_t* text : {L"C:\\a\\Report 1.doc", L"C:\\a\\notes.txt", L"C:\\b\\report 2.doc",
                                L"C:\\b\\REPORT.txt", L"C:\\c\\photo.jpg"})
        Append(text);
    model.SelectAll(true);
    Filter(L"report doc");
    EXPECT_EQ(Shown(), (Texts{L"C:\\a\\Report 1.doc", L"C:\\b\\report 2.doc"}));
    // What the filter hides it unselects; a selection of everything passes over it.
    EXPECT_EQ(model.SelectedTexts(), Shown());
    model.SelectAll(false);
    model.SelectAll(true);
    EXPECT_EQ(model.SelectedTexts(), Shown());
    EXPECT_EQ(RowOf(L"C:\\b\\report 2.doc"), 1u);
    EXPECT_EQ(RowOf(L"C:\\a\\notes.txt"), SIZE_MAX);

    // Appended: shown if it matches, hidden if not; the whole list grows either way.
    Append(L"C:\\d\\old report.doc");
    Append(L"C:\\d\\other.doc");
    EXPECT_EQ(Shown(),
              (Texts{L"C:\\a\\Report 1.doc", L"C:\\b\\report 2.doc", L"C:\\d\\old report.doc"}));
    EXPECT_EQ(model.Count(), 7u);

    // A shown row removed: the rows after it move up, the hidden entries stay.
    model.SelectAll(false);
    model.RemoveAt(rows.Entry(1));
    rows.Rebuild(model);
    EXPECT_EQ(Shown(), (Texts{L"C:\\a\\Report 1.doc", L"C:\\d\\old report.doc"}));
    EXPECT_EQ(model.Count(), 6u);

    // A sort orders the whole list; the filter keeps applying.
    std::vector<uint32_t> reversed(model.Count());
    for (uint32_t i = 0; i < reversed.size(); ++i)
        reversed[i] = static_cast<uint32_t>(reversed.size() - 1 - i);
    model.Reorder(reversed);
    rows.Rebuild(model);
    EXPECT_EQ(Shown(), (Texts{L"C:\\d\\old report.doc", L"C:\\a\\Report 1.doc"}));
    EXPECT_EQ(model.Text(0), L"C:\\d\\other.doc");

    // The removal undone: the entry back in its place, shown, and the filter looks at it again.
    model.Undo();
    rows.Rebuild(model);
    EXPECT_EQ(Shown(),
              (Texts{L"C:\\d\\old report.doc", L"C:\\b\\report 2.doc", L"C:\\a\\Report 1.doc"}));

    // Clearing what is shown takes only that, as one step to undo.
    model.RemoveWhere([this](size_t i) { return !model.IsHidden(i); });
    rows.Rebuild(model);
    EXPECT_EQ(rows.Count(model), 0u);
    EXPECT_EQ(model.Count(), 4u);
    model.Undo();
    rows.Rebuild(model);
    EXPECT_EQ(model.Count(), 7u);
    EXPECT_EQ(Shown(),
              (Texts{L"C:\\d\\old report.doc", L"C:\\b\\report 2.doc", L"C:\\a\\Report 1.doc"}));

    // A word that nothing contains shows nothing; no filter shows everything again.
    Filter(L"report zzz");
    EXPECT_EQ(Shown(), Texts{});
    rows.ShowAll(model);
    EXPECT_FALSE(rows.On());
    EXPECT_EQ(Shown(), model.Texts());
    EXPECT_EQ(rows.RowOf(5), 5u);
}

TEST_F(ShownRowsTest, ANewerTextCancelsTheMatchingOfAnOlderOne) {
    for (int i = 0; i < 100'000; ++i)
        Append(L"C:\\" + std::to_wstring(i));
    win::Progress progress;
    progress.Cancel();
    EXPECT_FALSE(MatchEntries(model.Freeze(), {L"1"}, matcher, progress).has_value());
}

} // namespace
} // namespace filelist
