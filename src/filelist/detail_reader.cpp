#include "filelist/detail_reader.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <unordered_map>

#include "win/path_parts.h"

namespace filelist {
namespace {

// A folder with fewer questions than this is cheaper to ask file by file than to list whole.
constexpr size_t kListingWorthIt = 8;

uint64_t Combine(DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; }

FileDetails FromAttributes(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return FileDetails::Read(
        Combine(data.nFileSizeHigh, data.nFileSizeLow),
        Combine(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

FileDetails LookUp(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!path.empty() &&
        ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE)
        return FromAttributes(data);
    // A file the system will not show (access denied) has no values to show either.
    return FileDetails::Missing();
}

// The names asked about in one folder, in order, each with its question.
using AskedNames = std::vector<std::pair<std::wstring_view, uint32_t>>;

// Lists folder and gives each question whose name is listed that entry's details; false when
// the folder cannot be listed. The names listed are only compared, never copied.
bool ListFolder(std::wstring_view folder, const AskedNames& asked,
                std::vector<DetailQuestion>& questions, std::vector<bool>& answered,
                const std::function<bool()>& keepGoing) {
    std::wstring pattern(folder);
    if (pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        const std::wstring_view name(found.cFileName);
        auto match =
            std::lower_bound(asked.begin(), asked.end(), name,
                             [](const auto& a, std::wstring_view n) { return a.first < n; });
        if (match == asked.end() || match->first != name)
            continue;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        data.dwFileAttributes = found.dwFileAttributes;
        data.ftLastWriteTime = found.ftLastWriteTime;
        data.nFileSizeHigh = found.nFileSizeHigh;
        data.nFileSizeLow = found.nFileSizeLow;
        const FileDetails details = FromAttributes(data);
        // The same file may be listed more than once.
        for (; match != asked.end() && match->first == name; ++match) {
            questions[match->second].details = details;
            answered[match->second] = true;
        }
    } while (keepGoing() && ::FindNextFileW(find, &found));
    ::FindClose(find);
    return true;
}

} // namespace

bool ReadDetails(std::vector<DetailQuestion>& questions, const std::function<bool()>& keepGoing,
                 win::Progress* progress) {
    // The questions by folder, so that each shared folder is listed once, and by name in it.
    // Grouped by a number for each folder rather than sorted by the folders' long texts.
    std::unordered_map<std::wstring_view, uint32_t> folderNumbers;
    std::vector<std::pair<uint32_t, uint32_t>> numbered(questions.size());
    for (uint32_t i = 0; i < numbered.size(); ++i) {
        const auto [at, added] = folderNumbers.try_emplace(
            win::PathFolder(questions[i].path), static_cast<uint32_t>(folderNumbers.size()));
        numbered[i] = {at->second, i};
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::pair<std::wstring_view, uint32_t>> byFolder(questions.size());
    for (size_t k = 0; k < numbered.size(); ++k)
        byFolder[k] = {win::PathFolder(questions[numbered[k].second].path), numbered[k].second};
    std::vector<bool> answered(questions.size());
    AskedNames asked;
    size_t count = 0;
    for (size_t first = 0; first < byFolder.size();) {
        const std::wstring_view folder = byFolder[first].first;
        size_t last = first + 1;
        while (last < byFolder.size() && byFolder[last].first == folder)
            ++last;
        if (!folder.empty() && last - first >= kListingWorthIt) {
            asked.clear();
            for (size_t k = first; k < last; ++k)
                asked.emplace_back(win::PathName(questions[byFolder[k].second].path),
                                   byFolder[k].second);
            std::sort(asked.begin(), asked.end());
            ListFolder(folder, asked, questions, answered, keepGoing);
        }
        for (size_t k = first; k < last; ++k) {
            if (!keepGoing())
                return false;
            const uint32_t i = byFolder[k].second;
            // A name the listing does not have as written (in other letter case, a short name)
            // may still be there: asked for by itself.
            if (!answered[i])
                questions[i].details = LookUp(questions[i].path);
            if (progress)
                progress->Set(++count, questions.size());
        }
        first = last;
    }
    return true;
}

} // namespace filelist
