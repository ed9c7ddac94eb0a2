// "ファイルとしてコピー(&C)" and "ファイルとして切り取り(&X)": the listed files on the clipboard as
// the shell's Copy and Cut put them there, read back by another process.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_support.h"
#include "main_window_fixture.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

using Texts = std::vector<std::wstring>;

class ClipboardFiles : public MainWindowTest {
protected:
    void Command(int id) {
        ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, id, 0);
        Pump([] { return false; }, 50);
    }
    void SetList(const Texts& paths) {
        List().Clear();
        for (const std::wstring& path : paths)
            List().AppendPath(path);
        List().UpdateCountDisplay();
    }
    bool CapturePanelShown() const {
        return ::IsWindowVisible(mainWindow->Controls().capturePanel->Hwnd()) != FALSE;
    }
};

TEST_F(ClipboardFiles, AnotherProgramPastesEveryListedFileAndOurCaptureStaysQuiet) {
    const std::wstring test = win::ProgramPath();
    const std::wstring program = win::BesideProgram(L"tuckbay.exe");
    const struct {
        int command;
        const wchar_t* effect;
    } cases[] = {{app::kIdCopyFiles, L"effect 5"}, {app::kIdCutFiles, L"effect 2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        SetList({program, test, program});
        Command(c.command);
        EXPECT_FALSE(CapturePanelShown());
        EXPECT_EQ(ReadFilesFromHelper(),
                  (Texts{c.effect, L"hdrop " + program, L"hdrop " + test, L"hdrop " + program,
                         L"idlist " + program, L"idlist " + test, L"idlist " + program}));
        // Another program's copy right after is captured as ever.
        ASSERT_EQ(PutFilesFromHelper(L"copy", {test}), 0u);
        EXPECT_TRUE(Pump([&] { return CapturePanelShown(); }));
        ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, intake::kIdBackToList, 0);
    }
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(ClipboardFiles, MissingFilesAreNamedAndTheClipboardKeepsWhatItHad) {
    Texts listed{win::ProgramPath()};
    for (int i = 0; i < 12; ++i)
        listed.push_back(L"C:\\gone\\f" + std::to_wstring(i) + L".txt");
    SetList(listed);
    PutText(mainWindow->Hwnd(), L"kept");
    Command(app::kIdCopyFiles);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    const std::wstring& text = dialogs.errors[0];
    for (int i = 0; i < 10; ++i)
        EXPECT_NE(text.find(L"\"C:\\gone\\f" + std::to_wstring(i) + L".txt\""), std::wstring::npos);
    EXPECT_EQ(text.find(L"f10.txt"), std::wstring::npos);
    EXPECT_NE(text.find(L"ほか 2 件"), std::wstring::npos) << text;
    EXPECT_EQ(ReadFilesFromHelper(), Texts{});
    EXPECT_FALSE(CapturePanelShown());
}

TEST_F(ClipboardFiles, AnEmptyListSaysSoAsAnExportDoes) {
    SetList({});
    Command(app::kIdCutFiles);
    EXPECT_EQ(dialogs.messages, Texts{L"ファイルリストが空です"});
}

} // namespace
} // namespace tuckbay::test
