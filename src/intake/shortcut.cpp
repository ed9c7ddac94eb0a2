#include "intake/shortcut.h"

#include <objidl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cwchar>
#include <vector>

#include "win/error.h"

namespace intake {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kShellLinkClassId[] = L"{00021401-0000-0000-C000-000000000046}";

// GetPath has no way to ask for the length, and Wine leaves a cut-off result without its NUL: grow
// the buffer until the text ends with room to spare.
std::wstring StoredTarget(IShellLinkW* link) {
    for (size_t capacity = MAX_PATH;; capacity *= 2) {
        std::vector<wchar_t> buffer(capacity, L'\0');
        WIN32_FIND_DATAW findData{};
        HRESULT hr =
            link->GetPath(buffer.data(), static_cast<int>(capacity), &findData, SLGP_RAWPATH);
        if (hr != S_OK)
            return {};
        size_t length = wcsnlen(buffer.data(), capacity);
        if (length + 1 < capacity || capacity >= 0x10000) {
            return std::wstring(buffer.data(), std::min(length, capacity - 1));
        }
    }
}

} // namespace

std::wstring ResolveShortcutWith(IUnknown* linkObject, const std::wstring& path) {
    ComPtr<IShellLinkW> link;
    if (FAILED(linkObject->QueryInterface(IID_PPV_ARGS(&link)))) {
        throw win::Error(L"Interface はサポートされていません", E_NOINTERFACE);
    }
    // What follows only reads the file: every way it can go wrong means "no target".
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)))
        return {};
    if (FAILED(file->Load(path.c_str(), STGM_READ)))
        return {};
    return StoredTarget(link.Get());
}

std::wstring ResolveShortcut(const std::wstring& path) {
    ComPtr<IUnknown> object;
    HRESULT hr =
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                           IID_PPV_ARGS(&object));
    if (FAILED(hr)) {
        throw win::Error(win::OleErrorText(hr) + L", ClassID: " + kShellLinkClassId, hr);
    }
    return ResolveShortcutWith(object.Get(), path);
}

} // namespace intake
