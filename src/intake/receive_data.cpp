#include "intake/receive_data.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>

#include "intake/drop_intake.h"
#include "intake/receive_names.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/path_parts.h"
#include "win/replace_file.h"

namespace intake {
namespace {

// Every read from a source goes through one buffer of this size: memory stays the same however
// large the file.
constexpr ULONG kBufferBytes = 1 << 20;

struct Medium : STGMEDIUM {
    Medium() : STGMEDIUM{} {}
    ~Medium() {
        if (tymed != TYMED_NULL)
            ::ReleaseStgMedium(this);
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
};

bool Offers(IDataObject* data, CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL) {
    FORMATETC f{format, nullptr, DVASPECT_CONTENT, -1, tymed};
    return data->QueryGetData(&f) == S_OK;
}

struct Entry {
    std::wstring name;
    bool folder = false;
    std::optional<uint64_t> size;
    std::optional<FILETIME> written;
};

template <typename Group, typename Convert>
std::vector<Entry> ReadGroup(const Medium& medium, Convert convert) {
    using Item = std::remove_reference_t<decltype(Group{}.fgd[0])>;
    win::GlobalLockScope lock(medium.hGlobal);
    const auto* group = static_cast<const Group*>(lock.Data());
    if (group == nullptr || lock.Size() < sizeof(UINT))
        throw win::Error(L"ファイルの一覧を読めません", DV_E_FORMATETC);
    const size_t fits = (lock.Size() - offsetof(Group, fgd)) / sizeof(Item);
    std::vector<Entry> entries;
    for (size_t i = 0; i < std::min<size_t>(group->cItems, fits); ++i) {
        const Item& item = group->fgd[i];
        Entry entry;
        entry.name = convert(item.cFileName, std::size(item.cFileName));
        entry.folder =
            (item.dwFlags & FD_ATTRIBUTES) && (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (item.dwFlags & FD_FILESIZE)
            entry.size = uint64_t(item.nFileSizeHigh) << 32 | item.nFileSizeLow;
        if (item.dwFlags & FD_WRITESTIME)
            entry.written = item.ftLastWriteTime;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<Entry> ReadDescriptor(IDataObject* data) {
    Medium medium;
    FORMATETC wide{RegisteredFormat(CFSTR_FILEDESCRIPTORW), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_HGLOBAL};
    if (SUCCEEDED(data->GetData(&wide, &medium)))
        return ReadGroup<FILEGROUPDESCRIPTORW>(medium, [](const wchar_t* name, size_t most) {
            return std::wstring(name, std::find(name, name + most, L'\0'));
        });
    FORMATETC narrow = wide;
    narrow.cfFormat = RegisteredFormat(CFSTR_FILEDESCRIPTORA);
    win::ThrowIfFailed(data->GetData(&narrow, &medium));
    return ReadGroup<FILEGROUPDESCRIPTORA>(medium, [](const char* name, size_t most) {
        const int length = static_cast<int>(std::find(name, name + most, '\0') - name);
        std::wstring wide(static_cast<size_t>(length), L'\0');
        wide.resize(static_cast<size_t>(
            ::MultiByteToWideChar(CP_ACP, 0, name, length, wide.data(), length)));
        return wide;
    });
}

// What the drop made so far, and nothing else, removed again when it is cancelled.
struct Made {
    std::vector<std::wstring> files, folders;
    void Remove() {
        for (const std::wstring& file : files)
            ::DeleteFileW(win::LongPathForm(file).c_str());
        for (auto at = folders.rbegin(); at != folders.rend(); ++at)
            ::RemoveDirectoryW(win::LongPathForm(*at).c_str());
    }
};

void MakeFolder(const std::wstring& path, Made& made) {
    if (::CreateDirectoryW(win::LongPathForm(path).c_str(), nullptr))
        made.folders.push_back(path);
    else if (::GetLastError() != ERROR_ALREADY_EXISTS)
        win::ThrowLastError();
}

class Counter {
public:
    Counter(win::Progress& progress, uint64_t total) : progress_(progress), total_(total) {
        progress_.Set(0, total_);
    }
    void Add(uint64_t bytes) {
        done_ += bytes;
        progress_.Set(done_, total_);
        progress_.Check();
    }

private:
    win::Progress& progress_;
    uint64_t total_;
    uint64_t done_ = 0;
};

void WriteAll(HANDLE file, const void* bytes, size_t size) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) || written != size)
        win::ThrowLastError();
}

// One item's contents into the file beside, which is whole when this returns.
void CopyContents(const Medium& medium, const Entry& entry, const std::wstring& beside, HANDLE file,
                  Counter& counter) {
    const auto tooShort = [] { throw win::Error(L"データが途中で終わっています"); };
    if (medium.tymed == TYMED_ISTREAM) {
        LARGE_INTEGER start{};
        medium.pstm->Seek(start, STREAM_SEEK_SET, nullptr); // some sources hand it read
        std::vector<char> buffer(kBufferBytes);
        uint64_t left = entry.size.value_or(~uint64_t(0));
        while (left > 0) {
            ULONG read = 0;
            const ULONG want = static_cast<ULONG>(std::min<uint64_t>(left, kBufferBytes));
            const HRESULT hr = medium.pstm->Read(buffer.data(), want, &read);
            if (FAILED(hr))
                win::ThrowIfFailed(hr);
            if (read == 0)
                break;
            WriteAll(file, buffer.data(), read);
            left -= std::min<uint64_t>(left, read);
            counter.Add(read);
        }
        if (entry.size && left > 0)
            tooShort();
    } else if (medium.tymed == TYMED_HGLOBAL) {
        win::GlobalLockScope lock(medium.hGlobal);
        if (lock.Data() == nullptr && lock.Size() != 0)
            win::ThrowLastError();
        // The block may be larger than the file: the size given is the file's.
        size_t size = lock.Size();
        if (entry.size) {
            if (*entry.size > size)
                tooShort();
            size = static_cast<size_t>(*entry.size);
        }
        const char* bytes = static_cast<const char*>(lock.Data());
        for (size_t at = 0; at < size; at += kBufferBytes) {
            const size_t n = std::min<size_t>(size - at, kBufferBytes);
            WriteAll(file, bytes + at, n);
            counter.Add(n);
        }
    } else if (medium.tymed == TYMED_ISTORAGE) {
        // A compound file (a mail program's message): its storage copied whole into the file.
        IStorage* target = nullptr;
        win::ThrowIfFailed(::StgCreateStorageEx(
            beside.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_DOCFILE, 0,
            nullptr, nullptr, IID_IStorage, reinterpret_cast<void**>(&target)));
        HRESULT hr = medium.pstg->CopyTo(0, nullptr, nullptr, target);
        if (SUCCEEDED(hr))
            hr = target->Commit(STGC_DEFAULT);
        target->Release();
        win::ThrowIfFailed(hr);
        // Flushed as every file is before its move; its size counts when none was given.
        win::FileHandle written(::CreateFileW(beside.c_str(), GENERIC_WRITE, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!written || !::FlushFileBuffers(written.get()) ||
            !::GetFileSizeEx(written.get(), &size))
            win::ThrowLastError();
        counter.Add(entry.size.value_or(static_cast<uint64_t>(size.QuadPart)));
    } else {
        throw win::Error(L"データの形式が違います", DV_E_TYMED);
    }
}

// The path the item got: target, or the next free name beside it.
std::wstring ReceiveItem(IDataObject* data, LONG index, const Entry& entry,
                         const std::wstring& folder, const std::wstring& target, Counter& counter) {
    FORMATETC f{RegisteredFormat(CFSTR_FILECONTENTS), nullptr, DVASPECT_CONTENT, index,
                TYMED_ISTREAM | TYMED_HGLOBAL | TYMED_ISTORAGE};
    Medium medium;
    win::ThrowIfFailed(data->GetData(&f, &medium));
    // The passing file lies in the basket's folder itself, where the program's start removes
    // what a killed write left.
    std::wstring beside;
    win::FileHandle file = win::CreateBeside(win::LongPathForm(folder + L"\\received"), beside);
    if (!file)
        win::ThrowLastError();
    try {
        if (medium.tymed == TYMED_ISTORAGE)
            file.reset();
        CopyContents(medium, entry, beside, file.get(), counter);
        if (file) {
            if (entry.written)
                ::SetFileTime(file.get(), nullptr, nullptr, &*entry.written);
            if (!::FlushFileBuffers(file.get()))
                win::ThrowLastError();
            file.reset();
        }
        return MoveToFreeName(beside, target);
    } catch (...) {
        file.reset();
        ::DeleteFileW(beside.c_str());
        throw;
    }
}

} // namespace

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(win::LongPathForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring MoveToFreeName(const std::wstring& beside, const std::wstring& target) {
    // The name was free when it was chosen, but another drop or program may have taken it
    // since: what is there now is never replaced.
    const std::wstring name(win::PathName(target));
    std::set<std::wstring> tried;
    for (std::wstring at = target;;) {
        if (win::MoveWithoutReplacing(beside, win::LongPathForm(at)))
            return at;
        const DWORD code = ::GetLastError();
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS)
            win::ThrowLastError();
        tried.insert(std::wstring(win::PathName(at)));
        at = win::Beside(target, UniqueName(name, [&](const std::wstring& other) {
                             return tried.count(other) != 0 || Exists(win::Beside(target, other));
                         }));
    }
}

CLIPFORMAT RegisteredFormat(const wchar_t* name) {
    return static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(name));
}

DropKind KindOf(IDataObject* data, bool pathsToo) {
    if (pathsToo && Offers(data, CF_HDROP))
        return DropKind::Files;
    const DWORD anyMedium = TYMED_ISTREAM | TYMED_HGLOBAL | TYMED_ISTORAGE;
    if ((Offers(data, RegisteredFormat(CFSTR_FILEDESCRIPTORW)) ||
         Offers(data, RegisteredFormat(CFSTR_FILEDESCRIPTORA))) &&
        Offers(data, RegisteredFormat(CFSTR_FILECONTENTS), anyMedium))
        return DropKind::FileGroup;
    if (Offers(data, RegisteredFormat(L"UniformResourceLocatorW")) ||
        Offers(data, RegisteredFormat(L"text/x-moz-url")))
        return DropKind::Link;
    if (Offers(data, RegisteredFormat(L"PNG")) || Offers(data, CF_DIBV5) || Offers(data, CF_DIB))
        return DropKind::Image;
    if (Offers(data, CF_UNICODETEXT))
        return DropKind::Text;
    return DropKind::Nothing;
}

HDROP CopyDroppedFiles(IDataObject* data) {
    FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    Medium medium;
    if (FAILED(data->GetData(&f, &medium)) || medium.tymed != TYMED_HGLOBAL)
        return nullptr;
    if (ReadDroppedPaths(static_cast<HDROP>(medium.hGlobal)).empty())
        return nullptr;
    win::GlobalLockScope lock(medium.hGlobal);
    win::GlobalHandle copy(::GlobalAlloc(GMEM_MOVEABLE, lock.Size()));
    if (!copy || lock.Data() == nullptr)
        return nullptr;
    win::GlobalLockScope target(copy.get());
    std::memcpy(target.Data(), lock.Data(), lock.Size());
    return static_cast<HDROP>(copy.release());
}

Received ReceiveFileGroup(IDataObject* data, const std::wstring& folder, win::Progress& progress) {
    const std::vector<Entry> entries = ReadDescriptor(data);
    std::vector<GroupItem> items;
    uint64_t total = 0;
    bool sized = true;
    for (const Entry& entry : entries) {
        items.push_back({entry.name, entry.folder});
        sized = sized && (entry.folder || entry.size);
        total += entry.size.value_or(0);
    }
    const GroupPlaces placed = PlaceGroup(
        items, [&](const std::wstring& place) { return Exists(folder + L"\\" + place); });
    Counter counter(progress, sized ? total : 0);
    Made made;
    std::vector<std::wstring> got(entries.size()); // where each item went, once it is whole
    Received received;
    try {
        for (size_t i = 0; i < entries.size(); ++i) {
            const std::wstring target = folder + L"\\" + placed.places[i];
            // The folders on the way, made as the group names them.
            for (size_t at = placed.places[i].find(L'\\'); at != std::wstring::npos;
                 at = placed.places[i].find(L'\\', at + 1))
                MakeFolder(folder + L"\\" + placed.places[i].substr(0, at), made);
            try {
                if (entries[i].folder) {
                    MakeFolder(target, made);
                    got[i] = target;
                } else {
                    got[i] = ReceiveItem(data, static_cast<LONG>(i), entries[i], folder, target,
                                         counter);
                    made.files.push_back(got[i]);
                }
            } catch (const win::Cancelled&) {
                throw;
            } catch (const win::Error& error) {
                received.failed.push_back(entries[i].name);
                if (received.reason.empty())
                    received.reason = error.Text();
            }
        }
    } catch (const win::Cancelled&) {
        made.Remove();
        throw;
    }
    for (size_t top : placed.top)
        if (!got[top].empty())
            received.paths.push_back(got[top]);
    return received;
}

Received ReceiveData(IDataObject* data, DropKind kind, const std::wstring& folder,
                     win::Progress& progress) {
    if (!::CreateDirectoryW(win::LongPathForm(folder).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        win::ThrowLastError();
    switch (kind) {
    case DropKind::FileGroup:
        return ReceiveFileGroup(data, folder, progress);
    case DropKind::Link:
        return ReceiveLink(data, folder);
    case DropKind::Image:
        return ReceiveImage(data, folder);
    case DropKind::Text:
        return ReceiveText(data, folder);
    default:
        return {};
    }
}

} // namespace intake
