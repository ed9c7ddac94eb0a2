// How soon a start with 300 paths on the command line shows them, against a start without
// paths followed by a drop of the same 300 paths on the drop zone, measured in the same run
// (median of five each). The program is a copy in a folder of its own, so that its settings
// are its own.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../tests/win/drop_builder.h"
#include "app/main_window.h"
#include "app/window_class.h"
#include "bench_support.h"
#include "win/program_path.h"

namespace {

namespace fs = std::filesystem;

HWND FindMainWindow(DWORD pid) {
    struct Search {
        DWORD pid;
        HWND found;
    } search{pid, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            wchar_t name[32] = {};
            ::GetWindowThreadProcessId(hwnd, &owner);
            ::GetClassNameW(hwnd, name, 32);
            if (owner == s->pid && std::wstring(name) == app::kMainWindowClass &&
                ::IsWindowVisible(hwnd)) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring CountShown(HWND main) {
    HWND status = ::FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
    wchar_t text[32] = {};
    if (status != nullptr)
        ::SendMessageTimeoutW(status, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                              1000, nullptr);
    return text;
}

// Starts the program and waits until its window shows the count; the seconds that took.
double StartUntilShown(const std::wstring& exe, const std::wstring& arguments,
                       const std::wstring& count) {
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION process{};
    const auto start = bench::Clock::now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &process))
        return -1;
    HWND main = nullptr;
    while (bench::Seconds(start) < 60) {
        if (main == nullptr)
            main = FindMainWindow(process.dwProcessId);
        if (main != nullptr && CountShown(main) == count)
            break;
        ::Sleep(1);
    }
    const double seconds = bench::Seconds(start);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return seconds;
}

// A drop of the paths on the drop zone of a main window in this process, until it is counted.
double DropUntilShown(win::Application& application, const std::vector<std::wstring>& paths) {
    app::MainWindow window(application,
                           (fs::temp_directory_path() / L"tuckbay_bench_drop.ini").wstring());
    HDROP global = tuckbay::test::BuildDrop(paths);
    const auto start = bench::Clock::now();
    ::PostMessageW(window.Controls().dropZone->Hwnd(), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(global), 0);
    application.PumpUntil([&] { return window.FileList().Count() == paths.size(); }, 30000);
    return bench::Seconds(start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    return bench::Run([](win::Application& application) {
        const fs::path folder = fs::temp_directory_path() / L"tuckbay_bench_start";
        fs::remove_all(folder);
        fs::create_directories(folder);
        const std::wstring exe = (folder / L"tuckbay.exe").wstring();
        fs::copy_file(win::BesideProgram(L"tuckbay.exe"), exe);
        std::vector<std::wstring> paths;
        std::wstring arguments;
        for (int i = 0; i < 300; ++i) {
            paths.push_back(L"C:\\" + std::wstring(88, L'd') + L"\\file" +
                            std::to_wstring(1000 + i) + L".txt");
            arguments += L"\"" + paths.back() + L"\" ";
        }
        std::vector<double> withPaths, withoutPaths, drops;
        for (int run = 0; run < 5; ++run) {
            withoutPaths.push_back(StartUntilShown(exe, L"", L"0"));
            drops.push_back(DropUntilShown(application, paths));
            withPaths.push_back(StartUntilShown(exe, arguments, L"300"));
        }
        const double baseline = Median(withoutPaths) + Median(drops);
        std::printf("command_line_start: 300 paths, %zu characters of command line\n",
                    exe.size() + arguments.size() + 3);
        std::printf("  start without paths       %9.1f ms\n", Median(withoutPaths) * 1000);
        std::printf("  300-path drop             %9.1f ms\n", Median(drops) * 1000);
        std::printf("  start with 300 paths      %9.1f ms\n", Median(withPaths) * 1000);
        std::printf("  ratio %.2fx (the goal: within 1.2x)\n", Median(withPaths) / baseline);
        fs::remove_all(folder);
    });
}
