#include "dragout/data_object.h"

#include "win/handles.h"

#include <shlwapi.h>

#include <cstring>
#include <string_view>
#include <unordered_map>

#include "win/error.h"

namespace dragout {

namespace {

using Microsoft::WRL::ComPtr;

// Identifier lists the operation owns: the array itself is ours, each list in it is the
// shell allocator's. Entries that were never filled stay null and are skipped.
class IdLists {
public:
    IdLists(IMalloc* allocator, size_t count) : allocator_(allocator), entries_(count, nullptr) {}
    ~IdLists() {
        for (LPITEMIDLIST entry : entries_)
            if (entry != nullptr)
                allocator_->Free(entry);
    }
    IdLists(const IdLists&) = delete;
    IdLists& operator=(const IdLists&) = delete;

    LPITEMIDLIST* Slot(size_t index) noexcept { return &entries_[index]; }
    LPCITEMIDLIST* Data() noexcept { return const_cast<LPCITEMIDLIST*>(entries_.data()); }
    UINT Count() const noexcept { return static_cast<UINT>(entries_.size()); }

private:
    IMalloc* allocator_;
    std::vector<LPITEMIDLIST> entries_;
};

// ParseDisplayName takes writable text; an empty path goes in as an empty string, never null.
// A failed parse leaves its slot empty whatever the shell wrote there, so that nothing of its
// is freed.
HRESULT Parse(IShellFolder& folder, const wchar_t* name, LPITEMIDLIST* idList) {
    std::wstring text = name;
    HRESULT hr = folder.ParseDisplayName(nullptr, nullptr, text.data(), nullptr, idList, nullptr);
    if (FAILED(hr))
        *idList = nullptr;
    return hr;
}

// The listed paths that share one parent folder. The shell parses a name inside a folder it
// has bound far faster than a full path from the namespace root, so each folder is parsed
// and bound once and its files are named relative to it.
struct Folder {
    std::wstring text;           // the folder's path, up to and with its closing backslash
    ComPtr<IShellFolder> folder; // null: its paths are parsed whole against the base folder
    std::vector<size_t> members; // indices into the listed paths, in list order
};

// Paths with no folder part before their name (a drive root, an empty text, no backslash at
// all) share the group with the empty folder text, which stands for the base folder itself.
std::vector<Folder> GroupByFolder(const std::vector<std::wstring>& paths) {
    std::vector<Folder> folders;
    std::unordered_map<std::wstring, size_t> byText;
    for (size_t i = 0; i < paths.size(); ++i) {
        const size_t slash = paths[i].find_last_of(L'\\');
        const bool hasName = slash != std::wstring::npos && slash + 1 < paths[i].size();
        std::wstring text = hasName ? paths[i].substr(0, slash + 1) : std::wstring();
        auto [at, added] = byText.try_emplace(std::move(text), folders.size());
        if (added)
            folders.push_back({at->first, nullptr, {}});
        folders[at->second].members.push_back(i);
    }
    return folders;
}

// The list of the folder followed by the list of an item in it, as one list relative to
// whatever the folder's list is relative to. Made with the shell allocator, like every other
// list the operation frees.
LPITEMIDLIST Combine(IMalloc& allocator, LPCITEMIDLIST folder, LPCITEMIDLIST item) {
    const UINT head = folder != nullptr ? ::ILGetSize(folder) - sizeof(USHORT) : 0;
    const UINT tail = ::ILGetSize(item);
    auto* combined = static_cast<BYTE*>(allocator.Alloc(head + tail));
    if (combined == nullptr)
        throw win::Error(win::OleErrorText(E_OUTOFMEMORY), E_OUTOFMEMORY);
    if (head > 0)
        std::memcpy(combined, folder, head);
    std::memcpy(combined + head, item, tail);
    return reinterpret_cast<LPITEMIDLIST>(combined);
}

// Parsing a name costs the shell a trip to the file system for that one file; listing a
// folder reads its entries in bulk, at a twentieth of that each under Wine. So a folder that
// many listed files share is listed when they make up a good part of it, and each entry whose
// name is exactly a listed name gives that path its identifier list. Whatever the listing
// doesn't match (another case, a short name, a file that isn't there) is left to the parse, so
// the result and any failure are the parse's own. The folder's entries are counted first, and
// only up to a limit, so that a crowded folder is not listed whole for a few of its files.
// (Wine reads a folder whole even to count it, so there the count costs a crowded folder's
// size, at a thirtieth of a parse an entry.)
constexpr size_t kListFolderFrom = 16;
constexpr size_t kEntriesPerListedFile = 8;

bool HasAtMost(const std::wstring& folderPath, size_t limit) {
    WIN32_FIND_DATAW found;
    win::FindHandle find(::FindFirstFileExW((folderPath + L'*').c_str(), FindExInfoBasic, &found,
                                            FindExSearchNameMatch, nullptr,
                                            FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return false;
    size_t count = 1;
    while (count <= limit && ::FindNextFileW(find.get(), &found))
        ++count;
    return count <= limit;
}

void NameFromTheFolderListing(IShellFolder& folder, IMalloc& allocator,
                              const std::vector<std::wstring>& paths, const Folder& group,
                              IdLists& items) {
    if (group.members.size() < kListFolderFrom ||
        !HasAtMost(group.text, group.members.size() * kEntriesPerListedFile))
        return;
    ComPtr<IEnumIDList> entries;
    if (folder.EnumObjects(nullptr,
                           SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN |
                               SHCONTF_INCLUDESUPERHIDDEN,
                           &entries) != S_OK)
        return;
    std::unordered_map<std::wstring_view, std::vector<size_t>> wanted;
    for (size_t i : group.members)
        wanted[std::wstring_view(paths[i]).substr(group.text.size())].push_back(i);
    LPITEMIDLIST entry = nullptr;
    while (!wanted.empty() && entries->Next(1, &entry, nullptr) == S_OK) {
        STRRET name{};
        wchar_t* text = nullptr;
        auto match = wanted.end();
        if (SUCCEEDED(folder.GetDisplayNameOf(entry, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)) &&
            SUCCEEDED(::StrRetToStrW(&name, entry, &text))) {
            match = wanted.find(text);
            ::CoTaskMemFree(text);
        }
        if (match == wanted.end()) {
            allocator.Free(entry);
            continue;
        }
        // The entry itself goes to the first of the paths it names, copies to the others.
        *items.Slot(match->second[0]) = entry;
        for (size_t k = 1; k < match->second.size(); ++k)
            *items.Slot(match->second[k]) = Combine(allocator, nullptr, entry);
        wanted.erase(match);
    }
}

// The wait cursor while a long list is named to the shell, the pointer as it was afterwards.
class WaitCursor {
public:
    explicit WaitCursor(bool show)
        : shown_(show), previous_(show ? ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)) : nullptr) {}
    ~WaitCursor() {
        if (shown_)
            ::SetCursor(previous_);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool shown_;
    HCURSOR previous_;
};

} // namespace

void CreateFilesDataObject(const std::wstring& baseFolderPath,
                           const std::vector<std::wstring>& paths, ComPtr<IDataObject>& result,
                           const ShellNamespace& shell) {
    result.Reset();
    if (paths.empty())
        return;
    WaitCursor wait(paths.size() > kWaitCursorAbove);

    // Declared in the reverse of the order in which they are given back: the identifier
    // lists first, then the folder references, the allocator last.
    ComPtr<IMalloc> allocator;
    win::ThrowIfFailed(shell.getMalloc(&allocator));
    ComPtr<IShellFolder> desktop;
    win::ThrowIfFailed(shell.getDesktopFolder(&desktop));
    ComPtr<IShellFolder> baseFolder;
    std::vector<Folder> folders = GroupByFolder(paths);

    IdLists base(allocator.Get(), 1);
    win::ThrowIfFailed(Parse(*desktop.Get(), baseFolderPath.c_str(), base.Slot(0)));
    win::ThrowIfFailed(
        desktop->BindToObject(*base.Slot(0), nullptr, IID_IShellFolder, &baseFolder));

    IdLists folderLists(allocator.Get(), folders.size());
    IdLists items(allocator.Get(), paths.size());
    // Every path is tried, so that a failure can name all the files the shell can't find.
    std::vector<HRESULT> results(paths.size(), S_OK);
    bool failed = false;
    for (size_t f = 0; f < folders.size(); ++f) {
        Folder& group = folders[f];
        // A folder the shell won't take leaves its paths to be parsed whole, so that what
        // the shell makes of each of them, its error code included, is what it always was.
        if (!group.text.empty() &&
            (FAILED(Parse(*baseFolder.Get(), group.text.c_str(), folderLists.Slot(f))) ||
             FAILED(baseFolder->BindToObject(*folderLists.Slot(f), nullptr,
                                             IID_PPV_ARGS(&group.folder)))))
            group.folder.Reset();
        IShellFolder& parent = group.folder ? *group.folder.Get() : *baseFolder.Get();
        const size_t nameStart = group.folder ? group.text.size() : 0;
        if (group.folder)
            NameFromTheFolderListing(*group.folder.Get(), *allocator.Get(), paths, group, items);
        for (size_t i : group.members) {
            if (*items.Slot(i) != nullptr)
                continue;
            results[i] = Parse(parent, paths[i].c_str() + nameStart, items.Slot(i));
            failed = failed || FAILED(results[i]);
        }
    }
    if (failed)
        throw win::FailedPathsError(paths, results);

    // One folder makes the object itself over its own items, as a folder window does for a
    // selection in it; items from several folders need lists relative to the base folder.
    ComPtr<IDataObject> made;
    if (folders.size() == 1) {
        IShellFolder& parent = folders[0].folder ? *folders[0].folder.Get() : *baseFolder.Get();
        win::ThrowIfFailed(parent.GetUIObjectOf(nullptr, items.Count(), items.Data(),
                                                IID_IDataObject, nullptr, &made));
    } else {
        IdLists combined(allocator.Get(), paths.size());
        for (size_t f = 0; f < folders.size(); ++f) {
            const LPCITEMIDLIST prefix = folders[f].folder ? *folderLists.Slot(f) : nullptr;
            for (size_t i : folders[f].members)
                *combined.Slot(i) = Combine(*allocator.Get(), prefix, *items.Slot(i));
        }
        win::ThrowIfFailed(baseFolder->GetUIObjectOf(nullptr, combined.Count(), combined.Data(),
                                                     IID_IDataObject, nullptr, &made));
    }
    // The data object keeps what it needs of the identifier lists, which go on the way out.
    result = std::move(made);
}

} // namespace dragout
