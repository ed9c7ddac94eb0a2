#include "clipboard_support.h"

#include <algorithm>

#include "file_bytes.h"
#include "pump.h"

namespace tuckbay::test {

namespace {

// The helper is built beside the test exe (or in a folder of it).
std::wstring HelperPath() {
    std::wstring exe(MAX_PATH, L'\0');
    DWORD length;
    while ((length = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()))) ==
           exe.size())
        exe.resize(exe.size() * 2);
    exe.resize(exe.rfind(L'\\', length) + 1);
    for (const wchar_t* folder : {L"", L"helpers\\"}) {
        std::wstring path = exe + folder + L"clipboard_writer.exe";
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return path;
    }
    return exe + L"clipboard_writer.exe";
}

win::KernelHandle StartHelper(const std::vector<std::wstring>& args) {
    std::wstring commandLine = L"\"" + HelperPath() + L"\"";
    for (const std::wstring& arg : args)
        commandLine += L" \"" + arg + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return win::KernelHandle();
    ::CloseHandle(process.hThread);
    return win::KernelHandle(process.hProcess);
}

bool Signalled(HANDLE handle) { return ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }

DWORD WaitForHelper(const win::KernelHandle& process) {
    if (!PumpUntil([&] { return Signalled(process.get()); }))
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

} // namespace

DWORD PutFilesFromHelper(const std::wstring& mode, const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> args{mode};
    args.insert(args.end(), paths.begin(), paths.end());
    win::KernelHandle helper = StartHelper(args);
    return helper ? WaitForHelper(helper) : ~0u;
}

std::vector<std::wstring> ReadFilesFromHelper() {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, folder);
    const std::wstring file = std::wstring(folder) + L"tuckbay_clipboard_read_" +
                              std::to_wstring(::GetCurrentProcessId()) + L".txt";
    ::DeleteFileW(file.c_str());
    win::KernelHandle helper = StartHelper({L"read", file});
    std::vector<std::wstring> lines;
    if (!helper || WaitForHelper(helper) != 0)
        return lines;
    const std::string bytes = ReadBytes(file);
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()),
                            bytes.size() / sizeof(wchar_t));
    ::DeleteFileW(file.c_str());
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

void PutText(HWND owner, const std::wstring& text) {
    if (!::OpenClipboard(owner))
        return;
    ::EmptyClipboard();
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(::GlobalLock(global)));
    ::GlobalUnlock(global);
    if (!::SetClipboardData(CF_UNICODETEXT, global))
        ::GlobalFree(global);
    ::CloseClipboard();
}

HeldClipboard::HeldClipboard() {
    const std::wstring suffix = std::to_wstring(::GetCurrentProcessId());
    const std::wstring readyName = L"TuckbayClipReady" + suffix;
    const std::wstring releaseName = L"TuckbayClipRelease" + suffix;
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    release_.reset(::CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));
    helper_ = StartHelper({L"hold", readyName, releaseName});
    held_ = helper_ &&
            PumpUntil([&] { return Signalled(ready_.get()) || Signalled(helper_.get()); }) &&
            Signalled(ready_.get());
}

HeldClipboard::~HeldClipboard() {
    ::SetEvent(release_.get());
    if (helper_)
        WaitForHelper(helper_);
}

ViewerProcess::ViewerProcess() {
    // Process ids come round again under Wine; the tick count keeps an old event out.
    const std::wstring readyName = L"TuckbayViewerReady" +
                                   std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(::GetTickCount64());
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    helper_ = StartHelper({L"viewer", readyName});
    joined_ = helper_ &&
              PumpUntil([&] { return Signalled(ready_.get()) || Signalled(helper_.get()); }) &&
              Signalled(ready_.get());
}

void ViewerProcess::Kill() {
    if (!helper_)
        return;
    ::TerminateProcess(helper_.get(), 9);
    WaitForHelper(helper_);
    helper_.reset();
}

bool ChainViewer::Handle(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_DRAWCLIPBOARD) {
        ++draws;
        if (next_)
            ::SendMessageW(next_, msg, wParam, lParam);
        return true;
    }
    if (msg == WM_CHANGECBCHAIN) {
        changes.emplace_back(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
        if (reinterpret_cast<HWND>(wParam) == next_)
            next_ = reinterpret_cast<HWND>(lParam);
        else if (next_)
            ::SendMessageW(next_, msg, wParam, lParam);
        result = 0;
        return true;
    }
    return false;
}

} // namespace tuckbay::test
