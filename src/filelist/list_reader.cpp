#include "filelist/list_reader.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "filelist/file_list.h"
#include "filelist/list_file.h"

namespace filelist {
namespace {

// A slice of the appends takes at most about this long, so the window answers in between.
constexpr auto kSliceTime = std::chrono::milliseconds(25);
// Room kept ahead for a file's characters only up to this many bytes; a larger file grows as it
// is read, as far as memory goes.
constexpr DWORD kReservedAtMost = 256u << 20;

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
            // A line's characters are never more than its bytes: room for them all at once, so
            // a long list is not copied again and again as it grows.
            WIN32_FILE_ATTRIBUTE_DATA file{};
            if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file) &&
                file.nFileSizeHigh == 0 && file.nFileSizeLow <= kReservedAtMost) {
                read.texts.chars.reserve(file.nFileSizeLow);
                read.texts.ends.reserve(file.nFileSizeLow / 16);
            }
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
            changesBefore_ = list_.Model().Changes();
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
        // Taken back only while the list holds nothing but what was taken since: had anything
        // else changed it meanwhile, the last entries might not be the file's.
        if (list_.Model().Changes() != changesBefore_ + taken_)
            return;
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
