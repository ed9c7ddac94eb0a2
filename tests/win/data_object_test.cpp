// The shell data object for the list, against the real shell namespace. The shell's
// allocator and folders are wrapped so that every identifier list made and freed is seen.

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "drag_kit.h"
#include "dragout/data_object.h"
#include "win/error.h"

namespace {

using dragout::CreateFilesDataObject;
using Microsoft::WRL::ComPtr;
using tuckbay::test::HdropPaths;
using tuckbay::test::ShellIdListPaths;
using tuckbay::test::TempFolder;

// What the wrappers saw during one call.
struct Ledger {
    std::vector<void*> made;  // identifier lists the folders handed out or the allocator made
    std::vector<void*> freed; // pointers given to the allocator's Free
    int parses = 0;           // ParseDisplayName calls on folders bound from others
    size_t listed = 0;        // entries handed out by folders listing their contents
    int dataObjects = 0;      // GetUIObjectOf calls
    int liveWrappers = 0;     // wrapper objects not yet released
    int mallocRequests = 0;
};

// Counts its own references, so that a test can see every one given back.
template <typename Interface> class Counted : public Interface {
public:
    explicit Counted(Ledger& ledger) : ledger_(ledger) { ++ledger_.liveWrappers; }
    virtual ~Counted() { --ledger_.liveWrappers; }
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    Ledger& ledger_;

private:
    ULONG refs_ = 1;
};

class RecordingMalloc : public Counted<IMalloc> {
public:
    RecordingMalloc(Ledger& ledger, ComPtr<IMalloc> inner) : Counted(ledger), inner_(inner) {}
    STDMETHODIMP_(void*) Alloc(SIZE_T size) override {
        void* p = inner_->Alloc(size);
        if (p != nullptr)
            ledger_.made.push_back(p);
        return p;
    }
    STDMETHODIMP_(void*) Realloc(void* p, SIZE_T size) override { return inner_->Realloc(p, size); }
    STDMETHODIMP_(void) Free(void* p) override {
        ledger_.freed.push_back(p);
        inner_->Free(p);
    }
    STDMETHODIMP_(SIZE_T) GetSize(void* p) override { return inner_->GetSize(p); }
    STDMETHODIMP_(int) DidAlloc(void* p) override { return inner_->DidAlloc(p); }
    STDMETHODIMP_(void) HeapMinimize() override { inner_->HeapMinimize(); }

private:
    ComPtr<IMalloc> inner_;
};

class RecordingEntries : public Counted<IEnumIDList> {
public:
    RecordingEntries(Ledger& ledger, ComPtr<IEnumIDList> inner) : Counted(ledger), inner_(inner) {}
    STDMETHODIMP Next(ULONG wanted, LPITEMIDLIST* entries, ULONG* fetched) override {
        ULONG got = 0;
        HRESULT hr = inner_->Next(wanted, entries, &got);
        ledger_.made.insert(ledger_.made.end(), entries, entries + got);
        ledger_.listed += got;
        if (fetched != nullptr)
            *fetched = got;
        return hr;
    }
    STDMETHODIMP Skip(ULONG count) override { return inner_->Skip(count); }
    STDMETHODIMP Reset() override { return inner_->Reset(); }
    STDMETHODIMP Clone(IEnumIDList**) override { return E_NOTIMPL; }

private:
    ComPtr<IEnumIDList> inner_;
};

class RecordingFolder : public Counted<IShellFolder> {
public:
    RecordingFolder(Ledger& ledger, ComPtr<IShellFolder> inner, bool isBase)
        : Counted(ledger), inner_(inner), isBase_(isBase) {}

    STDMETHODIMP ParseDisplayName(HWND hwnd, IBindCtx* bc, LPWSTR name, ULONG* eaten,
                                  PIDLIST_RELATIVE* idList, ULONG* attributes) override {
        if (isBase_)
            ++ledger_.parses;
        HRESULT hr = inner_->ParseDisplayName(hwnd, bc, name, eaten, idList, attributes);
        if (SUCCEEDED(hr))
            ledger_.made.push_back(*idList);
        return hr;
    }
    STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE idList, IBindCtx* bc, REFIID iid,
                              void** object) override {
        ComPtr<IShellFolder> folder;
        HRESULT hr = inner_->BindToObject(idList, bc, IID_PPV_ARGS(&folder));
        if (FAILED(hr))
            return hr;
        auto* wrapper = new RecordingFolder(ledger_, folder, true);
        hr = wrapper->QueryInterface(iid, object);
        wrapper->Release();
        return hr;
    }
    STDMETHODIMP GetUIObjectOf(HWND hwnd, UINT count, PCUITEMID_CHILD_ARRAY items, REFIID iid,
                               UINT* reserved, void** object) override {
        ++ledger_.dataObjects;
        return inner_->GetUIObjectOf(hwnd, count, items, iid, reserved, object);
    }
    STDMETHODIMP EnumObjects(HWND hwnd, SHCONTF flags, IEnumIDList** list) override {
        ComPtr<IEnumIDList> entries;
        HRESULT hr = inner_->EnumObjects(hwnd, flags, &entries);
        if (hr != S_OK)
            return hr;
        *list = new RecordingEntries(ledger_, entries);
        return hr;
    }
    STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE idList, IBindCtx* bc, REFIID iid,
                               void** object) override {
        return inner_->BindToStorage(idList, bc, iid, object);
    }
    STDMETHODIMP CompareIDs(LPARAM how, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
        return inner_->CompareIDs(how, a, b);
    }
    STDMETHODIMP CreateViewObject(HWND hwnd, REFIID iid, void** object) override {
        return inner_->CreateViewObject(hwnd, iid, object);
    }
    STDMETHODIMP GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items,
                                 SFGAOF* attributes) override {
        return inner_->GetAttributesOf(count, items, attributes);
    }
    STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags, STRRET* name) override {
        return inner_->GetDisplayNameOf(item, flags, name);
    }
    STDMETHODIMP SetNameOf(HWND hwnd, PCUITEMID_CHILD item, LPCWSTR name, SHGDNF flags,
                           PITEMID_CHILD* out) override {
        return inner_->SetNameOf(hwnd, item, name, flags, out);
    }

private:
    ComPtr<IShellFolder> inner_;
    bool isBase_;
};

dragout::ShellNamespace Recording(Ledger& ledger) {
    dragout::ShellNamespace shell;
    shell.getMalloc = [&ledger](IMalloc** out) {
        ++ledger.mallocRequests;
        ComPtr<IMalloc> real;
        HRESULT hr = SHGetMalloc(&real);
        if (SUCCEEDED(hr))
            *out = new RecordingMalloc(ledger, real);
        return hr;
    };
    shell.getDesktopFolder = [&ledger](IShellFolder** out) {
        ComPtr<IShellFolder> real;
        HRESULT hr = SHGetDesktopFolder(&real);
        if (SUCCEEDED(hr))
            *out = new RecordingFolder(ledger, real, false);
        return hr;
    };
    return shell;
}

// Every identifier list made was freed exactly once, and nothing else was.
void ExpectFreedExactlyWhatWasMade(const Ledger& ledger) {
    std::multiset<void*> made(ledger.made.begin(), ledger.made.end());
    std::multiset<void*> freed(ledger.freed.begin(), ledger.freed.end());
    EXPECT_EQ(made, freed);
    EXPECT_EQ(made.count(nullptr), 0u);
}

TEST(CreateFilesDataObject, EmptyListEmptiesTheResultWithoutAskingTheShell) {
    TempFolder temp;
    ComPtr<IDataObject> held;
    CreateFilesDataObject(L"", {temp.File(L"a.txt")}, held);
    ASSERT_TRUE(held);
    ComPtr<IDataObject> result = held;

    Ledger ledger;
    CreateFilesDataObject(L"", {}, result, Recording(ledger));
    EXPECT_FALSE(result);
    EXPECT_EQ(ledger.mallocRequests, 0);
    EXPECT_EQ(ledger.parses, 0);
    // Only our own reference is left on the object the result used to hold.
    held->AddRef();
    EXPECT_EQ(held->Release(), 1u);
}

TEST(CreateFilesDataObject, ListsEveryPathInOrderAcrossFoldersWithDuplicatesKept) {
    TempFolder temp;
    const std::wstring one = temp.File(L"one.txt");
    EXPECT_EQ(ShellIdListPaths([&] {
                  ComPtr<IDataObject> single;
                  CreateFilesDataObject(L"", {one}, single);
                  return single;
              }()
                                   .Get()),
              std::vector<std::wstring>{one});

    const std::vector<std::wstring> paths = {temp.File(L"b\\second.txt"), one,
                                             temp.File(L"a\\deeper\\名前 with space.txt"), one,
                                             temp.File(L"a\\first.txt")};
    Ledger ledger;
    ComPtr<IDataObject> result;
    CreateFilesDataObject(L"", paths, result, Recording(ledger));
    ASSERT_TRUE(result);
    EXPECT_EQ(ShellIdListPaths(result.Get()), paths);

    // Each of the four folders is parsed once, then each path within its folder.
    EXPECT_EQ(ledger.parses, 4 + 5);
    EXPECT_EQ(ledger.dataObjects, 1);
    // The base folder's list, the folders', the paths' and the paths' combined with theirs.
    EXPECT_EQ(ledger.made.size(), 1u + 4 + 5 + 5);
    ExpectFreedExactlyWhatWasMade(ledger);
    result.Reset();
    EXPECT_EQ(ledger.liveWrappers, 0);
}

// What the shell answers for a full path parsed from the namespace root: the code that a
// failure to name that path must carry, however the path was parsed.
HRESULT RootParseResult(const std::wstring& path) {
    ComPtr<IShellFolder> desktop;
    SHGetDesktopFolder(&desktop);
    std::wstring text = path;
    LPITEMIDLIST idList = nullptr;
    HRESULT hr =
        desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &idList, nullptr);
    CoTaskMemFree(idList);
    return hr;
}

TEST(CreateFilesDataObject, FailsWithTheFirstReasonAndNamesEveryPathTheShellCannotFind) {
    TempFolder temp;
    struct Case {
        const char* what;
        std::vector<std::wstring> paths;
        std::vector<size_t> named; // indices of the paths the text names, in order
        size_t more;               // those counted but not named
    };
    std::vector<std::wstring> lostFolder = {temp.File(L"kept\\a.txt"), temp.File(L"gone\\01.txt"),
                                            temp.Path(L"kept\\lost.txt"),
                                            temp.File(L"gone\\01.txt")};
    for (int i = 2; i <= 11; ++i)
        lostFolder.push_back(temp.File(L"gone\\" + std::to_wstring(i) + L".txt"));
    lostFolder.push_back(temp.File(L"kept\\b.txt"));
    std::filesystem::remove_all(temp.Path(L"gone"));
    std::vector<std::wstring> manyInOne;
    for (int i = 0; i < 20; ++i)
        manyInOne.push_back(i == 13 ? temp.Path(L"many\\lost.txt")
                                    : temp.File(L"many\\" + std::to_wstring(i) + L".txt"));
    const Case cases[] = {
        {"one file missing among five",
         {temp.File(L"1.txt"), temp.File(L"x\\2.txt"), temp.Path(L"missing.txt"),
          temp.File(L"4.txt"), temp.File(L"5.txt")},
         {2},
         0},
        // Twelve different paths can't be found; the duplicate is named once.
        {"a folder that vanished after listing", lostFolder, {1, 2, 4, 5, 6, 7, 8, 9, 10, 11}, 2},
        // Enough files of one folder for it to be listed: the listing can't hide the gap.
        {"one file missing among twenty in one folder", manyInOne, {13}, 0},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComPtr<IDataObject> result;
        CreateFilesDataObject(L"", {temp.File(L"earlier.txt")}, result);
        ASSERT_TRUE(result);
        const HRESULT code = RootParseResult(c.paths[c.named[0]]);
        ASSERT_LT(code, 0);
        std::wstring expected = win::OleErrorText(code);
        for (size_t i : c.named)
            expected += L"\r\n\"" + c.paths[i] + L"\"";
        if (c.more > 0)
            expected += L"\r\nほか " + std::to_wstring(c.more) + L" 件";

        Ledger ledger;
        try {
            CreateFilesDataObject(L"", c.paths, result, Recording(ledger));
            ADD_FAILURE() << "no error for paths that do not exist";
        } catch (const win::Error& error) {
            EXPECT_EQ(static_cast<HRESULT>(error.Code()), code);
            EXPECT_EQ(error.Text(), expected);
        }
        EXPECT_FALSE(result);
        EXPECT_EQ(ledger.dataObjects, 0);
        EXPECT_GT(ledger.made.size(), 1u);
        ExpectFreedExactlyWhatWasMade(ledger);
        EXPECT_EQ(ledger.liveWrappers, 0);
    }
}

TEST(CreateFilesDataObject, LongListsDrivesAndWideNamesArriveInListOrderInBothFormats) {
    TempFolder temp;
    // A folder of this test's own on the drive Wine maps to the root of the file system.
    TempFolder other(L"Z:\\tmp");
    struct Case {
        const char* what;
        std::vector<std::wstring> paths;
        bool oneFolder;
        int parses; // folders parsed, then names the folder's listing did not give
        std::vector<std::wstring> received = {}; // if not the paths: the names as on disk
    };
    Case cases[] = {{"1,001 files in one folder", {}, true, 1},
                    {"1,000 files over 50 folders, taken in turns", {}, false, 50},
                    {"files on two drives",
                     {other.File(L"z.txt"), temp.File(L"c.txt"), other.File(L"z.txt")},
                     false,
                     2 + 3},
                    // Neither the Japanese nor any other single code page has all of these.
                    {"names outside the code page",
                     {temp.File(L"wide\\한국어 ελληνικά.txt"), temp.File(L"wide\\😀 ĉ ő.txt")},
                     true,
                     1 + 2},
                    // Too few of the folder's files to be worth reading it whole.
                    {"20 files of a folder of 1,001", {}, true, 1 + 20},
                    // The listing matches names exactly; the parse finds the rest.
                    {"names in another case than on disk", {}, true, 1 + 8}};
    for (size_t i = 0; i < 1001; ++i)
        cases[0].paths.push_back(temp.File(L"one\\" + std::to_wstring(i) + L".txt"));
    for (size_t i = 0; i < 1000; ++i)
        cases[1].paths.push_back(
            temp.File(L"fifty\\" + std::to_wstring(i % 50) + L"\\" + std::to_wstring(i) + L".txt"));
    for (size_t i = 0; i < 20; ++i)
        cases[4].paths.push_back(cases[0].paths[i * 50]);
    for (size_t i = 0; i < 16; ++i) {
        std::wstring name = L"Name " + std::to_wstring(i) + L".txt";
        cases[5].received.push_back(temp.File(L"case\\" + name));
        if (i % 2 == 1)
            CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
        cases[5].paths.push_back(temp.Path(L"case\\" + name));
    }

    const HCURSOR waitCursor = LoadCursorW(nullptr, IDC_WAIT);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ledger ledger;
        HCURSOR during = nullptr;
        dragout::ShellNamespace shell = Recording(ledger);
        shell.getMalloc = [&during, inner = shell.getMalloc](IMalloc** out) {
            during = GetCursor();
            return inner(out);
        };
        const HCURSOR before = GetCursor();
        ComPtr<IDataObject> result;
        CreateFilesDataObject(L"", c.paths, result, shell);
        ASSERT_TRUE(result);
        EXPECT_EQ(during == waitCursor, c.paths.size() > dragout::kWaitCursorAbove);
        EXPECT_EQ(GetCursor(), before);

        const std::vector<std::wstring>& received = c.received.empty() ? c.paths : c.received;
        EXPECT_EQ(ShellIdListPaths(result.Get()), received);
        // Under Wine only an object made by the items' own folder renders CF_HDROP as the
        // files themselves; one made higher up gives their drives.
        if (c.oneFolder)
            EXPECT_EQ(HdropPaths(result.Get()), received);
        EXPECT_EQ(ledger.parses, c.parses);
        ExpectFreedExactlyWhatWasMade(ledger);
        result.Reset();
        EXPECT_EQ(ledger.liveWrappers, 0);
    }
}

TEST(CreateFilesDataObject, ABaseFolderTheShellCannotFindFailsWithNothingToFree) {
    TempFolder temp;
    Ledger ledger;
    ComPtr<IDataObject> result;
    try {
        CreateFilesDataObject(temp.Path(L"no such folder"), {temp.File(L"a.txt")}, result,
                              Recording(ledger));
        ADD_FAILURE() << "no error for a base folder that does not exist";
    } catch (const win::Error& error) {
        EXPECT_LT(error.Code(), 0);
        EXPECT_EQ(error.Text(), win::OleErrorText(static_cast<HRESULT>(error.Code())));
    }
    EXPECT_FALSE(result);
    EXPECT_TRUE(ledger.made.empty());
    EXPECT_TRUE(ledger.freed.empty());
    EXPECT_EQ(ledger.parses, 0);
    EXPECT_EQ(ledger.liveWrappers, 0);
}

} // namespace
