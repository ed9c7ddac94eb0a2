// How lists come in and go out at scale, each against a plain baseline in the same run:
// a drop of 100,000 paths on the drop zone (against reading the same drop into a vector),
// a 1,000,000-line list file dropped on the list (against reading its bytes and splitting
// them), and saving that list again (against joining the same lines and writing the bytes).
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "../tests/win/drop_builder.h"
#include "app/main_window.h"
#include "bench_support.h"
#include "filelist/line_format.h"
#include "win/application.h"
#include "win/codepage.h"
#include "win/dialogs.h"

namespace {

using bench::Clock;
using bench::LongestReply;
using bench::MakePaths;
using bench::Seconds;

using tuckbay::test::BuildDrop;
// The baseline reader: one pass over the drop's memory into a vector.
std::vector<std::wstring> ReadDropPlainly(HDROP drop) {
    std::vector<std::wstring> paths;
    auto* header = static_cast<const DROPFILES*>(::GlobalLock(drop));
    auto* at =
        reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(header) + header->pFiles);
    while (*at) {
        size_t length = wcslen(at);
        paths.emplace_back(at, length);
        at += length + 1;
    }
    ::GlobalUnlock(drop);
    return paths;
}

class SaveAnswer : public win::SystemDialogs {
public:
    std::optional<std::wstring> AskSaveFileName(HWND, const std::wstring&,
                                                const std::wstring&) override {
        return path;
    }
    std::wstring path;
};

std::wstring TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    return base;
}

void WriteBytes(const std::wstring& file, const std::string& bytes) {
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
}

std::string ReadBytes(const std::wstring& file) {
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    LARGE_INTEGER size{};
    ::GetFileSizeEx(h, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ::ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(h);
    return bytes;
}

// Posts the drop to the zone as the platform would and runs the program's loop until the
// count display shows expected.
double TimeDrop(win::Application& app, app::MainWindow& mainWindow, HWND zone, HDROP drop,
                size_t expected) {
    auto start = Clock::now();
    ::PostMessageW(zone, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    app.PumpUntil(
        [&] {
            return mainWindow.FileList().Count() == expected && !mainWindow.Part<filelist::ListPart>().Reader().Running();
        },
        600000);
    ::UpdateWindow(mainWindow.Controls().listView);
    return Seconds(start);
}

void BenchDrop(win::Application& app, size_t count) {
    std::vector<std::wstring> paths = MakePaths(count);
    double baseline = 1e9, intake = 1e9;
    for (int round = 0; round < 3; ++round) {
        HDROP drop = BuildDrop(paths);
        auto start = Clock::now();
        std::vector<std::wstring> read = ReadDropPlainly(drop);
        baseline = std::min(baseline, Seconds(start));
        ::GlobalFree(drop);

        app::MainWindow mainWindow(app);
        ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
        ::UpdateWindow(mainWindow.Hwnd());
        intake = std::min(intake, TimeDrop(app, mainWindow, mainWindow.Controls().dropZone->Hwnd(),
                                           BuildDrop(paths), count));
        if (mainWindow.FileList().AllPaths() != read)
            std::printf("  PATHS DIFFER\n");
    }
    std::printf("drop   %7zu paths on the drop zone: intake %8.1f ms, plain read %8.1f ms, "
                "ratio %.2f (target <= 2)\n",
                count, intake * 1000, baseline * 1000, intake / baseline);
}

// Why the drop is not read with DragQueryFile: it walks the list from the start for every
// index, so its cost grows with the square of the drop's size.
void BenchDragQueryFile(size_t count) {
    std::vector<std::wstring> paths = MakePaths(count);
    HDROP drop = BuildDrop(paths);
    auto start = Clock::now();
    std::vector<std::wstring> read;
    UINT n = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
        UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length, L'\0');
        ::DragQueryFileW(drop, i, path.data(), length + 1);
        read.push_back(std::move(path));
    }
    double query = Seconds(start);
    start = Clock::now();
    std::vector<std::wstring> plain = ReadDropPlainly(drop);
    double baseline = Seconds(start);
    ::GlobalFree(drop);
    std::printf("(for comparison) DragQueryFileW %zu paths: %8.1f ms, one pass %6.1f ms\n", count,
                query * 1000, baseline * 1000);
}

void BenchListFile(win::Application& app, size_t count) {
    std::vector<std::wstring> paths = MakePaths(count);
    std::wstring folder = TempFolder();
    std::wstring listFile = folder + L"tuckbay-bench.lst";
    std::wstring savedFile = folder + L"tuckbay-bench-saved.lst";
    std::vector<std::string> narrow;
    narrow.reserve(count);
    for (const std::wstring& p : paths)
        narrow.push_back(win::ToCodePage(p));
    const std::string bytes = filelist::JoinLines(narrow);
    WriteBytes(listFile, bytes);

    SaveAnswer dialogs;
    dialogs.path = savedFile;
    app.SetDialogs(&dialogs);

    double readBaseline = 1e9, readIntake = 1e9, saveBaseline = 1e9, save = 1e9, longest = 0;
    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        std::vector<std::string> lines =
            filelist::SplitLines(std::string_view(ReadBytes(listFile)));
        readBaseline = std::min(readBaseline, Seconds(start));

        start = Clock::now();
        WriteBytes(savedFile, filelist::JoinLines(lines));
        saveBaseline = std::min(saveBaseline, Seconds(start));
        ::DeleteFileW(savedFile.c_str());

        app::MainWindow mainWindow(app);
        ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
        ::UpdateWindow(mainWindow.Hwnd());
        LongestReply watch(app, mainWindow.Hwnd(), 10);
        readIntake =
            std::min(readIntake, TimeDrop(app, mainWindow, mainWindow.Controls().listArea->Hwnd(),
                                          BuildDrop({listFile}), count));
        longest = std::max(longest, watch.Stop());
        if (mainWindow.FileList().AllPaths() != paths)
            std::printf("  READ DIFFERS\n");

        start = Clock::now();
        mainWindow.RunCommand(filelist::kIdSaveList);
        save = std::min(save, Seconds(start));
        if (ReadBytes(savedFile) != bytes)
            std::printf("  SAVED FILE DIFFERS\n");
        ::DeleteFileW(savedFile.c_str());
    }
    app.SetDialogs(nullptr);
    ::DeleteFileW(listFile.c_str());
    std::printf("read   %7zu lines dropped on the list: intake %8.1f ms, read and split %8.1f ms, "
                "ratio %.2f (target <= 2)\n",
                count, readIntake * 1000, readBaseline * 1000, readIntake / readBaseline);
    std::printf(
        "read   %7zu lines: the window's longest reply meanwhile %6.1f ms (target <= 100)\n", count,
        longest);
    std::printf("save   %7zu lines: save %8.1f ms, join and write %8.1f ms, ratio %.2f "
                "(target <= 2)\n",
                count, save * 1000, saveBaseline * 1000, save / saveBaseline);
}

} // namespace

int main() {
    return bench::Run([](win::Application& app) {
        BenchDrop(app, 100000);
        BenchDragQueryFile(10000);
        BenchListFile(app, 1000000);
    });
}
