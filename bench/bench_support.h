// What the benchmarks share: a clock, paths of a typical shape, and the process set up as
// the program sets itself up.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "win/application.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Paths of a typical shape and length (about 60 characters), in no particular order.
inline std::vector<std::wstring> MakePaths(size_t count) {
    std::vector<std::wstring> paths;
    paths.reserve(count);
    unsigned seed = 12345;
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        wchar_t buffer[128];
        std::swprintf(buffer, 128, L"C:\\Users\\someone\\Documents\\Project %u\\report_%08u.docx",
                      (seed >> 8) % 97, seed >> 4);
        paths.emplace_back(buffer);
    }
    return paths;
}

// Runs the benchmarks with OLE, the common controls and the application object in place.
inline int Run(const std::function<void(win::Application&)>& benchmarks) {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    {
        win::Application app(L"Tuckbay");
        benchmarks(app);
    }
    ::OleUninitialize();
    return 0;
}

} // namespace bench
