#include "filelist/list_sorter.h"

#include "filelist/detail_columns.h"
#include "filelist/detail_reader.h"
#include "win/path_parts.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <string>

namespace filelist {

namespace {

// The sort's own view of its work.
struct SortState {
    const FrozenList& list;
    int32_t sign;
    DetailColumn column;
    win::Progress& progress;
    SortedList sorted;
};

// The user's locale's order as sort keys: one key a text instead of a locale comparison a pair
// makes a sort of a million paths a matter of seconds rather than minutes. The keys lie one after
// another in one buffer. False when some text has no key; the caller then compares texts.
template <typename TextOf>
bool MakeSortKeys(const FrozenList& list, const TextOf& textOf, std::string& keys,
                  std::vector<size_t>& ends, win::Progress& progress) {
    ends.reserve(list.Count());
    for (size_t i = 0; i < list.Count(); ++i) {
        progress.Check();
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
        progress.Set(i + 1, list.Count());
    }
    return true;
}

// Sizes and dates: the values the list has, and those it has not read yet read now.
void SortByDetail(SortState& s) {
    const FrozenList& list = s.list;
    std::vector<FileDetails> details = list.Details();
    details.resize(list.Count());
    for (size_t i = 0; i < list.Count(); ++i) {
        if (!details[i].IsRead())
            s.sorted.read.push_back({list.Stamp(i), i, std::wstring(list.Text(i)), {}});
    }
    const auto keepGoing = [&] { return !s.progress.Cancelled(); };
    if (!ReadDetails(s.sorted.read, keepGoing, &s.progress))
        throw win::Cancelled{};
    for (const DetailQuestion& q : s.sorted.read)
        details[q.index] = q.details;
    std::optional<std::vector<uint32_t>> order =
        DetailSortOrder(details, s.column, s.sign, keepGoing);
    if (!order)
        throw win::Cancelled{};
    s.sorted.order = std::move(*order);
}

// The text of an entry in the column sorted by.
std::function<std::wstring_view(size_t)> ColumnText(const SortState& s, TypeNames& types) {
    const FrozenList& list = s.list;
    switch (s.column) {
    case DetailColumn::Name:
        return [&list](size_t i) { return win::PathName(list.Text(i)); };
    case DetailColumn::Folder:
        return [&list](size_t i) { return win::PathFolder(list.Text(i)); };
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

void Sort(SortState& s) {
    if (s.column == DetailColumn::Size || s.column == DetailColumn::Modified) {
        SortByDetail(s);
        return;
    }
    const FrozenList& list = s.list;
    TypeNames types;
    const auto textOf = ColumnText(s, types);
    std::string keys;
    std::vector<size_t> ends;
    const auto keepGoing = [&] { return !s.progress.Cancelled(); };
    std::optional<std::vector<uint32_t>> order;
    if (MakeSortKeys(list, textOf, keys, ends, s.progress)) {
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
        throw win::Cancelled{};
    s.sorted.order = std::move(*order);
}

} // namespace

SortedList SortFrozenList(const FrozenList& list, int32_t sign, DetailColumn column,
                          win::Progress& progress) {
    SortState state{list, sign, column, progress, {}};
    // The shell's type names want the component system on the thread that asks.
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    try {
        Sort(state);
    } catch (const std::bad_alloc&) {
        // No memory for the keys: the list stays as it is.
        progress.Cancel();
    } catch (...) {
        if (com)
            ::CoUninitialize();
        throw;
    }
    if (com)
        ::CoUninitialize();
    if (progress.Cancelled())
        throw win::Cancelled{};
    return std::move(state.sorted);
}

} // namespace filelist
