// Shortcut resolution against real .lnk files written by the shell link object.

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "intake/shortcut.h"
#include "list_fixtures.h"
#include "win/error.h"

namespace {

using Microsoft::WRL::ComPtr;
using tuckbay::test::SaveShortcut;
using tuckbay::test::SaveShortcutTo;
using tuckbay::test::ScratchFolder;

TEST(ResolveShortcut, GivesTheStoredTargetWhetherOrNotItExists) {
    ScratchFolder folder;
    std::wstring existing = folder.Write(L"target.txt", "x");
    SaveShortcutTo(folder / L"to existing.lnk", existing);
    EXPECT_EQ(intake::ResolveShortcut(folder / L"to existing.lnk"), existing);

    std::wstring missing = L"C:\\Windows\\no such folder\\ノート.exe";
    SaveShortcutTo(folder / L"to missing.lnk", missing);
    EXPECT_EQ(intake::ResolveShortcut(folder / L"to missing.lnk"), missing);
}

// A link whose stored target is longer than the old path limit. Wine cannot store one, so
// this object answers GetPath as Wine does: a buffer too small gets the text cut and
// without its NUL.
class LongTargetLink : public IShellLinkW, public IPersistFile {
public:
    explicit LongTargetLink(std::wstring target) : target_(std::move(target)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IShellLinkW)
            *out = static_cast<IShellLinkW*>(this);
        if (iid == IID_IPersistFile)
            *out = static_cast<IPersistFile*>(this);
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR file, int size, WIN32_FIND_DATAW*, DWORD) override {
        ++getPathCalls;
        size_t copied = std::min(target_.size() + 1, static_cast<size_t>(size));
        std::wmemcpy(file, target_.c_str(), copied);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR, DWORD) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR, int, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Resolve(HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR*) override { return E_NOTIMPL; }

    int getPathCalls = 0;

private:
    std::wstring target_;
};

TEST(ResolveShortcut, ReadsATargetLongerThanTheOldPathLimitWhole) {
    for (size_t length : {259u, 260u, 1000u, 5000u}) {
        std::wstring target = L"C:\\" + std::wstring(length - 3, L'x');
        LongTargetLink link(target);
        EXPECT_EQ(intake::ResolveShortcutWith(static_cast<IShellLinkW*>(&link), L"C:\\a.lnk"),
                  target)
            << length << " characters";
    }
}

TEST(ResolveShortcut, GivesNothingForWhatIsNoShortcutOrHasNoPath) {
    ScratchFolder folder;
    EXPECT_EQ(intake::ResolveShortcut(folder.Write(L"fake.lnk", "not a shortcut at all")), L"");
    EXPECT_EQ(intake::ResolveShortcut(folder / L"missing.lnk"), L"");

    // A shortcut to "My Computer", which has no file-system path.
    SaveShortcut(folder / L"virtual.lnk", [](IShellLinkW* link) {
        PIDLIST_ABSOLUTE computer = nullptr;
        ASSERT_HRESULT_SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer));
        link->SetIDList(computer);
        ::CoTaskMemFree(computer);
    });
    EXPECT_EQ(intake::ResolveShortcut(folder / L"virtual.lnk"), L"");
}

TEST(ResolveShortcut, ALinkObjectThatCannotBeCreatedIsAnErrorNamingTheClass) {
    // A thread that never initialised COM cannot create the object.
    std::wstring text;
    long code = 0;
    std::thread([&] {
        try {
            intake::ResolveShortcut(L"C:\\x.lnk");
        } catch (const win::Error& error) {
            text = error.Text();
            code = error.Code();
        }
    }).join();
    ASSERT_NE(code, 0);
    EXPECT_EQ(text, win::OleErrorText(code) + L", ClassID: {00021401-0000-0000-C000-000000000046}");
}

// An object that is no shell link at all.
class NotALink : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown)
            return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

TEST(ResolveShortcut, AnObjectWithoutTheLinkInterfaceIsAnError) {
    NotALink object;
    try {
        intake::ResolveShortcutWith(&object, L"C:\\x.lnk");
        FAIL() << "no error";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.Text(), L"Interface はサポートされていません");
    }
}

} // namespace
