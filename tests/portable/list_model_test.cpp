#include "filelist/list_model.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace filelist {
namespace {

using Texts = std::vector<std::wstring>;

ListModel ModelOf(const Texts& texts) {
    ListModel model;
    for (const std::wstring& t : texts)
        model.Append(t);
    return model;
}

// Texts of every size land whole, in order, across the model's blocks: empty ones, duplicates,
// one longer than a block, and enough to fill several. A frozen copy keeps reading what it saw
// while the list is cleared, refilled and its old blocks given up.
TEST(ListModel, KeepsEveryTextWholeAcrossBlocksAndFrozenCopiesStayReadable) {
    Texts texts{L"", L"C:\\a.txt", L"C:\\a.txt", std::wstring(1'500'000, L'x') + L"end", L""};
    for (int i = 0; i < 40'000; ++i)
        texts.push_back(L"C:\\folder\\" + std::to_wstring(i) + std::wstring(i % 97, L'n'));
    ListModel model = ModelOf(texts);
    ASSERT_EQ(model.Texts(), texts);
    const FrozenList frozen = model.Freeze();

    model.Clear();
    model.Append(L"after");
    model.RemoveAt(0); // the clearing's undo step goes, and with it the old blocks
    ASSERT_EQ(frozen.Count(), texts.size());
    const ListTexts copy = frozen.Texts();
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(frozen.Text(i), texts[i]) << i;
        ASSERT_EQ(copy[i], texts[i]) << i;
    }
    EXPECT_THROW(model.Append(std::wstring(ListModel::kLongestText + 1, L'z')), std::length_error);
    EXPECT_EQ(model.Count(), 0u);
}

// A list made elsewhere (a list file read on a worker) taken over whole: its texts after the
// entries already there, each with a stamp of its own, and its blocks the model's from then on,
// through removals, an undo, and what is kept beside the entries.
TEST(ListModel, AListMadeElsewhereIsTakenOverWithItsTextsAndNewStamps) {
    Texts made{L"C:\\long " + std::wstring(1'200'000, L'l'), L"", L"C:\\b"};
    for (int i = 0; i < 30'000; ++i)
        made.push_back(L"C:\\made\\" + std::to_wstring(i));
    ListModel model = ModelOf({L"C:\\first", L"C:\\second"});
    model.KeepDetails(true);
    model.RemoveAt(0); // an undo step holding a block of the model's own
    ListModel elsewhere = ModelOf(made);
    model.AppendList(std::move(elsewhere));
    EXPECT_EQ(elsewhere.Count(), 0u);
    Texts expected{L"C:\\second"};
    expected.insert(expected.end(), made.begin(), made.end());
    ASSERT_EQ(model.Texts(), expected);
    EXPECT_FALSE(model.DetailsAt(expected.size() - 1).IsRead());
    std::set<uint32_t> stamps;
    for (size_t i = 0; i < model.Count(); ++i)
        stamps.insert(model.Stamp(i));
    EXPECT_EQ(stamps.size(), model.Count());

    model.Undo();
    expected.insert(expected.begin(), L"C:\\first");
    EXPECT_EQ(model.Texts(), expected);
    model.RemoveWhere([](size_t i) { return i % 2 == 1; });
    model.Clear();
    model.Undo();
    EXPECT_EQ(model.Count(), (expected.size() + 1) / 2);
    EXPECT_EQ(model.Text(1), expected[2]);
}

// One level of undo: every removal, clearing and edit puts back exactly what it took, where it
// stood, whatever happened to the list in between.
TEST(ListModel, UndoPutsBackWhatTheLastRemovalClearingOrEditTook) {
    const struct {
        const char* what;
        Texts start;
        std::function<void(ListModel&)> change;
        Texts changed;
        Texts undone;
    } cases[] = {
        {"one removed from the middle",
         {L"a", L"b", L"c"},
         [](ListModel& m) { m.RemoveAt(1); },
         {L"a", L"c"},
         {L"a", L"b", L"c"}},
        {"several removed, then one appended",
         {L"a", L"b", L"c", L"d", L"e"},
         [](ListModel& m) {
             m.RemoveWhere([](size_t i) { return i == 0 || i == 2 || i == 4; });
             m.Append(L"f");
         },
         {L"b", L"d", L"f"},
         {L"a", L"b", L"c", L"d", L"e", L"f"}},
        {"the last two removed",
         {L"a", L"b", L"c"},
         [](ListModel& m) { m.RemoveWhere([](size_t i) { return i >= 1; }); },
         {L"a"},
         {L"a", L"b", L"c"}},
        {"cleared", {L"a", L"b"}, [](ListModel& m) { m.Clear(); }, {}, {L"a", L"b"}},
        {"cleared, then refilled: the old entries come back in front",
         {L"a", L"b"},
         [](ListModel& m) {
             m.Clear();
             m.Append(L"c");
         },
         {L"c"},
         {L"a", L"b", L"c"}},
        {"a removal that takes nothing keeps the step, a clearing replaces it",
         {L"a", L"b", L"c", L"d"},
         [](ListModel& m) {
             m.RemoveAt(3);
             m.RemoveWhere([](size_t) { return false; }); // takes nothing: keeps the undo step
             m.Clear();
         },
         {},
         {L"a", L"b", L"c"}},
        {"edited, then sorted: the edited entry is found where it went",
         {L"b", L"a", L"b"},
         [](ListModel& m) {
             m.Replace(2, L"z");
             m.Reorder({2, 1, 0});
         },
         {L"z", L"a", L"b"},
         {L"b", L"a", L"b"}},
        {"an edit that changes nothing keeps the earlier step",
         {L"a", L"b"},
         [](ListModel& m) {
             m.RemoveAt(0);
             m.Replace(0, L"b");
         },
         {L"b"},
         {L"a", L"b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ListModel model = ModelOf(c.start);
        EXPECT_FALSE(model.CanUndo());
        c.change(model);
        EXPECT_EQ(model.Texts(), c.changed);
        ASSERT_TRUE(model.CanUndo());
        model.Undo();
        EXPECT_EQ(model.Texts(), c.undone);
        EXPECT_FALSE(model.CanUndo());
    }
}

// A stamp is never given twice: not to an appended, edited or restored entry, not after the
// text it named is gone. Answers about a file hold only for the stamp they were asked with.
TEST(ListModel, StampsAreNeverReusedAndAnswersHoldOnlyForTheirStamp) {
    ListModel model = ModelOf({L"a", L"b", L"c"});
    std::set<uint32_t> seen;
    auto collect = [&] {
        for (size_t i = 0; i < model.Count(); ++i)
            seen.insert(model.Stamp(i));
    };
    collect();
    const uint32_t bStamp = model.Stamp(1);
    model.Replace(1, L"b2");
    collect();
    model.RemoveAt(0);
    model.Undo();
    collect();
    model.Append(L"d");
    collect();
    EXPECT_EQ(seen.size(), 3u + 1u + 1u + 1u); // appended, edited, restored, appended

    ASSERT_EQ(model.Texts(), (Texts{L"a", L"b2", L"c", L"d"}));
    EXPECT_TRUE(model.StartCheck(1));
    EXPECT_FALSE(model.StartCheck(1));                // asked already
    EXPECT_FALSE(model.TakeAnswer(1, bStamp, false)); // about the text before the edit
    EXPECT_EQ(model.KnownMissing(1), std::nullopt);
    EXPECT_TRUE(model.TakeAnswer(1, model.Stamp(1), false));
    EXPECT_EQ(model.KnownMissing(1), true);
    EXPECT_TRUE(model.StartCheck(2));
    EXPECT_FALSE(model.TakeAnswer(2, model.Stamp(2), true)); // present: no change to draw
    // A recheck asks again and keeps the grey until the new answer.
    model.ForgetAnswers();
    EXPECT_EQ(model.KnownMissing(1), std::nullopt);
    EXPECT_TRUE(model.StartCheck(1));
    EXPECT_TRUE(model.TakeAnswer(1, model.Stamp(1), true));
    EXPECT_EQ(model.KnownMissing(1), false);
}

// A folder the check found is drawn as one through a recheck, and once it is gone (greyed, still
// a folder); the mark moves with its entry in a sort. A new text (an edit, an undo) knows nothing
// of it until its own answer, and an answer that finds a file there ends it.
TEST(ListModel, AFolderFoundByItsCheckStaysOneUntilItsTextChangesOrAFileIsFound) {
    ListModel model = ModelOf({L"C:\\a", L"C:\\b", L"C:\\c"});
    auto folders = [&] {
        std::vector<bool> marked;
        for (size_t i = 0; i < model.Count(); ++i)
            marked.push_back(model.ShownFolder(i));
        return marked;
    };
    EXPECT_EQ(folders(), (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(model.TakeAnswer(0, model.Stamp(0), true, true)); // to be drawn again
    EXPECT_FALSE(model.TakeAnswer(0, model.Stamp(0), true, true));
    EXPECT_TRUE(model.TakeAnswer(1, model.Stamp(1), true, true));
    EXPECT_FALSE(model.TakeAnswer(2, model.Stamp(2), true, false));
    model.ForgetAnswers();
    EXPECT_EQ(folders(), (std::vector<bool>{true, true, false}));
    EXPECT_TRUE(model.TakeAnswer(0, model.Stamp(0), false, false)); // removed: a grey folder
    EXPECT_TRUE(model.ShownMissing(0));
    model.Reorder({2, 0, 1});
    EXPECT_EQ(folders(), (std::vector<bool>{false, true, true}));
    EXPECT_TRUE(model.Freeze().ShownFolder(1));

    model.Replace(2, L"C:\\b2");
    EXPECT_FALSE(model.ShownFolder(2));
    model.Undo();
    EXPECT_EQ(model.Text(2), L"C:\\b");
    EXPECT_FALSE(model.ShownFolder(2));
    EXPECT_TRUE(model.TakeAnswer(1, model.Stamp(1), true, false)); // a file there now
    EXPECT_EQ(folders(), (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(model.ShownMissing(1));
}

// Each column's first sort descends and each later one turns; the header shows the column sorted
// last and the way it went. A sorted order applies to the entries it was made for, those
// appended meanwhile staying after them.
TEST(ListModel, SortSignsTurnPerColumnAndAReorderKeepsLaterAppendsAtTheEnd) {
    ListModel model = ModelOf({L"b", L"a", L"c"});
    EXPECT_EQ(model.SortedColumn(), -1);
    const struct {
        int column;
        int32_t sign;
    } clicks[] = {{0, -1}, {0, 1}, {2, -1}, {0, -1}, {2, 1}};
    for (const auto& click : clicks) {
        EXPECT_EQ(model.TakeSortSign(click.column), click.sign);
        EXPECT_EQ(model.SortedColumn(), click.column);
        EXPECT_EQ(model.SortedAscending(), click.sign > 0);
    }
    const uint64_t before = model.ChangesOtherThanAppends();
    model.Append(L"d");
    EXPECT_EQ(model.ChangesOtherThanAppends(), before);
    model.Reorder({2, 0, 1});
    EXPECT_EQ(model.Texts(), (Texts{L"c", L"b", L"a", L"d"}));
    EXPECT_GT(model.ChangesOtherThanAppends(), before);
}

// The order a sort gives: by the comparison times the sign, equal entries in the order they had
// (two equal paths stay as they were), and nothing at all once the sort is told to stop.
TEST(SortOrder, OrdersByTheSignAndKeepsEqualEntriesInTheirOrder) {
    const std::vector<std::string> keys{"b", "a", "c", "a", "b"};
    auto compare = [&](uint32_t x, uint32_t y) { return keys[x].compare(keys[y]); };
    const struct {
        int32_t sign;
        std::vector<uint32_t> order;
    } cases[] = {{-1, {2, 0, 4, 1, 3}}, {1, {1, 3, 0, 4, 2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sign);
        EXPECT_EQ(SortOrder(keys.size(), c.sign, compare, [] { return true; }), c.order);
    }
    EXPECT_EQ(SortOrder(0, -1, compare, [] { return true; }), std::vector<uint32_t>{});

    // A long sort asks whether to go on, and stops when told.
    const size_t many = 200000;
    size_t asked = 0;
    auto reversed = [](uint32_t x, uint32_t y) { return x < y ? 1 : (x > y ? -1 : 0); };
    EXPECT_EQ(SortOrder(many, 1, reversed, [&] { return ++asked < 2; }), std::nullopt);
    EXPECT_EQ(asked, 2u);
    const auto order = SortOrder(many, 1, reversed, [] { return true; });
    ASSERT_TRUE(order);
    EXPECT_EQ(order->front(), many - 1);
    EXPECT_EQ(order->back(), 0u);
}

// The selection belongs to the entries: it follows them through a sort, appends, edits, file
// answers and the removal of others; taking the selected away is one step that an undo puts
// back, and what an undo brings back is what is selected then.
TEST(ListModel, TheSelectionFollowsItsEntriesAndGoesAsOneStepToUndo) {
    const struct {
        const char* what;
        std::function<void(ListModel&)> change;
        Texts selected;
        Texts all;
    } cases[] = {
        {"a range, then one taken out of it",
         [](ListModel& m) {
             m.SelectRange(1, 3, true);
             m.Select(2, false);
         },
         {L"b", L"d"},
         {L"a", L"b", L"c", L"d", L"e"}},
        {"everything, then cleared",
         [](ListModel& m) {
             m.SelectAll(true);
             m.SelectAll(false);
             m.Select(4, true);
         },
         {L"e"},
         {L"a", L"b", L"c", L"d", L"e"}},
        {"sorted, appended to, edited and answered about",
         [](ListModel& m) {
             m.Select(1, true);
             m.Select(3, true);
             m.Reorder({4, 3, 2, 1, 0});
             m.Append(L"f");
             m.Replace(1, L"d2");
             m.StartCheck(3);
             m.TakeAnswer(3, m.Stamp(3), false);
             m.ForgetAnswers();
             m.ForgetFileStates();
         },
         {L"d2", L"b"},
         {L"e", L"d2", L"c", L"b", L"a", L"f"}},
        {"another entry removed",
         [](ListModel& m) {
             m.Select(3, true);
             m.RemoveAt(0);
         },
         {L"d"},
         {L"b", L"c", L"d", L"e"}},
        {"another entry removed, and the removal undone",
         [](ListModel& m) {
             m.Select(3, true);
             m.RemoveAt(0);
             m.Undo();
         },
         {L"a"},
         {L"a", L"b", L"c", L"d", L"e"}},
        {"the selected removed",
         [](ListModel& m) {
             m.SelectRange(0, 1, true);
             m.Select(4, true);
             EXPECT_EQ(m.RemoveSelected(), 3u);
         },
         {},
         {L"c", L"d"}},
        {"the selected removed, one left selected and one appended, then undone",
         [](ListModel& m) {
             m.Select(0, true);
             m.Select(2, true);
             m.RemoveSelected();
             m.Select(0, true);
             m.Append(L"f");
             m.Undo();
         },
         {L"a", L"c"},
         {L"a", L"b", L"c", L"d", L"e", L"f"}},
        {"all selected, cleared, then undone",
         [](ListModel& m) {
             m.SelectAll(true);
             m.Clear();
             m.Undo();
         },
         {},
         {L"a", L"b", L"c", L"d", L"e"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ListModel model = ModelOf({L"a", L"b", L"c", L"d", L"e"});
        c.change(model);
        EXPECT_EQ(model.SelectedTexts(), c.selected);
        EXPECT_EQ(model.SelectedCount(), c.selected.size());
        EXPECT_EQ(model.Texts(), c.all);
    }
}

} // namespace
} // namespace filelist
