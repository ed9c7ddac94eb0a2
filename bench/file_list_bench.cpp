// How the file list scales: appending 100,000 and 1,000,000 paths and showing the count, and
// sorting 100,000, each against a plain vector doing the same work in the same run; undoing
// the clearing of 1,000,000 against the clearing itself; removing 100,000 selected of 1,000,000
// against a vector's erase-remove of the same; and the memory the list holds per path beyond the
// paths' own characters.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "bench_support.h"
#include "win/application.h"

namespace {

using bench::Clock;
using bench::MakePaths;
using bench::PrivateBytes;
using bench::Seconds;

int CompareTexts(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, a.c_str(), static_cast<int>(a.size()),
                            b.c_str(), static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

void BenchAppend(win::Application& app, size_t count) {
    std::vector<std::wstring> paths = MakePaths(count);
    size_t characters = 0;
    for (const std::wstring& p : paths)
        characters += (p.size() + 1) * sizeof(wchar_t);

    // The best of three rounds of each, so a stray page-in does not decide the ratio.
    double baseline = 1e9;
    double list = 1e9;
    double view = 1e9; // of list: the count display and the first paint
    double overhead = 0;
    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        {
            std::vector<std::wstring> plain;
            for (const std::wstring& p : paths)
                plain.push_back(p);
            baseline = std::min(baseline, Seconds(start));
        }

        app::MainWindow mainWindow(app);
        ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
        ::UpdateWindow(mainWindow.Hwnd());
        size_t before = PrivateBytes();
        start = Clock::now();
        for (const std::wstring& p : paths)
            mainWindow.FileList().AppendPath(p);
        const auto appended = Clock::now();
        mainWindow.FileList().UpdateCountDisplay();
        ::UpdateWindow(mainWindow.Controls().listView);
        const double took = Seconds(start);
        if (took < list) {
            list = took;
            view = Seconds(appended);
        }
        size_t held = PrivateBytes() - before;
        overhead = (static_cast<double>(held) - static_cast<double>(characters)) /
                   static_cast<double>(count);
    }
    std::printf("append %7zu paths: list %8.1f ms, vector %8.1f ms, ratio %.2f (target <= 2); "
                "of the list's time, %.1f ms went to the count display and the first paint\n",
                count, list * 1000, baseline * 1000, list / baseline, view * 1000);
    std::printf("memory %7zu paths: paths' own %.1f MB, the list holds %.0f bytes a path beyond "
                "them (target <= 64)\n",
                count, characters / 1048576.0, overhead);
}

void BenchSort(win::Application& app, size_t count) {
    std::vector<std::wstring> paths = MakePaths(count);

    std::vector<std::wstring> plain = paths;
    auto start = Clock::now();
    std::sort(plain.begin(), plain.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareTexts(a, b) * -1 < 0;
    });
    double baseline = Seconds(start);

    app::MainWindow mainWindow(app);
    ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
    for (const std::wstring& p : paths)
        mainWindow.FileList().AppendPath(p);
    mainWindow.FileList().UpdateCountDisplay();
    // While the sort runs, another thread asks the window something every 10 ms.
    bench::LongestReply reply(app, mainWindow.Hwnd(), 10);
    start = Clock::now();
    mainWindow.FileList().SortByColumn(0);
    app.PumpUntil([&] { return !mainWindow.FileList().Sorting(); }, 600000);
    ::UpdateWindow(mainWindow.Controls().listView);
    double list = Seconds(start);
    const double longestReply = reply.Stop();
    bool same = mainWindow.FileList().AllPaths() == plain;
    std::printf("sort   %7zu paths: list %8.1f ms, std::sort %8.1f ms, ratio %.2f (target <= 1.5); "
                "the window's longest reply meanwhile %.1f ms (target <= 100)%s\n",
                count, list * 1000, baseline * 1000, list / baseline, longestReply,
                same ? "" : "  ORDER DIFFERS");
}

void BenchUndoClear(win::Application& app, size_t count) {
    const std::vector<std::wstring> paths = MakePaths(count);
    app::MainWindow mainWindow(app);
    ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
    for (const std::wstring& p : paths)
        mainWindow.FileList().AppendPath(p);
    mainWindow.FileList().UpdateCountDisplay();
    ::UpdateWindow(mainWindow.Controls().listView);
    auto start = Clock::now();
    mainWindow.RunCommand(intake::kIdClearList);
    ::UpdateWindow(mainWindow.Controls().listView);
    const double clear = Seconds(start);
    start = Clock::now();
    mainWindow.RunCommand(filelist::kIdUndo);
    ::UpdateWindow(mainWindow.Controls().listView);
    const double undo = Seconds(start);
    const bool same = mainWindow.FileList().AllPaths() == paths;
    std::printf("undo of clearing %7zu paths: undo %8.2f ms, clear %8.2f ms, ratio %.2f "
                "(target <= 2)%s\n",
                count, undo * 1000, clear * 1000, undo / clear, same ? "" : "  LIST DIFFERS");
}

void BenchRemoveSelected(win::Application& app, size_t count, size_t every) {
    const std::vector<std::wstring> paths = MakePaths(count);
    std::vector<char> chosen(count);
    for (size_t i = 0; i < count; i += every)
        chosen[i] = 1;
    // The best of three rounds of each, as for the appends: a stray page-in or the existence
    // check's worker does not decide the ratio.
    double baseline = 1e9, removal = 1e9, selectAll = 1e9;
    bool same = true;
    size_t selected = 0;
    for (int round = 0; round < 3; ++round) {
        std::vector<std::wstring> plain = paths;
        auto start = Clock::now();
        // remove_if reads each element at its first place, before anything is moved onto it.
        plain.erase(
            std::remove_if(plain.begin(), plain.end(),
                           [&](const std::wstring& p) { return chosen[&p - plain.data()]; }),
            plain.end());
        baseline = std::min(baseline, Seconds(start));

        app::MainWindow mainWindow(app);
        ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
        filelist::FileList& list = mainWindow.FileList();
        for (const std::wstring& p : paths)
            list.AppendPath(p);
        list.UpdateCountDisplay();
        HWND view = mainWindow.Controls().listView;
        start = Clock::now();
        list.SelectAll();
        ::UpdateWindow(view);
        selectAll = std::min(selectAll, Seconds(start));
        // The view's own notices tell the list what is selected, as a user's clicks would.
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        ::SendMessageW(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED;
        for (size_t i = 0; i < count; i += every)
            ::SendMessageW(view, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
        selected = list.SelectedCount();
        start = Clock::now();
        list.RemoveSelected();
        list.UpdateCountDisplay();
        ::UpdateWindow(view);
        removal = std::min(removal, Seconds(start));
        same = same && selected == (count + every - 1) / every && list.AllPaths() == plain;
    }
    std::printf("remove %zu selected of %zu paths: list %8.1f ms, vector erase-remove %8.1f ms, "
                "ratio %.2f (target <= 2)%s; Ctrl+A over them all %.1f ms\n",
                selected, count, removal * 1000, baseline * 1000, removal / baseline,
                same ? "" : "  LIST DIFFERS", selectAll * 1000);
}

} // namespace

int main(int argc, char** argv) {
    // One measure alone, to repeat it: "append" or "undo".
    if (argc > 1 && std::string(argv[1]) == "append")
        return bench::Run([](win::Application& app) { BenchAppend(app, 1000000); });
    if (argc > 1 && std::string(argv[1]) == "undo")
        return bench::Run([](win::Application& app) { BenchUndoClear(app, 1000000); });
    if (argc > 1 && std::string(argv[1]) == "remove-selected")
        return bench::Run([](win::Application& app) { BenchRemoveSelected(app, 1000000, 10); });
    return bench::Run([](win::Application& app) {
        BenchAppend(app, 100000);
        BenchAppend(app, 1000000);
        BenchSort(app, 100000);
        BenchSort(app, 1000000);
        BenchUndoClear(app, 1000000);
        BenchRemoveSelected(app, 1000000, 10);
    });
}
