// The detail columns: reading the details of many files against listing their folders with
// FindFirstFileExW (the floor: one listing a folder); the window's longest reply while it scrolls
// through 1,000,000 entries with every column shown and their details loading; and the memory
// the details cost an entry.
//   scripts/bench details [files]   (files: how many real files to make, 100000 by default)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "bench_support.h"
#include "filelist/detail_reader.h"

namespace {

using bench::Clock;
using bench::Seconds;

constexpr size_t kFilesAFolder = 1000;

std::wstring MakeFiles(size_t count, std::vector<std::wstring>& files,
                       std::vector<std::wstring>& folders) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"tuckbay_details_bench";
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (size_t i = 0; i < count; ++i) {
        if (i % kFilesAFolder == 0) {
            folders.push_back(root + L"\\folder " + std::to_wstring(i / kFilesAFolder));
            ::CreateDirectoryW(folders.back().c_str(), nullptr);
        }
        files.push_back(folders.back() + L"\\file_" + std::to_wstring(i) + L".txt");
        if (::GetFileAttributesW(files.back().c_str()) != INVALID_FILE_ATTRIBUTES)
            continue; // made by an earlier run
        HANDLE h = ::CreateFileW(files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(h, "details", static_cast<DWORD>(i % 8), &written, nullptr);
        ::CloseHandle(h);
    }
    return root;
}

double ListFolders(const std::vector<std::wstring>& folders, size_t& found) {
    const auto start = Clock::now();
    found = 0;
    for (const std::wstring& folder : folders) {
        WIN32_FIND_DATAW data{};
        HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do
            ++found;
        while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    return Seconds(start);
}

void BenchReading(const std::vector<std::wstring>& files,
                  const std::vector<std::wstring>& folders) {
    std::vector<filelist::DetailQuestion> questions;
    for (size_t i = 0; i < files.size(); ++i)
        questions.push_back({static_cast<uint32_t>(i), i, files[i], {}});
    // Listed in no order of their folders, as a list gathered from many drops is.
    std::shuffle(questions.begin(), questions.end(), std::mt19937(7));
    size_t found = 0;
    ListFolders(folders, found); // the system's caches warm for both
    // The best of three rounds of each, so a stray stall of the machine does not decide it.
    double baseline = 1e9, read = 1e9;
    for (int round = 0; round < 3; ++round) {
        baseline = std::min(baseline, ListFolders(folders, found));
        for (filelist::DetailQuestion& q : questions)
            q.details = {};
        const auto start = Clock::now();
        filelist::ReadDetails(questions, [] { return true; });
        read = std::min(read, Seconds(start));
    }
    const size_t sized = static_cast<size_t>(
        std::count_if(questions.begin(), questions.end(), [](const filelist::DetailQuestion& q) {
            return q.details.Size().has_value();
        }));
    std::printf(
        "details of %zu files: read %.1f ms, FindFirstFileExW over their %zu folders %.1f ms "
        "(%zu names), ratio %.2f (target <= 1.5)%s\n",
        files.size(), read * 1000, folders.size(), baseline * 1000, found, read / baseline,
        sized == files.size() ? "" : "  SOME NOT READ");
}

const std::vector<filelist::ShownColumn> kEveryColumn = {
    {filelist::DetailColumn::Path, 300},     {filelist::DetailColumn::Name, 120},
    {filelist::DetailColumn::Folder, 150},   {filelist::DetailColumn::Size, 80},
    {filelist::DetailColumn::Modified, 120}, {filelist::DetailColumn::Type, 100}};

// The memory every column shown takes, the list as it is; the columns stay shown.
size_t ColumnsCost(win::Application& app, filelist::FileList& list) {
    const size_t before = bench::PrivateBytes();
    list.ShowColumns(kEveryColumn);
    app.PumpUntil([] { return false; }, 200);
    return bench::PrivateBytes() - before;
}

void BenchScrollAndMemory(win::Application& app, const std::vector<std::wstring>& files) {
    constexpr size_t kEntries = 1000000;
    app::MainWindow mainWindow(app);
    ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
    filelist::FileList& list = mainWindow.FileList();
    // What the columns take whatever the list's length (the readers' threads, the header) is
    // measured on an empty list and taken off: what is left is the entries' share.
    ColumnsCost(app, list); // the first time makes what stays made
    list.ShowColumns(filelist::DefaultColumns());
    const size_t emptyCost = ColumnsCost(app, list);
    list.ShowColumns(filelist::DefaultColumns());
    for (size_t i = 0; i < kEntries; ++i)
        list.AppendPath(files[i % files.size()]);
    list.UpdateCountDisplay();
    app.PumpUntil([] { return false; }, 100);
    const double detailBytes =
        static_cast<double>(ColumnsCost(app, list)) - static_cast<double>(emptyCost);

    bench::LongestReply reply(app, mainWindow.Hwnd(), 5);
    HWND view = mainWindow.Controls().listView;
    const auto start = Clock::now();
    constexpr int kSteps = 200;
    for (int step = 0; step <= kSteps; ++step) {
        ::SendMessageW(view, LVM_ENSUREVISIBLE, kEntries / kSteps * step - (step == kSteps), FALSE);
        ::UpdateWindow(view);
        app.PumpUntil([] { return false; }, 10);
    }
    const double took = Seconds(start);
    const double longestReply = reply.Stop();
    std::printf("scrolling %zu entries in %d steps with every column shown: %.1f s, the window's "
                "longest reply meanwhile %.1f ms (target <= 100)\n",
                kEntries, kSteps, took, longestReply);
    std::printf("memory: the details cost %.1f bytes an entry (target <= 24)\n",
                detailBytes / static_cast<double>(kEntries));
}

} // namespace

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    return bench::Run([count](win::Application& app) {
        std::vector<std::wstring> files, folders;
        const auto start = Clock::now();
        MakeFiles(count, files, folders);
        std::printf("made %zu files in %zu folders in %.1f s\n", files.size(), folders.size(),
                    Seconds(start));
        BenchReading(files, folders);
        BenchScrollAndMemory(app, files);
    });
}
