#include "intake/receive_names.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

namespace intake {
namespace {

constexpr size_t kLongestName = 120;

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

bool IsDeviceName(std::wstring_view name) {
    std::wstring stem = Lower(name.substr(0, name.find(L'.')));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    static const wchar_t* const kDevices[] = {L"con", L"prn",    L"aux",
                                              L"nul", L"conin$", L"conout$"};
    for (const wchar_t* device : kDevices)
        if (stem == device)
            return true;
    // The system takes the superscript digits one, two and three for ports too.
    return stem.size() == 4 && (stem.rfind(L"com", 0) == 0 || stem.rfind(L"lpt", 0) == 0) &&
           ((stem[3] >= L'0' && stem[3] <= L'9') ||
            std::wstring_view(L"¹²³").find(stem[3]) != std::wstring_view::npos);
}

// The extension's start (the last dot, not a leading one), or the name's end.
size_t ExtensionAt(std::wstring_view name) {
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring_view::npos || dot == 0 ? name.size() : dot;
}

std::vector<std::wstring> Components(std::wstring_view name) {
    // A drive ("C:") or a root in front leads nowhere of ours.
    if (name.size() >= 2 && name[1] == L':')
        name.remove_prefix(2);
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == L'\\' || name[i] == L'/') {
            std::wstring_view part = name.substr(start, i - start);
            if (!part.empty() && part != L"." && part != L"..")
                parts.push_back(SafeName(part));
            start = i + 1;
        }
    }
    if (parts.empty())
        parts.push_back(L"_");
    return parts;
}

std::wstring Join(const std::vector<std::wstring>& parts, size_t from, size_t to, wchar_t with) {
    std::wstring joined;
    for (size_t i = from; i < to; ++i) {
        if (i > from)
            joined += with;
        joined += parts[i];
    }
    return joined;
}

} // namespace

std::wstring SafeName(std::wstring_view name) {
    std::wstring safe;
    safe.reserve(name.size());
    for (wchar_t c : name)
        safe += (c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos)
                    ? L'_'
                    : c;
    while (!safe.empty() && (safe.back() == L'.' || safe.back() == L' '))
        safe.pop_back();
    if (safe.empty())
        return L"_";
    if (IsDeviceName(safe))
        safe.insert(0, 1, L'_');
    if (safe.size() > kLongestName) {
        const size_t dot = ExtensionAt(safe);
        const std::wstring extension = safe.size() - dot < 16 ? safe.substr(dot) : std::wstring();
        safe = safe.substr(0, kLongestName - extension.size());
        if (!safe.empty() && safe.back() >= 0xD800 && safe.back() <= 0xDBFF)
            safe.pop_back(); // half a character left by the cut
        while (!safe.empty() && (safe.back() == L'.' || safe.back() == L' '))
            safe.pop_back();
        safe += extension;
    }
    return safe;
}

std::wstring UniqueName(const std::wstring& name,
                        const std::function<bool(const std::wstring&)>& taken) {
    if (!taken(name))
        return name;
    const size_t dot = ExtensionAt(name);
    for (unsigned n = 2;; ++n) {
        std::wstring numbered =
            name.substr(0, dot) + L" (" + std::to_wstring(n) + L")" + name.substr(dot);
        if (!taken(numbered))
            return numbered;
    }
}

GroupPlaces PlaceGroup(const std::vector<GroupItem>& items,
                       const std::function<bool(const std::wstring&)>& exists) {
    std::vector<std::vector<std::wstring>> parts;
    std::set<std::wstring> groupFolders;
    for (const GroupItem& item : items) {
        parts.push_back(Components(item.name));
        if (item.folder)
            groupFolders.insert(Lower(Join(parts.back(), 0, parts.back().size(), L'\\')));
    }
    GroupPlaces result;
    std::set<std::wstring> placed; // lower case
    auto taken = [&](const std::wstring& place) {
        return placed.count(Lower(place)) != 0 || exists(place);
    };
    // A top folder of the group: where it goes, decided when the group first names it (its
    // items may come before it).
    std::map<std::wstring, std::wstring> topFolders;
    auto topFolder = [&](const std::wstring& name) {
        auto [at, added] = topFolders.try_emplace(Lower(name));
        if (added) {
            at->second = UniqueName(name, taken);
            placed.insert(Lower(at->second));
        }
        return at->second;
    };
    std::set<std::wstring> listed;
    for (size_t i = 0; i < items.size(); ++i) {
        const std::vector<std::wstring>& p = parts[i];
        // The folders in front are kept as far as each of them is one of the group's own.
        size_t kept = 0;
        while (kept + 1 < p.size() && groupFolders.count(Lower(Join(p, 0, kept + 1, L'\\'))))
            ++kept;
        std::vector<std::wstring> place(p.begin(), p.begin() + static_cast<long>(kept));
        place.push_back(Join(p, kept, p.size(), L'_'));
        std::wstring relative;
        if (place.size() == 1 && items[i].folder) {
            relative = topFolder(place[0]);
            if (listed.insert(Lower(relative)).second)
                result.top.push_back(i);
        } else if (place.size() == 1) {
            relative = UniqueName(place[0], taken);
            result.top.push_back(i);
        } else {
            std::wstring folder = topFolder(place[0]);
            for (size_t k = 1; k + 1 < place.size(); ++k)
                folder += L"\\" + place[k];
            const std::wstring wanted = folder + L"\\" + place.back();
            relative =
                items[i].folder && placed.count(Lower(wanted)) ? wanted : UniqueName(wanted, taken);
        }
        placed.insert(Lower(relative));
        result.places.push_back(relative);
    }
    return result;
}

std::wstring NameFromText(std::wstring_view text, std::wstring_view extension) {
    std::wstring name;
    bool space = false;
    for (wchar_t c : text) {
        if (name.size() >= 40)
            break;
        if (c == L'\r' || c == L'\n') {
            if (!name.empty())
                break; // the first line is enough
            continue;
        }
        if (std::iswspace(c) || c < 0x20) {
            space = !name.empty();
            continue;
        }
        if (space)
            name += L' ';
        space = false;
        name += c;
    }
    std::wstring safe = SafeName(name);
    if (name.empty() || safe == L"_")
        safe = L"テキスト";
    return safe + std::wstring(extension);
}

} // namespace intake
