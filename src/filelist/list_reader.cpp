#include "filelist/list_reader.h"

#include <algorithm>
#include <utility>

#include "filelist/file_list.h"
#include "filelist/list_file.h"

namespace filelist {

ListFileReader::ListFileReader(FileList& list, win::StatusBar& statusBar, win::Returns& returns)
    : list_(list), statusBar_(statusBar), job_(returns) {}

void ListFileReader::Read(std::wstring path) {
    waiting_.push_back(std::move(path));
    if (waiting_.size() == 1 && !job_.Running())
        StartNext();
}

void ListFileReader::StartNext() {
    if (waiting_.empty())
        return;
    std::wstring path = std::move(waiting_.front());
    waiting_.pop_front();
    progress_ = statusBar_.BeginProgress(
        [this] { return L"読み込み中… " + std::to_wstring(std::max(job_.Percent(), 0)) + L"%"; });
    job_.Start(
        [path = std::move(path)](win::Progress& progress) {
            FileRead read;
            try {
                ReadListLines(
                    path, [&](std::wstring_view line) { read.lines.Append(line); }, &progress);
            } catch (const win::Cancelled&) {
                throw;
            } catch (...) {
                read.failure = std::current_exception();
            }
            return read;
        },
        [this](FileRead read) {
            Ended(L"");
            // Nothing of a file that cannot be read is listed; the next file still gets its turn.
            if (read.failure)
                std::rethrow_exception(read.failure);
            list_.AppendList(std::move(read.lines));
            list_.UpdateCountDisplay();
        },
        [this] { Ended(L"読み込みを取り消しました"); });
}

void ListFileReader::Cancel() {
    waiting_.clear();
    job_.Cancel();
}

void ListFileReader::Ended(std::wstring_view report) {
    progress_.End(report);
    StartNext();
}

} // namespace filelist
