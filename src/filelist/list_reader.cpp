#include "filelist/list_reader.h"

#include <algorithm>
#include <utility>

#include "filelist/file_list.h"
#include "filelist/list_file.h"

namespace filelist {
namespace {

// A slice of the appends takes at most about this long, so the window answers in between.
constexpr auto kSliceTime = std::chrono::milliseconds(25);

} // namespace

ListFileReader::ListFileReader(FileList& list, win::StatusBar& statusBar, win::Returns& returns)
    : list_(list), statusBar_(statusBar), returns_(returns),
      self_(std::make_shared<ListFileReader*>(this)), job_(returns) {}

void ListFileReader::Read(std::wstring path) {
    waiting_.push_back(std::move(path));
    if (waiting_.size() == 1 && !job_.Running() && !appending_)
        StartNext();
}

void ListFileReader::StartNext() {
    if (waiting_.empty())
        return;
    std::wstring path = std::move(waiting_.front());
    waiting_.pop_front();
    statusBar_.BeginProgress([this] {
        const int percent = appending_ ? 100 : std::max(job_.Percent(), 0);
        return L"読み込み中… " + std::to_wstring(percent) + L"%";
    });
    job_.Start(
        [path = std::move(path)](win::Progress& progress) {
            FileRead read;
            try {
                ReadListLines(
                    path, [&](std::wstring_view line) { read.texts.Append(line); }, &progress);
            } catch (const win::Cancelled&) {
                throw;
            } catch (...) {
                read.failure = std::current_exception();
            }
            return read;
        },
        [this](FileRead read) {
            if (read.failure) {
                // Nothing of it is listed; the next file still gets its turn.
                Ended(L"");
                std::rethrow_exception(read.failure);
            }
            texts_ = std::move(read.texts);
            taken_ = 0;
            appending_ = true;
            AppendSlice();
        },
        [this] { Ended(L"読み込みを取り消しました"); });
}

void ListFileReader::AppendSlice() {
    if (!appending_)
        return;
    const auto start = std::chrono::steady_clock::now();
    while (taken_ < texts_.Count()) {
        const size_t end = std::min(texts_.Count(), taken_ + 4096);
        list_.AppendPaths(texts_, taken_, end);
        taken_ = end;
        if (std::chrono::steady_clock::now() - start > kSliceTime)
            break;
    }
    if (taken_ < texts_.Count()) {
        returns_.Post([self = std::weak_ptr<ListFileReader*>(self_)] {
            if (const auto reader = self.lock())
                (*reader)->AppendSlice();
        });
        return;
    }
    appending_ = false;
    texts_ = {};
    list_.UpdateCountDisplay();
    Ended(L"");
    if (onRead)
        onRead();
}

void ListFileReader::Cancel() {
    waiting_.clear();
    if (appending_) {
        appending_ = false;
        list_.DropLast(taken_);
        texts_ = {};
        Ended(L"読み込みを取り消しました");
        return;
    }
    job_.Cancel();
}

void ListFileReader::Ended(std::wstring_view report) {
    statusBar_.EndProgress(report);
    StartNext();
}

} // namespace filelist
