// The shell data object for the list, against the real shell namespace. The shell's
// allocator and folders are wrapped so that every identifier list made and freed is seen.

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "drag_kit.h"
#include "dragout/data_object.h"
#include "win/error.h"

namespace {

using dragout::CreateFilesDataObject;
using Microsoft::WRL::ComPtr;
using tuckbay::test::ShellIdListPaths;
using tuckbay::test::TempFolder;

// What the wrappers saw during one call.
struct Ledger {
    std::vector<void*> made;  // identifier lists the folders handed out
    std::vector<void*> freed; // pointers given to the allocator's Free
    int parses = 0;           // ParseDisplayName calls on the base folder
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
    STDMETHODIMP_(void*) Alloc(SIZE_T size) override { return inner_->Alloc(size); }
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
        return inner_->EnumObjects(hwnd, flags, list);
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

    EXPECT_EQ(ledger.parses, 5);
    EXPECT_EQ(ledger.dataObjects, 1);
    EXPECT_EQ(ledger.made.size(), 6u); // the base folder's list and one per path
    ExpectFreedExactlyWhatWasMade(ledger);
    result.Reset();
    EXPECT_EQ(ledger.liveWrappers, 0);
}

TEST(CreateFilesDataObject, AFailedParseStopsEverythingAndFreesExactlyWhatWasMade) {
    TempFolder temp;
    ComPtr<IDataObject> result;
    CreateFilesDataObject(L"", {temp.File(L"earlier.txt")}, result);
    ASSERT_TRUE(result);

    const std::vector<std::wstring> paths = {temp.File(L"1.txt"), temp.File(L"x\\2.txt"),
                                             temp.Path(L"missing.txt"), temp.File(L"4.txt"),
                                             temp.File(L"5.txt")};
    Ledger ledger;
    try {
        CreateFilesDataObject(L"", paths, result, Recording(ledger));
        ADD_FAILURE() << "no error for a path that does not exist";
    } catch (const win::Error& error) {
        EXPECT_EQ(static_cast<HRESULT>(error.Code()), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        // The shell's reason, then the path it was about.
        EXPECT_FALSE(win::OleErrorText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)).empty());
        EXPECT_EQ(error.Text(), win::OleErrorText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) +
                                    L"\r\n\"" + paths[2] + L"\"");
    }
    EXPECT_FALSE(result);
    EXPECT_EQ(ledger.parses, 3);
    EXPECT_EQ(ledger.dataObjects, 0);
    EXPECT_EQ(ledger.made.size(), 3u); // the base folder's list and the first two paths'
    ExpectFreedExactlyWhatWasMade(ledger);
    EXPECT_EQ(ledger.liveWrappers, 0);
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
