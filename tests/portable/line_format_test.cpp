#include <gtest/gtest.h>

#include "filelist/line_format.h"

namespace filelist {
namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    std::string text;
    Lines lines;
};

TEST(SplitLines, FollowsTheLineTable) {
    using namespace std::string_literals;
    const SplitCase cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\r\nlast", {"a", "last"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\r\r\n", {"a", ""}},
        {"a\0b\r\nc"s, {"a"}},
        {"\0a"s, {}},
        {"\xEF\xBB\xBF"
         "a\r\n",
         {"\xEF\xBB\xBF"
          "a"}},
        {" spaced \t\r\n", {" spaced \t"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(SplitLines(std::string_view(c.text)), c.lines) << "text: " << c.text;
    }
}

TEST(SplitLines, ReadsWideTextTheSameWay) {
    using Wide = std::vector<std::wstring>;
    EXPECT_EQ(SplitLines(std::wstring_view(L"C:\\ファイル\n\rD:\\x")),
              (Wide{L"C:\\ファイル", L"", L"D:\\x"}));
}

TEST(JoinLines, EndsEveryLineWithCrLf) {
    EXPECT_EQ(JoinLines(Lines{}), "");
    EXPECT_EQ(JoinLines(Lines{""}), "\r\n");
    EXPECT_EQ(JoinLines(Lines{"C:\\a.txt", "C:\\b.txt"}), "C:\\a.txt\r\nC:\\b.txt\r\n");
}

TEST(JoinLines, SplitGivesTheLinesBack) {
    const Lines lines = {"", "a", "", "", "b c", ""};
    EXPECT_EQ(SplitLines(std::string_view(JoinLines(lines))), lines);
}

} // namespace
} // namespace filelist
