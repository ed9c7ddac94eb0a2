// The settings file against the real main window: what a first start writes, what a later
// start restores, and what happens when the file cannot be written.
#include <windows.h>

#include <string>

#include "file_bytes.h"
#include "filelist/kept_list.h"
#include "main_window_fixture.h"
#include "win/controls.h"

namespace tuckbay::test {
namespace {

std::string Decimal(long value) { return std::to_string(value); }

bool IsVisible(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

class Settings : public MainWindowTest {
protected:
    // Ends the program's window, which writes the settings, and starts it again.
    void Restart() {
        mainWindow.reset();
        MakeWindow();
    }
    void StartWith(const std::string& file) {
        mainWindow.reset();
        WriteBytes(settingsPath, file);
        MakeWindow();
    }
};

TEST_F(Settings, FirstStartIsCentredAndExitWritesAllEightKeysInOrder) {
    RECT r = WindowRect();
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((r.left + r.right) / 2, screenW / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, screenH / 2, 1);
    EXPECT_TRUE(IsTopmost());

    mainWindow.reset();
    EXPECT_EQ(ReadBytes(settingsPath),
              "[position]\r\nTop=" + Decimal(r.top) + "\r\nLeft=" + Decimal(r.left) +
                  "\r\n[size]\r\nFormWidth=" + Decimal(r.right - r.left) +
                  "\r\nFormHeight=" + Decimal(r.bottom - r.top) +
                  "\r\n[setting]\r\nTopmost=1\r\nfilelistvisible=1\r\ncandropfilelist=1\r\n"
                  "canctrlc=1\r\n");
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(Settings, PositionSizeAndSwitchesComeBackExactly) {
    ::SetWindowPos(mainWindow->Hwnd(), nullptr, 123, 77, 731, 342, SWP_NOZORDER);
    ::SendMessageW(mainWindow->Controls().topmostButton->Hwnd(), BM_CLICK, 0, 0);
    ::SendMessageW(mainWindow->Controls().allowListDropsBox, BM_CLICK, 0, 0);
    const RECT before = WindowRect();
    const int listWidth = win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width;
    Restart();
    const RECT after = WindowRect();
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left) << "the saved width is kept";
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width, listWidth);
    EXPECT_FALSE(IsTopmost());
    EXPECT_FALSE(mainWindow->Controls().topmostButton->Down());
    EXPECT_EQ(::SendMessageW(mainWindow->Controls().allowListDropsBox, BM_GETCHECK, 0, 0),
              BST_UNCHECKED);
    EXPECT_EQ(::SendMessageW(mainWindow->Controls().watchClipboardBox, BM_GETCHECK, 0, 0),
              BST_CHECKED);

    // And again, with nothing changed: the same values once more.
    Restart();
    const RECT third = WindowRect();
    EXPECT_TRUE(::EqualRect(&third, &after));
}

TEST_F(Settings, TopmostZeroStartsNotTopmost) {
    StartWith("[setting]\r\nTopmost=0\r\n");
    EXPECT_FALSE(IsTopmost());
    EXPECT_FALSE(mainWindow->Controls().topmostButton->Down());
    // A missing position section puts the window at the screen's corner.
    RECT r = WindowRect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
}

TEST_F(Settings, WordsTrueAndFalseReadAsTheDefault) {
    StartWith("[position]\r\nTop=0x10\r\nLeft=$20\r\n"
              "[setting]\r\nTopmost=false\r\nfilelistvisible=true\r\ncandropfilelist=yes\r\n");
    EXPECT_TRUE(IsTopmost());
    EXPECT_TRUE(mainWindow->Controls().topmostButton->Down());
    EXPECT_TRUE(IsVisible(mainWindow->Controls().listArea->Hwnd()));
    EXPECT_EQ(::SendMessageW(mainWindow->Controls().allowListDropsBox, BM_GETCHECK, 0, 0),
              BST_CHECKED);
    RECT r = WindowRect();
    EXPECT_EQ(r.top, 16);
    EXPECT_EQ(r.left, 32);
}

TEST_F(Settings, FileListHiddenStartsCompactAndStaysSo) {
    StartWith("[position]\r\nTop=40\r\nLeft=60\r\n[size]\r\nFormWidth=700\r\nFormHeight=320\r\n"
              "[setting]\r\nfilelistvisible=0\r\ncanctrlc=0\r\n");
    EXPECT_FALSE(IsVisible(mainWindow->Controls().listArea->Hwnd()));
    EXPECT_FALSE(mainWindow->Controls().listAreaButton->Down());
    EXPECT_FALSE(::GetWindowLongW(mainWindow->Hwnd(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(::SendMessageW(mainWindow->Controls().watchClipboardBox, BM_GETCHECK, 0, 0),
              BST_UNCHECKED);
    // The list area kept a usable width for when it is shown again.
    EXPECT_GT(win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width, 100);
    const RECT compact = WindowRect();

    Restart();
    EXPECT_FALSE(IsVisible(mainWindow->Controls().listArea->Hwnd()));
    const RECT again = WindowRect();
    EXPECT_TRUE(::EqualRect(&again, &compact));
    mainWindow.reset();
    EXPECT_NE(ReadBytes(settingsPath).find("filelistvisible=0\r\n"), std::string::npos);
}

// A file that gives no usable width leaves the designed one, so the list is there to see,
// before and after a trip through compact mode.
TEST_F(Settings, NoUsableWidthKeepsTheDesignedListArea) {
    for (const char* size : {"", "[size]\r\nFormWidth=0\r\nFormHeight=320\r\n",
                             "[size]\r\nFormWidth=-40\r\nFormHeight=320\r\n"}) {
        SCOPED_TRACE(size);
        StartWith(std::string("[position]\r\nTop=40\r\nLeft=60\r\n") + size);
        EXPECT_TRUE(IsVisible(mainWindow->Controls().listArea->Hwnd()));
        EXPECT_EQ(win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width, 498);
        mainWindow->RunCommand(app::kIdListArea);
        mainWindow->RunCommand(app::kIdListArea);
        EXPECT_EQ(win::ChildBounds(mainWindow->Controls().listArea->Hwnd()).width, 498);
    }
}

TEST_F(Settings, OtherSectionsAndKeysSurvive) {
    StartWith("[notes]\r\nmine=\x93\xfa\x96\x7b\r\n[position]\r\nTop=50\r\nkeep=1\r\nLeft=70\r\n");
    mainWindow.reset();
    const std::string file = ReadBytes(settingsPath);
    EXPECT_EQ(
        file.rfind(
            "[notes]\r\nmine=\x93\xfa\x96\x7b\r\n[position]\r\nTop=50\r\nkeep=1\r\nLeft=70\r\n", 0),
        0u)
        << file;
}

TEST_F(Settings, OffScreenPositionIsBroughtBack) {
    StartWith(
        "[position]\r\nTop=5000\r\nLeft=-7000\r\n[size]\r\nFormWidth=700\r\nFormHeight=320\r\n");
    RECT r = WindowRect();
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(r.right - r.left, 700);
}

TEST_F(Settings, UnwritableFileIsReportedAndTheWindowStillCloses) {
    mainWindow.reset();
    ::DeleteFileW(settingsPath.c_str());
    settingsPath += L".missing\\tuckbay2.ini";
    MakeWindow();
    HWND hwnd = mainWindow->Hwnd();
    mainWindow.reset();
    EXPECT_FALSE(::IsWindow(hwnd));
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], settingsPath + L" に書き込めません.");
}

// With "終了時にリストを保持" on, the list comes back after a restart exactly as it was, and the
// kept file holds the bytes a save of it would; turned off, the file goes at the next exit.
TEST_F(Settings, AKeptListComesBackAsItWasAndGoesWhenNoLongerKept) {
    using Paths = std::vector<std::wstring>;
    Paths million(1000000);
    for (size_t i = 0; i < million.size(); ++i)
        million[i] = L"C:\\kept\\" + std::to_wstring(i) + L".txt";
    const struct {
        const char* what;
        Paths paths;
    } cases[] = {
        {"empty entries and duplicates", {L"C:\\a.txt", L"", L"C:\\a.txt", L"", L"D:\\日本語.txt"}},
        {"names outside the code page", {L"C:\\한국어.txt", L"C:\\emoji\U0001F600.txt", L""}},
        {"a million entries", million},
    };
    const std::wstring kept = filelist::KeptListPath(settingsPath);
    const std::wstring saved = kept + L".saved.lst";
    for (const auto& [what, paths] : cases) {
        SCOPED_TRACE(what);
        List().Clear();
        for (const std::wstring& path : paths)
            List().AppendPath(path);
        List().UpdateCountDisplay();
        if (!(::GetMenuState(mainWindow->Controls().mainMenu, filelist::kIdKeepList, MF_BYCOMMAND) &
              MF_CHECKED))
            mainWindow->RunCommand(filelist::kIdKeepList);
        Restart();
        EXPECT_TRUE(dialogs.errors.empty());
        EXPECT_TRUE(List().AllPaths() == paths) << List().Count() << " entries came back";
        EXPECT_EQ(CountText(), std::to_wstring(paths.size()));
        dialogs.saveAnswer = saved;
        ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, filelist::kIdSaveList, 0);
        EXPECT_EQ(ReadBytes(kept), ReadBytes(saved));
    }
    ::DeleteFileW(saved.c_str());

    mainWindow->RunCommand(filelist::kIdKeepList);
    Restart();
    EXPECT_EQ(List().Count(), 0u);
    EXPECT_EQ(::GetFileAttributesW(kept.c_str()), INVALID_FILE_ATTRIBUTES);
    mainWindow.reset();
    EXPECT_NE(ReadBytes(settingsPath).find("canctrlc=1\r\nkeeplist=0\r\n"), std::string::npos);
    EXPECT_TRUE(dialogs.errors.empty());
}

} // namespace
} // namespace tuckbay::test
