#include "dragout/data_object.h"

#include "win/error.h"

namespace dragout {

namespace {

using Microsoft::WRL::ComPtr;

// Identifier lists the shell handed us: the array itself is ours, each list in it is the
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
HRESULT Parse(IShellFolder& folder, const std::wstring& path, LPITEMIDLIST* idList) {
    std::wstring text = path;
    HRESULT hr = folder.ParseDisplayName(nullptr, nullptr, text.data(), nullptr, idList, nullptr);
    if (FAILED(hr))
        *idList = nullptr;
    return hr;
}

} // namespace

void CreateFilesDataObject(const std::wstring& baseFolderPath,
                           const std::vector<std::wstring>& paths, ComPtr<IDataObject>& result,
                           const ShellNamespace& shell) {
    result.Reset();
    if (paths.empty())
        return;

    // Declared in the reverse of the order in which they are given back: the identifier
    // lists first, then the folder references, the allocator last.
    ComPtr<IMalloc> allocator;
    win::ThrowIfFailed(shell.getMalloc(&allocator));
    ComPtr<IShellFolder> desktop;
    win::ThrowIfFailed(shell.getDesktopFolder(&desktop));
    ComPtr<IShellFolder> baseFolder;

    IdLists base(allocator.Get(), 1);
    win::ThrowIfFailed(Parse(*desktop.Get(), baseFolderPath, base.Slot(0)));
    win::ThrowIfFailed(
        desktop->BindToObject(*base.Slot(0), nullptr, IID_IShellFolder, &baseFolder));

    IdLists items(allocator.Get(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        // In a long list the shell's reason alone doesn't tell which file it was.
        const HRESULT hr = Parse(*baseFolder.Get(), paths[i], items.Slot(i));
        if (FAILED(hr))
            throw win::Error(win::OleErrorText(hr) + L"\r\n\"" + paths[i] + L"\"", hr);
    }

    ComPtr<IDataObject> made;
    win::ThrowIfFailed(baseFolder->GetUIObjectOf(nullptr, items.Count(), items.Data(),
                                                 IID_IDataObject, nullptr, &made));
    // The data object keeps what it needs of the identifier lists, which go on the way out.
    result = std::move(made);
}

} // namespace dragout
