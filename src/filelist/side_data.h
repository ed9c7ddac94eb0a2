// Data kept beside the list's entries, index for index, by a part that registers it with the
// model (the details of the columns beside the path, and whatever comes next): the model moves it
// with its entries through every append, removal, reorder and undo (Moved) and marks an entry
// edited in place new (Renewed), so no change of the list needs to know what lies beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace filelist {

class SideData {
public:
    // An entry that is new: appended, edited, or brought back by an undo.
    static constexpr uint32_t kNew = UINT32_MAX;

    virtual ~SideData() = default;
    // The entries changed: entry i is now the entry that was at from[i] before, or new (kNew).
    // Without from, the entries before count stayed where they were, the list now ends at count,
    // and those past the old end are new.
    virtual void Moved(size_t count, const std::vector<uint32_t>* from) = 0;
    // The entry at index is new in its place (an edit).
    virtual void Renewed(size_t index) = 0;
    // The end of a batch of appends: room kept for more may go.
    virtual void ReleaseSpareRoom() {}
};

// The usual kind: one value a entry, a new entry's a value-initialised T.
template <typename T> class SideColumn final : public SideData {
public:
    std::vector<T> values;

    void Moved(size_t count, const std::vector<uint32_t>* from) override {
        if (from == nullptr) {
            if (count == values.size() + 1 && values.size() == values.capacity())
                values.reserve(values.size() + values.size() / 8 + 65536); // appends in a row
            values.resize(count);
            return;
        }
        std::vector<T> moved;
        moved.reserve(from->size());
        for (uint32_t at : *from)
            moved.push_back(at == kNew ? T{} : values[at]);
        values = std::move(moved);
    }
    void Renewed(size_t index) override { values[index] = T{}; }
    void ReleaseSpareRoom() override {
        if (values.capacity() - values.size() > values.size() / 64 + 1024)
            values.shrink_to_fit();
    }
};

} // namespace filelist
