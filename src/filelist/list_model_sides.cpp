// What the model keeps beside its entries (see SideData), and the details it keeps so while a
// column shows them.
#include "filelist/list_model.h"

#include <memory>

namespace filelist {

void ListModel::KeepBeside(SideData& side) {
    sides_.push_back(&side);
    side.Moved(entries_.size(), nullptr);
}

void ListModel::LetGo(SideData& side) { std::erase(sides_, &side); }

void ListModel::KeepDetails(bool keep) {
    if (keep == DetailsKept())
        return;
    if (keep) {
        details_ = std::make_unique<SideColumn<FileDetails>>();
        KeepBeside(*details_);
    } else {
        LetGo(*details_);
        details_.reset();
    }
}

bool ListModel::StartDetails(size_t index) noexcept {
    return details_ && index < details_->values.size() && details_->values[index].StartAsking();
}

bool ListModel::TakeDetails(size_t index, uint32_t stamp, const FileDetails& details) noexcept {
    if (!details_ || index >= details_->values.size() || entries_[index].stamp != stamp)
        return false;
    details_->values[index] = details;
    return true;
}

void ListModel::ForgetDetails() noexcept {
    if (details_)
        for (FileDetails& d : details_->values)
            d.ForgetRead();
}

} // namespace filelist
