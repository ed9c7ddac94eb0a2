// The main window as the program makes it, in the test process: the application object,
// MainWindow shown on the virtual display, and scripted boxes in place of the system's.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "drop_builder.h"
#include "win/application.h"
#include "win/codepage.h"
#include "win/dialogs.h"

namespace tuckbay::test {

// Records every box the program asks for and answers confirmations from a script.
class ScriptedDialogs : public win::Dialogs {
public:
    void ShowMessage(HWND, const std::wstring& text) override { messages.push_back(text); }
    void ShowError(HWND, const std::wstring& text) override {
        errors.push_back(text);
        if (whileShown)
            whileShown();
    }
    bool Confirm(HWND, const std::wstring& question) override {
        questions.push_back(question);
        if (confirmAnswers.empty()) {
            ADD_FAILURE() << "unexpected confirmation";
            return false;
        }
        bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    std::optional<std::wstring> AskSaveFileName(HWND, const std::wstring& fileName,
                                                const std::wstring& filter) override {
        offeredNames.push_back(fileName);
        offeredFilter = filter;
        return saveAnswer;
    }
    void ShowWarningAt(HWND owner, const std::wstring& caption, const std::wstring& text,
                       POINT topLeft) override {
        warnings.push_back({caption, text, topLeft,
                            (::GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0});
        if (whileShown)
            whileShown();
    }

    struct Warning {
        std::wstring caption;
        std::wstring text;
        POINT topLeft;
        bool ownerTopmost; // while the box was open
    };

    std::vector<std::wstring> messages;
    std::vector<std::wstring> errors;
    std::vector<std::wstring> questions;
    std::deque<bool> confirmAnswers;
    std::vector<std::wstring> offeredNames; // by the save dialog
    std::wstring offeredFilter;
    std::optional<std::wstring> saveAnswer; // nothing: the user cancels
    std::vector<Warning> warnings;
    // Runs while an error or warning box is open, as the box's own loop runs the program's
    // messages meanwhile: a test waits there for what must come before the box.
    std::function<void()> whileShown;
};

// The box that refuses a file dropped on the list: its caption and text, and its top-left
// corner 16 pixels right of and above the main window's.
inline void ExpectRefusalWarning(const ScriptedDialogs::Warning& warning, const RECT& frame) {
    EXPECT_EQ(warning.caption, L"注意");
    EXPECT_EQ(warning.text, L"拡張子が.lstに限ります。");
    EXPECT_EQ(warning.topLeft.x, frame.left + 16);
    EXPECT_EQ(warning.topLeft.y, frame.top - 16);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<win::Application>(L"Tuckbay");
        app->SetDialogs(&dialogs);
        // Each test starts without a settings file of its own, as on a first start.
        wchar_t folder[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, folder);
        settingsPath = std::wstring(folder) + L"tuckbay_test_" +
                       std::to_wstring(::GetCurrentProcessId()) + L"_" +
                       std::to_wstring(::GetTickCount64()) + L".ini";
        ::DeleteFileW(settingsPath.c_str());
        MakeWindow();
    }

    void TearDown() override {
        mainWindow.reset();
        app.reset();
        ::DeleteFileW(settingsPath.c_str());
    }

    // Creates and shows the main window as the program does, reading settingsPath.
    void MakeWindow() {
        mainWindow = std::make_unique<app::MainWindow>(*app, settingsPath);
        mainWindow->TakeStartPaths({}); // started without paths
        ::ShowWindow(app->Handle(), SW_SHOWNOACTIVATE);
        ::ShowWindow(mainWindow->Hwnd(), SW_SHOW);
        ::SetForegroundWindow(mainWindow->Hwnd());
        Pump([] { return false; }, 50);
    }

    // Runs the program's own message handling until done() holds or the time is up.
    bool Pump(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
        return app->PumpUntil(done, timeoutMs);
    }
    // The same, as the input driver and the drag helper wait while they work.
    std::function<bool(const std::function<bool()>&, std::chrono::milliseconds)> AppPump() {
        return [this](const std::function<bool()>& done, std::chrono::milliseconds timeout) {
            return app->PumpUntil(done, static_cast<DWORD>(timeout.count()));
        };
    }

    // Posts a drop as the platform does and waits until the window has dealt with it: once
    // nothing for the zone is left in the queue.
    void DropOn(HWND zone, const std::vector<std::wstring>& paths, DWORD timeoutMs = 5000) {
        HDROP drop = BuildDrop(paths);
        ASSERT_TRUE(::PostMessageW(zone, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
        MSG left{};
        ASSERT_TRUE(Pump(
            [&] {
                return !::PeekMessageW(&left, zone, WM_DROPFILES, WM_DROPFILES, PM_NOREMOVE) &&
                       !mainWindow->Part<filelist::ListPart>().Reader().Running();
            },
            timeoutMs));
    }

    filelist::FileList& List() { return mainWindow->FileList(); }

    // A click on the column's header as the list hears it, and the wait for its sort to end.
    void SortAndWait(int column) {
        List().SortByColumn(column);
        EXPECT_TRUE(Pump([&] { return !List().Sorting(); }));
    }

    void Append(const std::vector<std::wstring>& paths) {
        for (const std::wstring& p : paths)
            List().AppendPath(p);
        List().UpdateCountDisplay();
    }

    // What the list shows in a row's column.
    std::wstring ShownText(int row, int column) const {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        ::SendMessageW(mainWindow->Controls().listView, LVM_GETITEMTEXTW, row,
                       reinterpret_cast<LPARAM>(&item));
        return text;
    }

    std::wstring CountText() const { return StatusText(0); }
    // The status bar's second part: long work's progress, or what the last drag did.
    std::wstring Report() const { return StatusText(1); }
    std::wstring StatusText(int part) const {
        wchar_t buffer[256] = {};
        ::SendMessageW(mainWindow->Controls().statusBar, SB_GETTEXTW, part,
                       reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }

    // Exactly one error box was shown, its text beginning with start and going on with the
    // reason (the system's text) after it.
    void ExpectOneErrorWithReason(const std::wstring& start) {
        ASSERT_EQ(dialogs.errors.size(), 1u);
        const std::wstring& text = dialogs.errors[0];
        EXPECT_EQ(text.rfind(start, 0), 0u) << win::ToUtf8(text);
        EXPECT_GT(text.size(), start.size() + 1) << "the reason is missing: " << win::ToUtf8(text);
    }

    bool IsTopmost() const {
        return (::GetWindowLongW(mainWindow->Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }

    RECT WindowRect() const {
        RECT r{};
        ::GetWindowRect(mainWindow->Hwnd(), &r);
        return r;
    }

    // The state declared before the window, so that nothing the window does while it is
    // destroyed can reach freed memory.
    ScriptedDialogs dialogs;
    std::wstring settingsPath;
    std::unique_ptr<win::Application> app;
    std::unique_ptr<app::MainWindow> mainWindow;
};

// Records the shell requests the window makes instead of letting them open windows.
struct RecordingShell : win::ShellRequests {
    void ExecuteEx(const SHELLEXECUTEINFOW& r) override {
        properties.push_back(r.lpFile);
        owners.push_back(r.hwnd);
    }
    void StartProcess(const std::wstring&, const std::wstring& commandLine) override {
        commands.push_back(commandLine);
    }
    void Open(HWND owner, const std::wstring& verb, const std::wstring& file) override {
        opened.push_back(verb + L" " + file);
        owners.push_back(owner);
    }
    // Opened as by a double click, each recorded; those in refused fail as a file with no
    // program does.
    DWORD OpenWithDefault(HWND owner, const std::wstring& path) override {
        openedWithDefault.push_back(path);
        owners.push_back(owner);
        return std::find(refused.begin(), refused.end(), path) != refused.end()
                   ? ERROR_NO_ASSOCIATION
                   : 0;
    }
    std::vector<std::wstring> properties, commands, opened, openedWithDefault, refused;
    std::vector<HWND> owners; // of every request, in order
};

// The main window with its shell requests recorded.
class ShellRecordingTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        mainWindow->SetShellRequests(&shell);
    }
    void TearDown() override {
        mainWindow->SetShellRequests(nullptr);
        MainWindowTest::TearDown();
    }
    // Declared before the window goes, as the fixture's own state is.
    RecordingShell shell;
};

// The texts of the list view's items as the view itself reports them.
std::vector<std::wstring> ViewTexts(HWND listView);

} // namespace tuckbay::test
