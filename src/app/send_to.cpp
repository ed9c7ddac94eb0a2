#include "app/send_to.h"

#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "intake/shortcut.h"
#include "win/dialogs.h"
#include "win/error.h"
#include "win/path_parts.h"
#include "win/program_path.h"

namespace app {
namespace {

constexpr wchar_t kCannotRegister[] = L"「送る」メニューに登録できません。";

[[noreturn]] void ThrowCannotRegister(HRESULT hr) {
    throw win::Error(kCannotRegister + win::OleErrorText(hr), hr);
}

void SaveShortcut(const std::wstring& link, const std::wstring& program) {
    Microsoft::WRL::ComPtr<IShellLinkW> shortcut;
    HRESULT hr =
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shortcut));
    if (FAILED(hr))
        ThrowCannotRegister(hr);
    shortcut->SetPath(program.c_str());
    shortcut->SetWorkingDirectory(std::wstring(win::PathFolder(program)).c_str());
    Microsoft::WRL::ComPtr<IPersistFile> file;
    hr = shortcut.As(&file);
    if (SUCCEEDED(hr))
        hr = file->Save(link.c_str(), TRUE);
    if (FAILED(hr))
        ThrowCannotRegister(hr);
}

} // namespace

std::wstring SendToFolder() {
    PWSTR path = nullptr;
    HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_CREATE, nullptr, &path);
    std::wstring folder = SUCCEEDED(hr) && path != nullptr ? path : L"";
    ::CoTaskMemFree(path);
    if (FAILED(hr))
        ThrowCannotRegister(hr);
    return folder;
}

void RegisterInSendTo(HWND owner, win::Dialogs& dialogs, const std::wstring& folder,
                      const std::wstring& program) {
    const std::wstring link = folder + L"\\Tuckbay.lnk";
    if (::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        const std::wstring target = intake::ResolveShortcut(link);
        if (win::SamePath(target, program)) {
            dialogs.ShowMessage(owner, L"「送る」メニューには既に登録されています");
            return;
        }
        const std::wstring shown = target.empty() ? link : target;
        if (!dialogs.Confirm(owner, L"「送る」メニューの Tuckbay は " + shown +
                                        L" を開きます。このプログラムに置き換えますか？"))
            return;
    }
    SaveShortcut(link, program);
    dialogs.ShowMessage(owner, L"「送る」メニューに登録しました");
}

} // namespace app
