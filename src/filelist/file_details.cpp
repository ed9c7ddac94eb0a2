#include "filelist/file_details.h"

#include <algorithm>
#include <array>

#include "filelist/sort_rules.h"

namespace filelist {
namespace {

constexpr std::array<const wchar_t*, kDetailColumnCount> kSettingNames = {
    L"path", L"name", L"folder", L"size", L"modified", L"type"};
constexpr std::array<int, kDetailColumnCount> kDefaultWidths = {300, 150, 200, 80, 120, 120};
// Wider than any screen: a width past it is a slip of the file, not a wish.
constexpr int kWidestColumn = 8000;

std::optional<int> ParseWidth(std::wstring_view text) {
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int width = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        width = width * 10 + (c - L'0');
    }
    if (width <= 0 || width > kWidestColumn)
        return std::nullopt;
    return width;
}

} // namespace

std::vector<ShownColumn> DefaultColumns() {
    return {{DetailColumn::Path, DefaultWidth(DetailColumn::Path)}};
}

int DefaultWidth(DetailColumn column) { return kDefaultWidths[static_cast<size_t>(column)]; }

std::wstring FormatColumns(const std::vector<ShownColumn>& columns) {
    std::wstring text;
    for (const ShownColumn& shown : columns) {
        if (!text.empty())
            text += L',';
        text += kSettingNames[static_cast<size_t>(shown.column)];
        text += L':';
        text += std::to_wstring(shown.width);
    }
    return text;
}

std::vector<ShownColumn> ParseColumns(std::wstring_view text) {
    std::vector<ShownColumn> columns;
    auto has = [&](DetailColumn c) {
        return std::any_of(columns.begin(), columns.end(),
                           [c](const ShownColumn& s) { return s.column == c; });
    };
    while (!text.empty()) {
        const size_t comma = text.find(L',');
        std::wstring_view item = text.substr(0, comma);
        text = comma == std::wstring_view::npos ? std::wstring_view{} : text.substr(comma + 1);
        const size_t colon = item.find(L':');
        const std::wstring_view name = item.substr(0, colon);
        const auto found = std::find(kSettingNames.begin(), kSettingNames.end(), name);
        if (found == kSettingNames.end())
            continue;
        const auto column = static_cast<DetailColumn>(found - kSettingNames.begin());
        if (has(column))
            continue;
        std::optional<int> width;
        if (colon != std::wstring_view::npos)
            width = ParseWidth(item.substr(colon + 1));
        columns.push_back({column, width.value_or(DefaultWidth(column))});
    }
    const auto path = std::find_if(columns.begin(), columns.end(), [](const ShownColumn& s) {
        return s.column == DetailColumn::Path;
    });
    if (path == columns.end())
        columns.insert(columns.begin(), DefaultColumns().front());
    else
        std::rotate(columns.begin(), path, path + 1);
    return columns;
}

std::optional<std::vector<uint32_t>> DetailSortOrder(const std::vector<FileDetails>& details,
                                                     DetailColumn column, int32_t sign,
                                                     const std::function<bool()>& keepGoing) {
    auto value = [&](uint32_t i) {
        return column == DetailColumn::Size ? details[i].Size() : details[i].Modified();
    };
    std::vector<uint32_t> valued, without;
    for (uint32_t i = 0; i < details.size(); ++i)
        (value(i) ? valued : without).push_back(i);
    // The sort itself asks only now and then; a sort cancelled by now goes no further.
    if (!keepGoing())
        return std::nullopt;
    std::optional<std::vector<uint32_t>> order = SortOrder(
        valued.size(), sign,
        [&](uint32_t a, uint32_t b) {
            const uint64_t x = *value(valued[a]), y = *value(valued[b]);
            return x < y ? -1 : (x > y ? 1 : 0);
        },
        keepGoing);
    if (!order)
        return std::nullopt;
    for (uint32_t& place : *order)
        place = valued[place];
    order->insert(order->end(), without.begin(), without.end());
    return order;
}

} // namespace filelist
