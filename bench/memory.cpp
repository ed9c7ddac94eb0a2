// The memory the file list holds for 1,000,000 paths beyond the paths' own UTF-16 characters,
// measured as the process's committed private memory before and after they are appended to the
// real window's list. Its last line is the figure: "bytes a path beyond its text: N".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench_support.h"
#include "win/application.h"

namespace {} // namespace

int main() {
    return bench::Run([](win::Application& app) {
        constexpr size_t kCount = 1000000;
        const std::vector<std::wstring> paths = bench::MakePaths(kCount);
        size_t text = 0;
        for (const std::wstring& p : paths)
            text += p.size() * sizeof(wchar_t);
        app::MainWindow mainWindow(app);
        ::ShowWindow(mainWindow.Hwnd(), SW_SHOW);
        // A row drawn first: what drawing text in the list's font takes (the font's caches) is
        // the window's, not the list's.
        mainWindow.FileList().AppendPath(paths.front());
        mainWindow.FileList().UpdateCountDisplay();
        ::UpdateWindow(mainWindow.Hwnd());
        app.PumpUntil([] { return false; }, 100);
        mainWindow.FileList().Clear();
        mainWindow.FileList().UpdateCountDisplay();
        app.PumpUntil([] { return false; }, 100);
        const size_t before = bench::PrivateBytes();
        for (const std::wstring& p : paths)
            mainWindow.FileList().AppendPath(p);
        mainWindow.FileList().UpdateCountDisplay();

        app.PumpUntil([] { return false; }, 100);
        const double held = static_cast<double>(bench::PrivateBytes() - before);
        std::printf("memory: %zu paths, their text %.1f MB, the list holds %.1f MB\n", kCount,
                    text / 1048576.0, held / 1048576.0);
        std::printf("bytes a path beyond its text: %.1f\n",
                    (held - static_cast<double>(text)) / static_cast<double>(kCount));
    });
}
