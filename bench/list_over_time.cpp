// The list over time: "存在しないファイルを削除" over 100,000 entries of which half are missing,
// against a plain loop asking the file system for each path and filtering a vector, with the
// GUI thread's longest stall meanwhile; and restoring a kept list of 1,000,000 entries against
// reading and splitting the file alone; and the program's end while checks hang.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench_support.h"
#include "filelist/kept_list.h"
#include "filelist/list_file.h"
#include "win/application.h"
#include "win/codepage.h"
#include "win/dialogs.h"
#include "win/error.h"

namespace {

using bench::Clock;
using bench::Seconds;

// The timer's longest lateness while the loop runs: how long the GUI thread was held up.
double longestStall = 0;
Clock::time_point lastTick;
constexpr UINT kTickMs = 10;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    auto now = Clock::now();
    longestStall = std::max(longestStall, Seconds(lastTick) - kTickMs / 1000.0);
    lastTick = now;
}

// Says yes to the question and counts the boxes.
struct YesDialogs : win::SystemDialogs {
    void ShowMessage(HWND, const std::wstring&) override { ++boxes; }
    void ShowError(HWND, const std::wstring&) override { ++boxes; }
    bool Confirm(HWND, const std::wstring&) override {
        ++boxes;
        stallBeforeQuestion = longestStall;
        return true;
    }
    double stallBeforeQuestion = 0;
    int boxes = 0;
};

std::wstring TempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    std::wstring folder = std::wstring(base) + name + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void BenchPrune(win::Application& app, size_t count) {
    // A thousand real files listed fifty times over, and as many names of files that are not there.
    const std::wstring folder = TempFolder(L"tuckbay-bench-prune-");
    std::vector<std::wstring> present;
    for (int i = 0; i < 1000; ++i) {
        std::wstring file = folder + L"\\present" + std::to_wstring(i) + L".txt";
        ::CloseHandle(
            ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        present.push_back(file);
    }
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < count; ++i) {
        paths.push_back(i % 2 ? folder + L"\\gone" + std::to_wstring(i) + L".txt"
                              : present[(i / 2) % present.size()]);
    }

    auto start = Clock::now();
    std::vector<std::wstring> kept;
    for (const std::wstring& p : paths)
        if (::GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES)
            kept.push_back(p);
    const double baseline = Seconds(start);

    YesDialogs dialogs;
    app.SetDialogs(&dialogs);
    double took = 0;
    bool same = false;
    {
        app::MainWindow mainWindow(app, folder + L"\\tuckbay2.ini");
        ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
        for (const std::wstring& p : paths)
            mainWindow.FileList().AppendPath(p);
        mainWindow.FileList().UpdateCountDisplay();
        app.PumpUntil([] { return false; }, 200);

        longestStall = 0;
        lastTick = Clock::now();
        UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs, Tick);
        start = Clock::now();
        ::PostMessageW(mainWindow.Hwnd(), WM_COMMAND, filelist::kIdRemoveMissing, 0);
        app.PumpUntil([&] { return dialogs.boxes > 0; }, 600000);
        took = Seconds(start);
        ::KillTimer(nullptr, timer);
        same = mainWindow.FileList().AllPaths() == kept;
    }
    app.SetDialogs(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::printf(
        "prune  %7zu entries, half missing: %8.1f ms, plain loop %8.1f ms, ratio %.2f "
        "(target <= 1.5); longest GUI stall %.1f ms (target < 50), before the question %.1f ms%s\n",
        count, took * 1000, baseline * 1000, took / baseline, longestStall * 1000,
        dialogs.stallBeforeQuestion * 1000, same ? "" : "  RESULT DIFFERS");
}

void BenchRestore(win::Application& app, size_t count) {
    const std::wstring folder = TempFolder(L"tuckbay-bench-kept-");
    const std::wstring file = folder + L"\\tuckbay2.lst";
    const std::vector<std::wstring> paths = bench::MakePaths(count);
    filelist::WriteListFile(file, paths);

    // The best of three rounds of each.
    double baseline = 1e9;
    double restore = 1e9;
    bool same = true;
    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        std::vector<std::wstring> read = filelist::ReadListFile(file);
        baseline = std::min(baseline, Seconds(start));

        // Settings of another name: this window's exit must not delete the list under test.
        app::MainWindow mainWindow(app, folder + L"\\bench.ini");
        start = Clock::now();
        filelist::RestoreKeptList(file, mainWindow.FileList());
        restore = std::min(restore, Seconds(start));
        same = same && mainWindow.FileList().AllPaths() == paths && read == paths;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::printf("restore %6zu entries: %8.1f ms, reading and splitting alone %8.1f ms, ratio %.2f "
                "(target <= 2)%s\n",
                count, restore * 1000, baseline * 1000, restore / baseline,
                same ? "" : "  RESULT DIFFERS");
}

// The program's end while checks hang in the file system, as on a dead network path: the list's
// own check of the rows on screen and "存在しないファイルを削除" both waiting.
void BenchExitWhileChecksHang(win::Application& app) {
    YesDialogs dialogs;
    app.SetDialogs(&dialogs);
    const std::wstring folder = TempFolder(L"tuckbay-bench-exit-");
    double took = 0;
    {
        auto mainWindow = std::make_unique<app::MainWindow>(app, folder + L"\\bench.ini");
        ::ShowWindow(mainWindow->Hwnd(), SW_SHOW);
        mainWindow->FileList().SetExistsFunction([](const std::wstring&) {
            ::Sleep(20000);
            return filelist::PathState{};
        });
        for (const std::wstring& p : bench::MakePaths(100))
            mainWindow->FileList().AppendPath(p);
        mainWindow->FileList().UpdateCountDisplay();
        ::UpdateWindow(mainWindow->Controls().listView);
        ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, filelist::kIdRemoveMissing, 0);
        app.PumpUntil([] { return false; }, 200);
        auto start = Clock::now();
        mainWindow.reset();
        took = Seconds(start);
    }
    app.SetDialogs(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::printf("exit with two checks hanging: %.1f ms (target < 1000)\n", took * 1000);
}

} // namespace

int main(int argc, char** argv) {
    // An optional entry count for the prune, for a quicker run on a slow file system.
    const size_t pruned = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    return bench::Run([pruned](win::Application& app) {
        try {
            BenchPrune(app, pruned);
            BenchRestore(app, 1000000);
            BenchExitWhileChecksHang(app);
        } catch (const win::Error& e) {
            std::printf("failed: %s (%ld)\n", win::ToUtf8(e.Text()).c_str(), e.Code());
        }
    });
}
