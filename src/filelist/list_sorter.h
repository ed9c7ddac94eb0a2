// Sorting a long list off the window's thread: the order of a frozen copy of the list by its
// texts, as the user's locale sorts them (case-sensitive, word sort), found on a worker that can
// be cancelled and that reports how far it has come.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "filelist/detail_reader.h"
#include "filelist/list_model.h"

namespace filelist {

class ListSorter {
public:
    // Posts message to window when a sort has ended, done or cancelled, and (wParam 1) now and
    // then while it runs.
    ListSorter(HWND window, UINT message);
    // Cancels a sort still running and waits for its worker.
    ~ListSorter();
    ListSorter(const ListSorter&) = delete;
    ListSorter& operator=(const ListSorter&) = delete;

    // Orders list by a column's values times sign (negative: descending), equal values keeping
    // their order: texts as the user's locale sorts them, sizes and dates by value, read first
    // where the list has none yet. A sort still running is cancelled first.
    void Start(FrozenList list, int32_t sign, DetailColumn column = DetailColumn::Path);
    void Cancel();
    bool Running() const noexcept { return state_ != nullptr; }
    // How far the running sort has come, in hundredths.
    int Percent() const noexcept;
    // Once the end has been posted: the order (order[i]: the entry for place i), or nothing when
    // the sort was cancelled. The sorter is then free for the next.
    std::optional<std::vector<uint32_t>> TakeOrder();
    // The details the last sort read, by their place in the list it was given.
    std::vector<DetailQuestion> TakeReadDetails() { return std::move(read_); }

    // What the worker works on; its own.
    struct State;

private:
    void Join();
    HWND window_;
    UINT message_;
    std::shared_ptr<State> state_;
    std::vector<DetailQuestion> read_;
};

} // namespace filelist
