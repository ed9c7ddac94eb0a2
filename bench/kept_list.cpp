// Keeping a 1,000,000-entry list current: one write of the kept list through the worker
// against the list's plain save (WriteListFile of the same paths), and the longest the window
// takes to answer a message sent to it from another thread while the worker writes; and before,
// from the change to the write, when the list is taken on the window's thread (a frozen copy of
// the model's entries; the texts are taken from it by the worker).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "filelist/kept_list_writer.h"
#include "filelist/list_file.h"
#include "filelist/list_model.h"
#include "win/application.h"
#include "win/codepage.h"
#include "win/error.h"

namespace {

using bench::Clock;
using bench::Seconds;

std::wstring TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    std::wstring folder = std::wstring(base) + L"tuckbay-bench-kept-current-" +
                          std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Sends WM_NULL to the application window one after another from a thread of its own, and
// keeps when each was sent and how long the window took to answer.
class ReplyWatch {
public:
    struct Reply {
        Clock::time_point sent;
        double took;
    };

    explicit ReplyWatch(win::Application& app)
        : app_(app), thread_([this, window = app.Handle()] {
              while (!stop_) {
                  const auto sent = Clock::now();
                  DWORD_PTR ignored = 0;
                  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
                  const double took = Seconds(sent);
                  {
                      std::lock_guard lock(mutex_);
                      replies_.push_back({sent, took});
                  }
                  ::Sleep(2);
              }
              ended_ = true;
          }) {}
    ~ReplyWatch() { Stop(); }

    // Ends the thread, answering its last message meanwhile, and gives every reply.
    std::vector<Reply> Stop() {
        stop_ = true;
        app_.PumpUntil([this] { return ended_.load(); }, 20000);
        if (thread_.joinable())
            thread_.join();
        return replies_;
    }

private:
    win::Application& app_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    std::mutex mutex_;
    std::vector<Reply> replies_;
    std::thread thread_;
};

void BenchKeptList(win::Application& app, size_t count) {
    const std::wstring folder = TempFolder();
    const std::wstring saved = folder + L"\\saved.lst";
    const std::wstring kept = folder + L"\\tuckbay2.lst";
    const std::vector<std::wstring> paths = bench::MakePaths(count);
    filelist::ListModel model;
    for (const std::wstring& path : paths)
        model.Append(path);

    // The best of three rounds for the ratio, so a stray page-in does not decide it.
    double save = 1e9;
    double write = 1e9;
    std::vector<double> taking;
    double beforeWrite = 0; // the longest reply to a message sent from the change to the write
    double duringWrite = 0;
    size_t replies = 0;
    bool same = true;
    Clock::time_point handedOver;
    filelist::KeptListKeeper keeper(kept, [&] {
        auto start = Clock::now();
        filelist::FrozenList list = model.Freeze();
        taking.push_back(Seconds(start));
        handedOver = Clock::now();
        return list;
    });
    keeper.SetKept(true);
    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        filelist::WriteListFile(saved, paths);
        save = std::min(save, Seconds(start));

        ReplyWatch watch(app);
        keeper.ListChanged();
        app.PumpUntil([&] { return keeper.Writer().Busy(); }, 10000);
        start = Clock::now();
        app.PumpUntil([&] { return !keeper.Writer().Busy(); }, 600000);
        write = std::min(write, Seconds(start));
        for (const ReplyWatch::Reply& reply : watch.Stop()) {
            double& longest = reply.sent >= handedOver ? duringWrite : beforeWrite;
            longest = std::max(longest, reply.took);
            ++replies;
        }
        same = same && filelist::ReadListFile(kept) == paths;
    }
    const double later =
        taking.size() > 1 ? *std::max_element(taking.begin() + 1, taking.end()) : 0;
    std::printf("kept list %zu entries: one write through the worker %.1f ms, the list's save "
                "%.1f ms, ratio %.2f (target <= 1.5)%s\n",
                count, write * 1000, save * 1000, write / save, same ? "" : "  RESULT DIFFERS");
    std::printf("kept list %zu entries: longest reply of the window while the worker writes "
                "%.1f ms (target <= 50), %zu messages\n",
                count, duringWrite * 1000, replies);
    std::printf("kept list %zu entries: longest reply from the change to the write %.1f ms; the "
                "list taken on the window's thread %.1f ms the first time, %.1f ms after\n",
                count, beforeWrite * 1000, taking.empty() ? 0 : taking[0] * 1000, later * 1000);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace

int main() {
    return bench::Run([](win::Application& app) {
        try {
            BenchKeptList(app, 1000000);
        } catch (const win::Error& e) {
            std::printf("failed: %s (%ld)\n", win::ToUtf8(e.Text()).c_str(), e.Code());
        }
    });
}
