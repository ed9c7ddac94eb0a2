#include "filelist/missing_prune.h"

#include <string>

#include "filelist/file_list.h"
#include "win/dialogs.h"
#include "win/thread_returns.h"

namespace filelist {
namespace {

constexpr wchar_t kNoneMissing[] = L"存在しないファイルはありません";

} // namespace

std::unordered_set<uint32_t> GoneStamps(const FrozenList& list,
                                        const std::unordered_set<uint32_t>* only,
                                        const ExistsFunction& exists, win::Progress& progress) {
    const size_t total = only ? only->size() : list.Count();
    std::unordered_set<uint32_t> gone;
    size_t asked = 0;
    for (size_t i = 0; i < list.Count() && asked < total; ++i) {
        if (only && only->count(list.Stamp(i)) == 0)
            continue;
        if (asked % 256 == 0) {
            progress.Check();
            progress.Set(asked, total);
        }
        ++asked;
        if (!exists(std::wstring(list.Text(i))).exists)
            gone.insert(list.Stamp(i));
    }
    progress.Set(total, total);
    return gone;
}

MissingPrune::MissingPrune(HWND owner, FileList& list, win::StatusBar& statusBar,
                           win::Dialogs& dialogs)
    : owner_(owner), list_(list), statusBar_(statusBar), dialogs_(dialogs),
      job_(win::ThreadReturns()) {}

void MissingPrune::Start() {
    if (Running()) {
        dialogs_.ShowMessage(owner_, L"存在しないファイルを確認中です。終わるまでお待ちください");
        return;
    }
    if (list_.Count() == 0) {
        dialogs_.ShowMessage(owner_, kNoneMissing);
        return;
    }
    // The shown entries as they are now; one edited or added since has another stamp, and stays.
    std::unordered_set<uint32_t> shown;
    total_ = list_.Count();
    shown.reserve(total_);
    for (size_t row = 0; row < total_; ++row)
        shown.insert(list_.StampAt(row));
    progress_ = statusBar_.BeginProgress([this] {
        return L"確認中 " + std::to_wstring(job_.Done()) + L" / " + std::to_wstring(total_);
    });
    job_.Start([list = list_.Model().Freeze(), shown = std::move(shown), exists = list_.Exists()](
                   win::Progress& progress) { return GoneStamps(list, &shown, exists, progress); },
               [this](std::unordered_set<uint32_t> gone) { Finish(gone); });
}

void MissingPrune::Finish(const std::unordered_set<uint32_t>& gone) {
    progress_.End();
    // Only what is still shown counts: an entry removed or hidden meanwhile is not the user's to
    // remove now.
    size_t count = 0;
    for (size_t row = 0; row < list_.Count(); ++row)
        count += gone.count(list_.StampAt(row));
    if (count == 0) {
        dialogs_.ShowMessage(owner_, kNoneMissing);
    } else if (dialogs_.Confirm(owner_, L"存在しないファイル " + std::to_wstring(count) +
                                            L" 件をリストから削除しますか？")) {
        list_.RemoveStamped(gone);
        list_.UpdateCountDisplay();
    }
}

} // namespace filelist
