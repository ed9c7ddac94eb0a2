#include "filelist/list_sorter.h"

#include "filelist/detail_columns.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

namespace filelist {

struct ListSorter::State {
    FrozenList list;
    int32_t sign = -1;
    DetailColumn column = DetailColumn::Path;
    // A sort by size or date reads the details the list has not read yet first.
    std::vector<DetailQuestion> read;
    std::atomic<size_t> detailsRead{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    std::atomic<size_t> keysMade{0};
    std::vector<uint32_t> order;
    std::thread worker;
};

namespace {

struct Cancelled {};

// The user's locale's order as sort keys: one key a text instead of a locale comparison a pair
// makes a sort of a million paths a matter of seconds rather than minutes. The keys lie one after
// another in one buffer. False when some text has no key; the caller then compares texts.
template <typename TextOf>
bool MakeSortKeys(const FrozenList& list, const TextOf& textOf, std::string& keys,
                  std::vector<size_t>& ends, const std::atomic<bool>& cancelled,
                  std::atomic<size_t>& made) {
    ends.reserve(list.Count());
    for (size_t i = 0; i < list.Count(); ++i) {
        if (cancelled)
            throw Cancelled{};
        const std::wstring_view text = textOf(i);
        const int length = static_cast<int>(text.size());
        const int size = length == 0 ? 0
                                     : ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY,
                                                      text.data(), length, nullptr, 0);
        if (size <= 0 && length > 0)
            return false;
        const size_t at = keys.size();
        keys.resize(at + static_cast<size_t>(size));
        if (size > 0) {
            ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text.data(), length,
                           reinterpret_cast<wchar_t*>(keys.data() + at), size);
            keys.resize(at + std::strlen(keys.c_str() + at)); // a key ends at its first zero
        }
        ends.push_back(keys.size());
        made = i + 1;
    }
    return true;
}

// Sizes and dates: the values the list has, and those it has not read yet read now.
void SortByDetail(ListSorter::State& s) {
    const FrozenList& list = s.list;
    std::vector<FileDetails> details = list.Details();
    details.resize(list.Count());
    for (size_t i = 0; i < list.Count(); ++i) {
        if (!details[i].IsRead())
            s.read.push_back({list.Stamp(i), i, std::wstring(list.Text(i)), {}});
    }
    const auto keepGoing = [&] { return !s.cancelled; };
    if (!ReadDetails(s.read, keepGoing, &s.detailsRead))
        throw Cancelled{};
    for (const DetailQuestion& q : s.read)
        details[q.index] = q.details;
    std::optional<std::vector<uint32_t>> order =
        DetailSortOrder(details, s.column, s.sign, keepGoing);
    if (!order)
        throw Cancelled{};
    s.order = std::move(*order);
}

// The text of an entry in the column sorted by.
std::function<std::wstring_view(size_t)> ColumnText(const ListSorter::State& s, TypeNames& types) {
    const FrozenList& list = s.list;
    switch (s.column) {
    case DetailColumn::Name:
        return [&list](size_t i) { return PathName(list.Text(i)); };
    case DetailColumn::Folder:
        return [&list](size_t i) { return PathFolder(list.Text(i)); };
    case DetailColumn::Type:
        return [&list, &types](size_t i) {
            const std::wstring_view path = list.Text(i);
            const bool folder = list.ShownFolder(i) ||
                                (i < list.Details().size() && list.Details()[i].IsFolder()) ||
                                (!path.empty() && path.back() == L'\\');
            return std::wstring_view(types.Of(path, folder));
        };
    default:
        return [&list](size_t i) { return list.Text(i); };
    }
}

void Sort(ListSorter::State& s) {
    if (s.column == DetailColumn::Size || s.column == DetailColumn::Modified) {
        SortByDetail(s);
        return;
    }
    const FrozenList& list = s.list;
    TypeNames types;
    const auto textOf = ColumnText(s, types);
    std::string keys;
    std::vector<size_t> ends;
    const auto keepGoing = [&] { return !s.cancelled; };
    std::optional<std::vector<uint32_t>> order;
    if (MakeSortKeys(list, textOf, keys, ends, s.cancelled, s.keysMade)) {
        auto key = [&](uint32_t i) {
            const size_t begin = i == 0 ? 0 : ends[i - 1];
            return std::string_view(keys).substr(begin, ends[i] - begin);
        };
        order = SortOrder(
            list.Count(), s.sign,
            [&](uint32_t a, uint32_t b) {
                const int c = key(a).compare(key(b));
                return c < 0 ? -1 : (c > 0 ? 1 : 0);
            },
            keepGoing);
    } else {
        order = SortOrder(
            list.Count(), s.sign,
            [&](uint32_t a, uint32_t b) {
                const std::wstring x(textOf(a)), y(textOf(b));
                return ::CompareStringW(LOCALE_USER_DEFAULT, 0, x.data(),
                                        static_cast<int>(x.size()), y.data(),
                                        static_cast<int>(y.size())) -
                       CSTR_EQUAL;
            },
            keepGoing);
    }
    if (!order)
        throw Cancelled{};
    s.order = std::move(*order);
}

} // namespace

ListSorter::ListSorter(HWND window, UINT message) : window_(window), message_(message) {}

ListSorter::~ListSorter() {
    Cancel();
    Join();
}

void ListSorter::Start(FrozenList list, int32_t sign, DetailColumn column) {
    Cancel();
    Join();
    read_.clear();
    auto state = std::make_shared<State>();
    state->list = std::move(list);
    state->sign = sign;
    state->column = column;
    state_ = state;
    HWND window = window_;
    UINT message = message_;
    state->worker = std::thread([state, window, message] {
        // The shell's type names want the component system on the thread that asks.
        const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        try {
            Sort(*state);
        } catch (...) {
            // Cancelled, or no memory for the keys: the list stays as it is.
            state->cancelled = true;
            state->order.clear();
        }
        if (com)
            ::CoUninitialize();
        state->finished = true;
        ::PostMessageW(window, message, 0, 0);
    });
}

void ListSorter::Cancel() {
    if (state_)
        state_->cancelled = true;
}

int ListSorter::Percent() const noexcept {
    if (!state_ || state_->list.Count() == 0)
        return 0;
    // Making the keys, or reading the details not read yet, is most of the work.
    if (state_->column == DetailColumn::Size || state_->column == DetailColumn::Modified)
        return static_cast<int>(state_->detailsRead * 100 / state_->list.Count());
    return static_cast<int>(state_->keysMade * 100 / state_->list.Count());
}

void ListSorter::Join() {
    if (state_ && state_->worker.joinable())
        state_->worker.join();
}

std::optional<std::vector<uint32_t>> ListSorter::TakeOrder() {
    if (!state_ || !state_->finished)
        return std::nullopt;
    Join();
    std::shared_ptr<State> state = std::move(state_);
    if (state->cancelled)
        return std::nullopt;
    read_ = std::move(state->read);
    return std::move(state->order);
}

} // namespace filelist
