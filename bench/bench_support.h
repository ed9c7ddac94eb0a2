// What the benchmarks share: a clock, paths of a typical shape, and the process set up as
// the program sets itself up.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_file.h"
#include "win/application.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Paths of a typical shape and length (about 60 characters), in no particular order; format
// takes the folder's number and the file's.
inline std::vector<std::wstring>
MakePaths(size_t count,
          const wchar_t* format = L"C:\\Users\\someone\\Documents\\Project %u\\report_%08u.docx") {
    std::vector<std::wstring> paths;
    paths.reserve(count);
    unsigned seed = 12345;
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        wchar_t buffer[128];
        std::swprintf(buffer, 128, format, (seed >> 8) % 97, seed >> 4);
        paths.emplace_back(buffer);
    }
    return paths;
}

// Committed private memory of the process, summed over its address space (the process
// counters are not kept by every platform this runs on).
inline size_t PrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const char* address = nullptr; ::VirtualQuery(address, &info, sizeof info) == sizeof info;
         address = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
        if (info.RegionSize == 0)
            break;
    }
    return total;
}

// Another thread asks the window something every few milliseconds and keeps the longest wait
// for its answer, until Stop (which answers its last question meanwhile).
class LongestReply {
public:
    LongestReply(win::Application& app, HWND window, int everyMs)
        : app_(app), thread_([this, window, everyMs] {
              while (!stop_) {
                  const auto asked = Clock::now();
                  DWORD_PTR result = 0;
                  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
                  longest_ = std::max(longest_.load(), Seconds(asked));
                  ::Sleep(static_cast<DWORD>(everyMs));
              }
              ended_ = true;
          }) {}
    ~LongestReply() { Stop(); }
    // The longest wait, in milliseconds.
    double Stop() {
        stop_ = true;
        app_.PumpUntil([this] { return ended_.load(); }, 20000);
        if (thread_.joinable())
            thread_.join();
        return longest_ * 1000;
    }

private:
    win::Application& app_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    std::atomic<double> longest_{0};
    std::thread thread_;
};

// Runs the benchmarks with OLE, the common controls and the application object in place.
inline int Run(const std::function<void(win::Application&)>& benchmarks) {
    // Each benchmark's windows start as at a first start: they keep their settings beside the
    // program, and a column one benchmark showed would otherwise be shown in the next.
    ::DeleteFileW(settings::SettingsPath().c_str());
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    {
        win::Application app(L"Tuckbay");
        benchmarks(app);
    }
    ::OleUninitialize();
    ::DeleteFileW(settings::SettingsPath().c_str());
    return 0;
}

} // namespace bench
