// What putting the listed files on the clipboard as files costs ("ファイルとしてコピー(&C)"), for
// 100,000 existing files in 100 folders (or the count given), against building the same
// CF_HDROP block alone in the same run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "dragout/clipboard_files.h"

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    return bench::Run([count](win::Application& app) {
        namespace fs = std::filesystem;
        const fs::path root = fs::temp_directory_path() / L"tuckbay_bench_clipboard_files";
        fs::remove_all(root);
        std::vector<std::wstring> paths;
        for (size_t i = 0; i < count; ++i) {
            const fs::path folder = root / (L"folder " + std::to_wstring(i % 100));
            if (i < 100)
                fs::create_directories(folder);
            paths.push_back((folder / (L"file_" + std::to_wstring(i) + L".txt")).wstring());
            HANDLE file = ::CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr);
            ::CloseHandle(file);
        }

        auto start = bench::Clock::now();
        const std::vector<BYTE> block = dragout::DropFilesBlock(paths);
        const double blockAlone = bench::Seconds(start);

        start = bench::Clock::now();
        dragout::PutFilesOnClipboard(app.Handle(), paths, dragout::kClipboardCopy);
        const double onClipboard = bench::Seconds(start);

        std::printf("clipboard_files: %zu files, %zu bytes of CF_HDROP\n", count, block.size());
        std::printf("  CF_HDROP block alone      %9.3f ms\n", blockAlone * 1000);
        std::printf("  files on the clipboard    %9.3f ms\n", onClipboard * 1000);
        std::printf("  ratio %.1fx (the goal: within 2x)\n", onClipboard / blockAlone);
        fs::remove_all(root);
    });
}
