// "「送る」メニューに登録": the shortcut in the Wine prefix's real Send To folder, read back with
// the shell link object.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/send_to.h"
#include "intake/shortcut.h"
#include "list_fixtures.h"
#include "main_window_fixture.h"
#include "win/error.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

TEST(SendTo, MakesReplacesOrKeepsTheTuckbayShortcut) {
    const std::wstring folder = app::SendToFolder();
    ASSERT_FALSE(folder.empty());
    const std::wstring link = folder + L"\\Tuckbay.lnk";
    const std::wstring program = win::ProgramPath();
    const std::wstring elsewhere = L"C:\\windows\\notepad.exe";
    const struct {
        const char* what;
        std::optional<std::wstring> before; // the shortcut's target beforehand, if there is one
        std::optional<bool> answer;         // to the question, if one is to be asked
        std::wstring message;
        std::wstring after;
    } cases[] = {
        {"none yet", std::nullopt, std::nullopt, L"「送る」メニューに登録しました", program},
        {"already here", program, std::nullopt, L"「送る」メニューには既に登録されています",
         program},
        {"elsewhere, kept", elsewhere, false, L"", elsewhere},
        {"elsewhere, replaced", elsewhere, true, L"「送る」メニューに登録しました", program},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::DeleteFileW(link.c_str());
        if (c.before)
            SaveShortcutTo(link, *c.before);
        ScriptedDialogs dialogs;
        if (c.answer)
            dialogs.confirmAnswers = {*c.answer};
        app::RegisterInSendTo(nullptr, dialogs, folder, program);
        EXPECT_EQ(dialogs.questions.size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(dialogs.questions[0], L"「送る」メニューの Tuckbay は " + elsewhere +
                                                L" を開きます。このプログラムに置き換えますか？");
        }
        EXPECT_EQ(dialogs.messages, c.message.empty() ? std::vector<std::wstring>{}
                                                      : std::vector<std::wstring>{c.message});
        EXPECT_EQ(intake::ResolveShortcut(link), c.after);
    }
    ::DeleteFileW(link.c_str());
}

TEST(SendTo, AFolderThatCannotTakeTheShortcutGivesTheReason) {
    ScriptedDialogs dialogs;
    try {
        app::RegisterInSendTo(nullptr, dialogs, L"C:\\no such folder\\SendTo", win::ProgramPath());
        ADD_FAILURE() << "no error";
    } catch (const win::Error& e) {
        const std::wstring start = L"「送る」メニューに登録できません。";
        EXPECT_EQ(e.Text().substr(0, start.size()), start);
        EXPECT_GT(e.Text().size(), start.size());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace tuckbay::test
