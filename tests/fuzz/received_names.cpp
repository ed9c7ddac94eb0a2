// Names for received files: whatever a source names, every place stays inside the folder, is a
// name a file may have, and no two places, nor a top item and a file already there, are one.
#include <cwctype>
#include <set>

#include "check.h"
#include "intake/receive_names.h"

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool FileMayHave(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L".." || name.back() == L'.' || name.back() == L' ')
        return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos)
            return false;
    std::wstring stem = Lower(name.substr(0, name.find(L'.')));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    for (const wchar_t* device : {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"})
        if (stem == device)
            return false;
    return !(stem.size() == 4 && (stem.rfind(L"com", 0) == 0 || stem.rfind(L"lpt", 0) == 0) &&
             std::iswdigit(stem[3]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One item a line; a line beginning with "+" is a folder. A few names are taken already.
    const std::wstring text = fuzz::InputText(data, size);
    std::vector<intake::GroupItem> items;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == L'\n') {
            std::wstring line = text.substr(start, i - start);
            const bool folder = !line.empty() && line[0] == L'+';
            items.push_back({folder ? line.substr(1) : line, folder});
            start = i + 1;
        }
    auto exists = [](const std::wstring& place) {
        static const std::set<std::wstring> there = {L"a.txt", L"a (2).txt", L"a", L"zip", L"_nul"};
        return there.count(Lower(place)) != 0;
    };
    const intake::GroupPlaces placed = intake::PlaceGroup(items, exists);
    FUZZ_CHECK(placed.places.size() == items.size());
    std::set<std::wstring> seen, topPlaces;
    for (size_t top : placed.top) {
        FUZZ_CHECK(top < items.size());
        FUZZ_CHECK(placed.places[top].find(L'\\') == std::wstring::npos);
        FUZZ_CHECK(!exists(placed.places[top]));
        topPlaces.insert(Lower(placed.places[top]));
    }
    for (size_t i = 0; i < items.size(); ++i) {
        const std::wstring& place = placed.places[i];
        size_t from = 0;
        for (size_t at = 0; at <= place.size(); ++at)
            if (at == place.size() || place[at] == L'\\') {
                FUZZ_CHECK(FileMayHave(place.substr(from, at - from)));
                from = at + 1;
            }
        // Every place lies in one of the listed top items, or is one.
        FUZZ_CHECK(topPlaces.count(Lower(place.substr(0, place.find(L'\\')))) != 0);
        // Only a folder named again shares its place.
        FUZZ_CHECK(seen.insert(Lower(place)).second || items[i].folder);
    }
    const std::wstring name = intake::NameFromText(text, L".txt");
    FUZZ_CHECK(FileMayHave(name));
    return 0;
}
