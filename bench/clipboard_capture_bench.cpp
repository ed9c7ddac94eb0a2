// What capturing many copied files costs: reading the clipboard's file list with each path's
// length asked first, against reading into one fixed buffer; and the whole capture (notice,
// memo, registering its lines) against appending the same paths to the list directly.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/win/drop_builder.h"
#include "app/main_window.h"
#include "bench_support.h"
#include "intake/clipboard_drops.h"
#include "win/application.h"

namespace {

using bench::Clock;
using bench::MakePaths;
using bench::Seconds;

// Files on the clipboard as the shell puts them there. Owned by hwnd, so hwnd hears of it.
void PutFiles(HWND hwnd, const std::vector<std::wstring>& paths) {
    HGLOBAL global = tuckbay::test::BuildDrop(paths);
    ::OpenClipboard(hwnd);
    ::EmptyClipboard();
    ::SetClipboardData(CF_HDROP, global);
    ::CloseClipboard();
}

// How paths were read before: one buffer of fixed size, longer paths cut.
std::wstring ReadIntoFixedBuffer(HWND hwnd) {
    std::wstring files;
    ::OpenClipboard(hwnd);
    auto drop = static_cast<HDROP>(::GetClipboardData(CF_HDROP));
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    wchar_t buffer[761];
    for (UINT i = 0; i < count; ++i) {
        ::DragQueryFileW(drop, i, buffer, 761);
        if (i > 0)
            files += L"\r\n";
        files += buffer;
    }
    ::CloseClipboard();
    return files;
}

void Bench(win::Application& app, size_t count) {
    const std::vector<std::wstring> paths = MakePaths(count);
    double fixed = 1e9, asked = 1e9, direct = 1e9, capture = 1e9;
    bool same = true;
    // The best of three rounds of each, so a stray page-in does not decide the ratio.
    for (int round = 0; round < 3; ++round) {
        app::MainWindow mainWindow(app);
        ::SendMessageW(mainWindow.Controls().watchClipboardBox, BM_SETCHECK, BST_UNCHECKED, 0);
        PutFiles(mainWindow.Hwnd(), paths);

        auto start = Clock::now();
        const std::wstring baseline = ReadIntoFixedBuffer(mainWindow.Hwnd());
        fixed = std::min(fixed, Seconds(start));
        start = Clock::now();
        WORD effect = 0;
        std::wstring files;
        intake::GetClipboardFiles(mainWindow.Hwnd(), effect, files);
        asked = std::min(asked, Seconds(start));
        same = same && files == baseline;

        start = Clock::now();
        for (const std::wstring& p : paths)
            mainWindow.FileList().AppendPath(p);
        mainWindow.FileList().UpdateCountDisplay();
        direct = std::min(direct, Seconds(start));
        mainWindow.FileList().Clear();

        ::SendMessageW(mainWindow.Controls().watchClipboardBox, BM_SETCHECK, BST_CHECKED, 0);
        start = Clock::now();
        ::SendMessageW(mainWindow.Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
        ::SendMessageW(mainWindow.Controls().addCapturedButton, BM_CLICK, 0, 0);
        capture = std::min(capture, Seconds(start));
        same = same && mainWindow.FileList().AllPaths() == paths;
    }
    std::printf("read    %6zu paths: length asked %7.1f ms, fixed buffer %7.1f ms, ratio %.2f\n",
                count, asked * 1000, fixed * 1000, asked / fixed);
    std::printf("capture %6zu paths: notice + register %7.1f ms, direct append %7.1f ms, "
                "ratio %.1f%s\n",
                count, capture * 1000, direct * 1000, capture / direct,
                same ? "" : "  RESULTS DIFFER");
}

} // namespace

int main() {
    return bench::Run([](win::Application& app) {
        Bench(app, 1000);
        Bench(app, 10000);
    });
}
