// A long session through the real main window: N cycles (the first argument, 10,000 by default;
// "nosort" or "noclipboard" after it leave those steps out)
// of dropping 100 real files on the drop zone, sorting, exporting to the clipboard, importing
// from it and clearing. Prints the process's memory and its GDI, USER and kernel handle counts
// at the start, after the first cycle and at the end, and the time of the last hundred cycles
// against the first hundred: a leak shows as growth in either.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>
#include <shellapi.h>
#include <winternl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../tests/win/drop_builder.h"
#include "app/main_window.h"
#include "win/application.h"
#include "win/codepage.h"
#include "win/dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Usage {
    size_t workingSetKb = 0;
    size_t privateKb = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD kernel = 0;
    DWORD kernelProbed = 0; // open handles found one by one
    long gdiProbed = -1;    // GDI objects found in the handle table; -1 when it can't be read
    DWORD windows = 0;      // windows of this thread, children included
};

// Wine answers GetProcessHandleCount and GetGuiResources with 0, so the handles are also
// counted directly: every value the handle table could hold is asked about.
DWORD ProbeKernelHandles() {
    DWORD open = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 0x40000; value += 4)
        open += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    return open;
}

// The process's GDI handle table, as the PEB points to it (GdiSharedHandleTable, at 0xF8 in a
// 64-bit PEB): one 24-byte entry per handle slot. Windows shares one table between processes and
// records each entry's owner; Wine gives each process a table of its own and leaves the owner 0.
struct GdiHandleEntry {
    unsigned long long object;
    unsigned short owner;
    unsigned short count;
    unsigned short unique; // bit 7: a stock object
    unsigned char type;    // 0: free
    unsigned char flags;
    unsigned long long user;
};
static_assert(sizeof(GdiHandleEntry) == 24);

long CountGdiEntries() {
    static_assert(sizeof(void*) == 8, "the table's place is that of a 64-bit PEB");
    PROCESS_BASIC_INFORMATION basic{};
    if (::NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &basic,
                                    sizeof basic, nullptr) != 0)
        return -1;
    const auto* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + 0xF8);
    if (!table)
        return -1;
    const auto self = static_cast<unsigned short>(::GetCurrentProcessId());
    long count = 0;
    for (int i = 0; i < 0x10000; ++i) {
        const GdiHandleEntry& entry = table[i];
        count += entry.type != 0 && (entry.unique & 0x80) == 0 &&
                 (entry.owner == self || entry.owner == 0);
    }
    return count;
}

// The count is trusted only if it sees objects come and go: 16 brushes made and deleted must
// move it by exactly 16 and back.
long ProbeGdiObjects() {
    const long before = CountGdiEntries();
    if (before < 0)
        return -1;
    HBRUSH brushes[16];
    for (HBRUSH& brush : brushes)
        brush = ::CreateSolidBrush(RGB(1, 2, 3));
    const long during = CountGdiEntries();
    for (HBRUSH brush : brushes)
        ::DeleteObject(brush);
    return during == before + 16 && CountGdiEntries() == before ? before : -1;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    ::EnumChildWindows(hwnd, CountChild, count);
    return TRUE;
}

DWORD CountWindows() {
    DWORD count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

Usage Measure() {
    Usage usage;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(),
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                               sizeof memory)) {
        usage.workingSetKb = memory.WorkingSetSize / 1024;
        usage.privateKb = (memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / 1024;
    }
    usage.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    usage.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    ::GetProcessHandleCount(::GetCurrentProcess(), &usage.kernel);
    usage.kernelProbed = ProbeKernelHandles();
    usage.gdiProbed = ProbeGdiObjects();
    usage.windows = CountWindows();
    return usage;
}

void Print(const char* when, const Usage& u) {
    std::printf("%-14s working set %7zu KB, private %7zu KB, GDI %4lu, USER %4lu, kernel %4lu "
                "(probed: GDI objects %4ld, kernel handles %4lu, windows %3lu)\n",
                when, u.workingSetKb, u.privateKb, static_cast<unsigned long>(u.gdi),
                static_cast<unsigned long>(u.user), static_cast<unsigned long>(u.kernel),
                u.gdiProbed, static_cast<unsigned long>(u.kernelProbed),
                static_cast<unsigned long>(u.windows));
}

// Every box the program would show is counted instead: a soak must run unattended.
class CountingDialogs : public win::Dialogs {
public:
    void ShowMessage(HWND, const std::wstring&) override { ++shown; }
    void ShowError(HWND, const std::wstring&) override { ++shown; }
    bool Confirm(HWND, const std::wstring&) override { return ++shown, false; }
    std::optional<std::wstring> AskSaveFileName(HWND, const std::wstring&,
                                                const std::wstring&) override {
        ++shown;
        return std::nullopt;
    }
    void ShowWarningAt(HWND, const std::wstring&, const std::wstring&, POINT) override { ++shown; }
    int shown = 0;
};

std::wstring MakeFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    std::wstring folder =
        std::wstring(base) + L"tuckbay-soak-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// 100 files that exist, so that the import takes every exported line back.
std::vector<std::wstring> MakeFiles(const std::wstring& folder) {
    std::vector<std::wstring> files;
    for (int i = 0; i < 100; ++i) {
        // Numbered backwards, so that the sort has work to do.
        std::wstring file = folder + L"\\file " + std::to_wstring(1000 - i) + L".txt";
        HANDLE h =
            ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::CloseHandle(h);
        files.push_back(file);
    }
    return files;
}

void RemoveFolder(const std::wstring& folder, const std::vector<std::wstring>& files,
                  const std::wstring& settings) {
    for (const std::wstring& file : files)
        ::DeleteFileW(file.c_str());
    ::DeleteFileW(settings.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

// One cycle; false when a step did not have its effect in time.
// The steps to run, all by default: a leak is found by leaving steps out.
struct Steps {
    bool sort = true;
    bool clipboard = true; // export and import
};

bool Cycle(win::Application& app, app::MainWindow& mainWindow,
           const std::vector<std::wstring>& files, Steps steps) {
    filelist::FileList& list = mainWindow.FileList();
    ::PostMessageW(mainWindow.Controls().dropZone->Hwnd(), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(tuckbay::test::BuildDrop(files)), 0);
    if (!app.PumpUntil([&] { return list.Count() == files.size(); }, 10000))
        return false;
    if (steps.sort)
        mainWindow.FileList().SortByColumn(0);
    if (steps.clipboard) {
        ::SendMessageW(mainWindow.Hwnd(), WM_COMMAND, filelist::kIdCopyListAsText, 0);
        ::SendMessageW(mainWindow.Hwnd(), WM_COMMAND, filelist::kIdAddFromClipboardText, 0);
        if (list.Count() != 2 * files.size())
            return false;
    }
    ::SendMessageW(mainWindow.Controls().clearListButton->Hwnd(), BM_CLICK, 0, 0);
    // Whatever the clipboard notices and the view's repaints queued goes through the loop too.
    app.PumpUntil([] { return false; }, 0);
    return list.Count() == 0;
}

// The same clipboard traffic as an export and an import, made by plain calls from a window
// of ours: what the platform itself keeps per cycle, to hold the program's figures against.
bool BaselineCycle(win::Application& app, HWND owner, const std::wstring& text,
                   const std::string& bytes) {
    auto put = [](UINT format, const void* data, size_t size) {
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(::GlobalLock(memory), data, size);
        ::GlobalUnlock(memory);
        if (!::SetClipboardData(format, memory))
            ::GlobalFree(memory);
    };
    if (!::OpenClipboard(owner))
        return false;
    ::EmptyClipboard();
    put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    put(CF_TEXT, bytes.c_str(), bytes.size() + 1);
    ::CloseClipboard();
    if (!::OpenClipboard(owner))
        return false;
    bool read = false;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        read = std::wstring(static_cast<const wchar_t*>(::GlobalLock(data))) == text;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    app.PumpUntil([] { return false; }, 0);
    return read;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const long cycles = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 10000;
    Steps steps;
    bool baseline = false;
    // A second argument leaves steps out: "nosort", "noclipboard"; "baseline" runs only the
    // plain clipboard calls of BaselineCycle.
    for (int i = 2; i < argc; ++i) {
        baseline = baseline || std::wstring(argv[i]) == L"baseline";
        steps.sort = steps.sort && std::wstring(argv[i]) != L"nosort";
        steps.clipboard = steps.clipboard && std::wstring(argv[i]) != L"noclipboard";
    }
    ::LocalFree(argv);
    if (cycles < 200) {
        std::printf("soak: give at least 200 cycles\n");
        return 2;
    }

    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    int result = 0;
    {
        const std::wstring folder = MakeFolder();
        const std::vector<std::wstring> files = MakeFiles(folder);
        const std::wstring settings = folder + L"\\tuckbay2.ini";
        CountingDialogs dialogs;
        win::Application app(L"Tuckbay");
        app.SetDialogs(&dialogs);
        {
            app::MainWindow mainWindow(app, settings);
            ::ShowWindow(app.Handle(), SW_SHOWNOACTIVATE);
            ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
            app.PumpUntil([] { return false; }, 100);

            std::wstring baselineText;
            for (const std::wstring& file : files)
                baselineText += file + L"\r\n";
            const std::string baselineBytes = win::ToCodePage(baselineText);
            const Usage start = Measure();
            Usage warm;
            double first = 0, last = 0;
            for (long i = 0; i < cycles; ++i) {
                const auto begin = Clock::now();
                if (baseline ? !BaselineCycle(app, mainWindow.Hwnd(), baselineText, baselineBytes)
                             : !Cycle(app, mainWindow, files, steps)) {
                    std::printf("soak: cycle %ld did not finish (count %zu)\n", i + 1,
                                mainWindow.FileList().Count());
                    result = 1;
                    break;
                }
                const double took = std::chrono::duration<double>(Clock::now() - begin).count();
                if (i == 0)
                    warm = Measure();
                if (i < 100)
                    first += took;
                if (i >= cycles - 100)
                    last += took;
                if ((i + 1) % 1000 == 0)
                    std::fflush(stdout);
            }
            const Usage end = Measure();
            if (baseline)
                std::printf("soak: %ld cycles of plain clipboard calls (baseline)\n", cycles);
            else
                std::printf("soak: %ld cycles of drop 100%s%s, clear\n", cycles,
                            steps.sort ? ", sort" : "", steps.clipboard ? ", export, import" : "");
            Print("start", start);
            Print("after cycle 1", warm);
            Print("end", end);
            std::printf("growth after cycle 1: working set %+lld KB, private %+lld KB, GDI %+ld, "
                        "USER %+ld, kernel %+ld, probed GDI objects %+ld, kernel handles %+ld, "
                        "windows %+ld (target: noise)\n",
                        static_cast<long long>(end.workingSetKb) -
                            static_cast<long long>(warm.workingSetKb),
                        static_cast<long long>(end.privateKb) -
                            static_cast<long long>(warm.privateKb),
                        static_cast<long>(end.gdi) - static_cast<long>(warm.gdi),
                        static_cast<long>(end.user) - static_cast<long>(warm.user),
                        static_cast<long>(end.kernel) - static_cast<long>(warm.kernel),
                        end.gdiProbed - warm.gdiProbed,
                        static_cast<long>(end.kernelProbed) - static_cast<long>(warm.kernelProbed),
                        static_cast<long>(end.windows) - static_cast<long>(warm.windows));
            std::printf(
                "time: last 100 cycles %.1f ms, first 100 %.1f ms, ratio %.2f (target ~1)\n",
                last * 1000, first * 1000, last / first);
            if (dialogs.shown != 0) {
                std::printf("soak: the program showed %d boxes\n", dialogs.shown);
                result = 1;
            }
        }
        app.SetDialogs(nullptr);
        RemoveFolder(folder, files, settings);
    }
    ::OleUninitialize();
    return result;
}
