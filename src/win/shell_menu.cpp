#include "win/shell_menu.h"

#include <memory>

#include "win/error.h"
#include "win/handles.h"

namespace win {

namespace {

using Microsoft::WRL::ComPtr;

// The ids the shell may give its items; 0 is what the menu returns when nothing was picked.
constexpr UINT kFirstShellId = 1;
constexpr UINT kLastShellId = 0x7FFF;

struct FreeIdList {
    void operator()(ITEMIDLIST* list) const noexcept { ::ILFree(list); }
};
using IdList = std::unique_ptr<ITEMIDLIST, FreeIdList>;

// The menu a folder window shows for these items: made by their folder when they share one,
// so that its verbs act as there (Wine's delete, for one, works only so), else by the desktop
// over their full item ids.
ComPtr<IContextMenu> MenuOf(IShellFolder& desktop, HWND owner, std::vector<LPCITEMIDLIST> items) {
    IdList firstParent(::ILClone(items.front()));
    if (!firstParent)
        throw Error(OleErrorText(E_OUTOFMEMORY), E_OUTOFMEMORY);
    ::ILRemoveLastID(firstParent.get());
    bool oneFolder = true;
    for (size_t i = 1; i < items.size() && oneFolder; ++i) {
        IdList parent(::ILClone(items[i]));
        if (!parent)
            throw Error(OleErrorText(E_OUTOFMEMORY), E_OUTOFMEMORY);
        ::ILRemoveLastID(parent.get());
        oneFolder = ::ILIsEqual(parent.get(), firstParent.get()) != FALSE;
    }
    ComPtr<IContextMenu> menu;
    ComPtr<IShellFolder> folder;
    if (oneFolder &&
        SUCCEEDED(::SHBindToParent(items.front(), IID_IShellFolder, &folder, nullptr))) {
        std::vector<LPCITEMIDLIST> children;
        for (LPCITEMIDLIST item : items)
            children.push_back(::ILFindLastID(item));
        ThrowIfFailed(folder->GetUIObjectOf(owner, static_cast<UINT>(children.size()),
                                            children.data(), IID_IContextMenu, nullptr, &menu));
        return menu;
    }
    ThrowIfFailed(desktop.GetUIObjectOf(owner, static_cast<UINT>(items.size()), items.data(),
                                        IID_IContextMenu, nullptr, &menu));
    return menu;
}

} // namespace

void ShellMenu::Show(HWND owner, POINT at, const std::vector<std::wstring>& paths,
                     const std::function<void(const std::function<void()>&)>& around) {
    ComPtr<IShellFolder> desktop;
    ThrowIfFailed(::SHGetDesktopFolder(&desktop));
    // Full paths are parsed from the namespace root, so files of several folders make one
    // selection; every path is tried, so that the error names all that are missing.
    std::vector<IdList> lists;
    std::vector<LPCITEMIDLIST> items;
    std::vector<HRESULT> results;
    bool failed = false;
    for (const std::wstring& path : paths) {
        std::wstring text = path; // ParseDisplayName takes writable text
        LPITEMIDLIST list = nullptr;
        const HRESULT hr =
            desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &list, nullptr);
        results.push_back(hr);
        lists.emplace_back(SUCCEEDED(hr) ? list : nullptr);
        items.push_back(lists.back().get());
        failed = failed || FAILED(hr);
    }
    if (failed)
        throw FailedPathsError(paths, results);

    ComPtr<IContextMenu> menu = MenuOf(*desktop.Get(), owner, items);
    win::MenuHandle popup(::CreatePopupMenu());
    // CMF_NORMAL: no rename, which only a folder window's own view can do.
    ThrowIfFailed(menu->QueryContextMenu(popup.get(), 0, kFirstShellId, kLastShellId, CMF_NORMAL));
    menu.As(&menu2_);
    menu.As(&menu3_);
    const UINT chosen =
        ::TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y,
                         0, owner, nullptr);
    menu2_.Reset();
    menu3_.Reset();
    if (chosen < kFirstShellId)
        return;

    CMINVOKECOMMANDINFOEX invoke{};
    invoke.cbSize = sizeof(invoke);
    invoke.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE;
    invoke.hwnd = owner;
    invoke.lpVerb = MAKEINTRESOURCEA(chosen - kFirstShellId);
    invoke.lpVerbW = MAKEINTRESOURCEW(chosen - kFirstShellId);
    invoke.nShow = SW_SHOWNORMAL;
    invoke.ptInvoke = at;
    HRESULT hr = S_OK;
    around([&] { hr = menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&invoke)); });
    // A question of the shell's answered no is the user's choice, not a failure.
    if (hr != HRESULT_FROM_WIN32(ERROR_CANCELLED))
        ThrowIfFailed(hr);
}

bool ShellMenu::HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!menu2_ && !menu3_)
        return false;
    switch (msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        if (wParam != 0) // a control's, not a menu item's
            return false;
        break;
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        break;
    default:
        return false;
    }
    LRESULT answer = 0;
    if (menu3_ && SUCCEEDED(menu3_->HandleMenuMsg2(msg, wParam, lParam, &answer))) {
        result = answer;
        return true;
    }
    if (msg != WM_MENUCHAR && menu2_ && SUCCEEDED(menu2_->HandleMenuMsg(msg, wParam, lParam))) {
        result = msg == WM_INITMENUPOPUP ? 0 : TRUE;
        return true;
    }
    return false;
}

} // namespace win
