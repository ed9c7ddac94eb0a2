#include "filelist/file_details.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filelist/list_model.h"

namespace filelist {
namespace {

using Texts = std::vector<std::wstring>;

// The details each entry shows, by its text: a file of that text's length as its size, so a
// detail that went to the wrong entry shows.
FileDetails DetailsFor(std::wstring_view text) { return FileDetails::Read(text.size(), 7, false); }

void ReadAll(ListModel& model) {
    for (size_t i = 0; i < model.Count(); ++i)
        model.TakeDetails(i, model.Stamp(i), DetailsFor(model.Text(i)));
}

// Whatever moves or takes entries keeps each one's details beside it; an entry new, edited or
// brought back by an undo has none until read.
TEST(FileDetails, StayWithTheirEntriesThroughEveryChange) {
    const struct {
        const char* what;
        std::function<void(ListModel&)> change;
        Texts unread; // the entries without details after it
    } cases[] = {
        {"a removal", [](ListModel& m) { m.RemoveAt(1); }, {}},
        {"a removal undone", [](ListModel& m) { m.RemoveAt(1), m.Undo(); }, {L"bb"}},
        {"a selection removed and undone",
         [](ListModel& m) { m.Select(0, true), m.Select(2, true), m.RemoveSelected(), m.Undo(); },
         {L"a", L"ccc"}},
        {"a clearing undone",
         [](ListModel& m) { m.Clear(), m.Undo(); },
         {L"a", L"bb", L"ccc", L"dddd"}},
        {"a reorder",
         [](ListModel& m) {
             m.Reorder({3, 1, 0, 2});
         },
         {}},
        {"an append after a reorder",
         [](ListModel& m) {
             m.Reorder({2, 0, 1}), m.Append(L"eeeee");
         },
         {L"eeeee"}},
        {"an edit", [](ListModel& m) { m.Replace(2, L"xx"); }, {L"xx"}},
        {"an edit undone after a reorder",
         [](ListModel& m) {
             m.Replace(2, L"xx"), m.Reorder({3, 2, 1, 0}), m.Undo();
         },
         {L"ccc"}},
    };
    for (const auto& c : cases) {
        ListModel model;
        model.KeepDetails(true);
        for (const wchar_t* t : {L"a", L"bb", L"ccc", L"dddd"})
            model.Append(t);
        ReadAll(model);
        c.change(model);
        Texts unread;
        for (size_t i = 0; i < model.Count(); ++i) {
            const FileDetails d = model.DetailsAt(i);
            if (!d.IsRead())
                unread.emplace_back(model.Text(i));
            else
                EXPECT_EQ(d.Size(), model.Text(i).size()) << c.what << " at " << i;
        }
        EXPECT_EQ(unread, c.unread) << c.what;
    }
}

// Each entry is asked for once a refresh; a refresh keeps the values shown until new ones come,
// an answer for an entry that has changed since is dropped, and the list keeps no details
// while no column shows them.
TEST(FileDetails, AreAskedOnceARefreshAndKeptOnlyWhileShown) {
    ListModel model;
    model.Append(L"C:\\a.txt");
    EXPECT_FALSE(model.StartDetails(0));
    model.KeepDetails(true);
    EXPECT_TRUE(model.StartDetails(0));
    EXPECT_FALSE(model.StartDetails(0));
    const uint32_t asked = model.Stamp(0);
    model.Replace(0, L"C:\\b.txt");
    EXPECT_FALSE(model.TakeDetails(0, asked, FileDetails::Read(5, 1, false)));
    EXPECT_TRUE(model.StartDetails(0));
    EXPECT_TRUE(model.TakeDetails(0, model.Stamp(0), FileDetails::Read(5, 1, false)));
    EXPECT_FALSE(model.StartDetails(0));
    model.ForgetDetails();
    EXPECT_EQ(model.DetailsAt(0).Size(), 5u);
    EXPECT_TRUE(model.StartDetails(0));
    model.KeepDetails(false);
    EXPECT_FALSE(model.DetailsAt(0).IsRead());
    EXPECT_TRUE(model.Freeze().Details().empty());
}

// Sizes and dates sort by value, each way; what has no value (missing, a folder's size, not
// read) comes last in its order, whichever way the sort goes.
TEST(FileDetails, SortByValueWithEntriesWithoutOneLast) {
    const std::vector<FileDetails> details = {FileDetails::Read(300, 30, false),
                                              FileDetails::Missing(),
                                              FileDetails::Read(0, 50, true),
                                              FileDetails::Read(100, 10, false),
                                              FileDetails{},
                                              FileDetails::Read(200, 20, false)};
    const auto keepGoing = [] { return true; };
    const struct {
        DetailColumn column;
        int32_t sign;
        std::vector<uint32_t> order;
    } cases[] = {
        {DetailColumn::Size, -1, {0, 5, 3, 1, 2, 4}},
        {DetailColumn::Size, 1, {3, 5, 0, 1, 2, 4}},
        {DetailColumn::Modified, -1, {2, 0, 5, 3, 1, 4}},
        {DetailColumn::Modified, 1, {3, 5, 0, 2, 1, 4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetailSortOrder(details, c.column, c.sign, keepGoing), c.order)
            << static_cast<int>(c.column) << " " << c.sign;
    EXPECT_EQ(DetailSortOrder(details, DetailColumn::Size, 1, [] { return false; }), std::nullopt);
}

// The settings file's text of the shown columns: written and read back the same; a text from
// elsewhere read as far as it makes sense, the path column always there and first.
TEST(FileDetails, ColumnsKeptAsTextAndReadForgivingly) {
    const std::vector<ShownColumn> shown = {
        {DetailColumn::Path, 250},     {DetailColumn::Size, 90},    {DetailColumn::Name, 140},
        {DetailColumn::Modified, 130}, {DetailColumn::Folder, 100}, {DetailColumn::Type, 70}};
    EXPECT_EQ(FormatColumns(shown), L"path:250,size:90,name:140,modified:130,folder:100,type:70");
    EXPECT_EQ(ParseColumns(FormatColumns(shown)), shown);
    const struct {
        const wchar_t* text;
        std::vector<ShownColumn> columns;
    } cases[] = {
        {L"", DefaultColumns()},
        {L"size:90", {{DetailColumn::Path, 300}, {DetailColumn::Size, 90}}},
        {L"size:90,path:200", {{DetailColumn::Path, 200}, {DetailColumn::Size, 90}}},
        {L"name:x,bogus:5,name:40,type:0,folder:99999,,size",
         {{DetailColumn::Path, 300},
          {DetailColumn::Name, 150},
          {DetailColumn::Type, 120},
          {DetailColumn::Folder, 200},
          {DetailColumn::Size, 80}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseColumns(c.text), c.columns) << std::wstring(c.text).size();
}

} // namespace
} // namespace filelist
