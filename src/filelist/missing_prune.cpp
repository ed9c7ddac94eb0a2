#include "filelist/missing_prune.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "filelist/file_list.h"
#include "win/dialogs.h"
#include "win/status_bar.h"
#include "win/thread_returns.h"

namespace filelist {
namespace {

constexpr wchar_t kNoneMissing[] = L"存在しないファイルはありません";
// Entries asked for at once.
constexpr size_t kChunk = 2000;

} // namespace

MissingPrune::MissingPrune(HWND owner, FileList& list, win::StatusBar& statusBar,
                           win::Dialogs& dialogs)
    : owner_(owner), list_(list), statusBar_(statusBar), dialogs_(dialogs) {}

MissingPrune::~MissingPrune() = default;

void MissingPrune::Start() {
    if (Running()) {
        dialogs_.ShowMessage(owner_, L"存在しないファイルを確認中です。終わるまでお待ちください");
        return;
    }
    if (list_.Count() == 0) {
        dialogs_.ShowMessage(owner_, kNoneMissing);
        return;
    }
    total_ = list_.Count();
    nextIndex_ = 0;
    asked_ = 0;
    answered_ = 0;
    missing_.clear();
    checker_ = std::make_unique<PathChecker>(
        win::ThreadReturns(), list_.Exists(),
        [this](std::vector<PathCheck> answers) { AnswersArrived(std::move(answers)); });
    AskMore();
    progress_ = statusBar_.BeginProgress([this] {
        return L"確認中 " + std::to_wstring(answered_) + L" / " + std::to_wstring(total_);
    });
}

void MissingPrune::AnswersArrived(std::vector<PathCheck> answers) {
    for (const PathCheck& answer : answers) {
        ++answered_;
        if (!answer.exists)
            missing_.insert(answer.stamp);
    }
    AskMore();
    if (answered_ == asked_)
        Finish();
}

void MissingPrune::AskMore() {
    // The entries as they are now, a chunk at a time: copying every path of a long list at once
    // would hold up the window. Asked by position, so an entry that moved in the meantime may be
    // skipped, and then kept; one added since lies beyond the count taken at the start.
    const size_t end = std::min({total_, list_.Count(), nextIndex_ + kChunk});
    if (nextIndex_ >= end || asked_ - answered_ >= kChunk)
        return;
    std::vector<PathCheck> checks;
    checks.reserve(end - nextIndex_);
    for (; nextIndex_ < end; ++nextIndex_)
        checks.push_back({list_.StampAt(nextIndex_), nextIndex_, list_.PathAt(nextIndex_)});
    asked_ += checks.size();
    checker_->Ask(std::move(checks));
}

void MissingPrune::Finish() {
    checker_.reset();
    progress_.End();
    // Only what is still listed counts: an entry removed meanwhile is no longer there to remove.
    size_t count = 0;
    for (size_t i = 0; i < list_.Count(); ++i)
        count += missing_.count(list_.StampAt(i));
    if (count == 0) {
        dialogs_.ShowMessage(owner_, kNoneMissing);
    } else if (dialogs_.Confirm(owner_, L"存在しないファイル " + std::to_wstring(count) +
                                            L" 件をリストから削除しますか？")) {
        list_.RemoveStamped(missing_);
        list_.UpdateCountDisplay();
    }
    missing_.clear();
}

} // namespace filelist
