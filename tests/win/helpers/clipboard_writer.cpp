// Puts files on the clipboard as the shell does on Ctrl+C and Ctrl+X, or holds the clipboard
// open, so tests see both from another process.
//   clipboard_writer copy|cut|copy-ansi PATH...   CF_HDROP and "Preferred DropEffect"
//   clipboard_writer hold READY RELEASE           opens the clipboard with a window, sets the
//                                                 event READY, closes it when RELEASE is set
//   clipboard_writer viewer READY                 joins the clipboard viewer chain, sets READY
//                                                 and waits there to be killed, never leaving
//   clipboard_writer read FILE                    writes what a shell paste would find there
//                                                 to FILE, one UTF-16 line each: "effect N",
//                                                 "hdrop PATH", "idlist PATH"
// Exits with 0 on success.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A DROPFILES followed by the double-NUL list, wide or in the code page.
HGLOBAL BuildDrop(int argc, wchar_t** argv, bool wide) {
    std::wstring wideList;
    std::string narrowList;
    for (int i = 0; i < argc; ++i) {
        wideList += argv[i];
        wideList += L'\0';
        int bytes = ::WideCharToMultiByte(CP_ACP, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string path(bytes, '\0');
        ::WideCharToMultiByte(CP_ACP, 0, argv[i], -1, path.data(), bytes, nullptr, nullptr);
        narrowList += path; // includes its NUL
    }
    wideList += L'\0';
    narrowList += '\0';
    const void* list = wide ? static_cast<const void*>(wideList.data()) : narrowList.data();
    const size_t listBytes = wide ? wideList.size() * sizeof(wchar_t) : narrowList.size();
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + listBytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(global));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = wide;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list, listBytes);
    ::GlobalUnlock(global);
    return global;
}

int PutFiles(HWND window, int argc, wchar_t** argv, DWORD effect, bool wide) {
    if (argc == 0 || !::OpenClipboard(window))
        return 2;
    ::EmptyClipboard();
    HGLOBAL effectData = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    *static_cast<DWORD*>(::GlobalLock(effectData)) = effect;
    ::GlobalUnlock(effectData);
    const bool ok =
        ::SetClipboardData(CF_HDROP, BuildDrop(argc, argv, wide)) &&
        ::SetClipboardData(::RegisterClipboardFormatW(L"Preferred DropEffect"), effectData);
    ::CloseClipboard();
    return ok ? 0 : 3;
}

int Hold(HWND window, const wchar_t* ready, const wchar_t* release) {
    HANDLE readyEvent = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready);
    HANDLE releaseEvent = ::OpenEventW(SYNCHRONIZE, FALSE, release);
    if (!readyEvent || !releaseEvent || !::OpenClipboard(window))
        return 2;
    ::SetEvent(readyEvent);
    // Bounded, so a failing test cannot leave the clipboard held for the rest of the run.
    const DWORD waited = ::WaitForSingleObject(releaseEvent, 10000);
    ::CloseClipboard();
    return waited == WAIT_OBJECT_0 ? 0 : 4;
}

int JoinChainAndWait(const wchar_t* ready) {
    HANDLE readyEvent = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready);
    HWND viewer = ::CreateWindowExW(0, L"STATIC", L"viewer", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    nullptr, nullptr);
    if (!readyEvent || !viewer)
        return 2;
    // The next viewer is never told anything: this process dies in the chain.
    ::SetClipboardViewer(viewer);
    ::SetEvent(readyEvent);
    // Bounded, so that a test that forgets to kill it does not leave it running.
    const ULONGLONG end = ::GetTickCount64() + 20000;
    MSG msg;
    while (::GetTickCount64() < end) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
    }
    return 4;
}

// Each item of a "Shell IDList Array" as a file-system path.
void IdListPaths(HANDLE data, std::wstring& out) {
    const auto* array = static_cast<const CIDA*>(::GlobalLock(data));
    if (array == nullptr)
        return;
    auto* base = reinterpret_cast<const BYTE*>(array);
    auto parent = reinterpret_cast<LPCITEMIDLIST>(base + array->aoffset[0]);
    for (UINT i = 1; i <= array->cidl; ++i) {
        LPITEMIDLIST full =
            ::ILCombine(parent, reinterpret_cast<LPCITEMIDLIST>(base + array->aoffset[i]));
        std::wstring path(32768, L'\0');
        if (full != nullptr && ::SHGetPathFromIDListEx(full, path.data(), 32768, 0))
            out += L"idlist " + std::wstring(path.c_str()) + L"\n";
        ::ILFree(full);
    }
    ::GlobalUnlock(data);
}

int ReadFiles(HWND window, const wchar_t* file) {
    if (!::OpenClipboard(window))
        return 2;
    std::wstring out;
    if (HANDLE effect = ::GetClipboardData(::RegisterClipboardFormatW(L"Preferred DropEffect"))) {
        out +=
            L"effect " + std::to_wstring(*static_cast<const DWORD*>(::GlobalLock(effect))) + L"\n";
        ::GlobalUnlock(effect);
    }
    if (auto drop = static_cast<HDROP>(::GetClipboardData(CF_HDROP))) {
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
            out += L"hdrop " + path + L"\n";
        }
    }
    if (HANDLE ids = ::GetClipboardData(::RegisterClipboardFormatW(CFSTR_SHELLIDLIST)))
        IdListPaths(ids, out);
    ::CloseClipboard();
    HANDLE h = ::CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    ::WriteFile(h, out.data(), static_cast<DWORD>(out.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(h);
    return 0;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 2)
        return 1;
    HWND window = ::CreateWindowExW(0, L"STATIC", L"clipboard_writer", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, nullptr, nullptr);
    const std::wstring mode = argv[1];
    int result = 1;
    if (mode == L"copy")
        result = PutFiles(window, argc - 2, argv + 2, DROPEFFECT_COPY | DROPEFFECT_LINK, true);
    else if (mode == L"cut")
        result = PutFiles(window, argc - 2, argv + 2, DROPEFFECT_MOVE, true);
    else if (mode == L"copy-ansi")
        result = PutFiles(window, argc - 2, argv + 2, DROPEFFECT_COPY | DROPEFFECT_LINK, false);
    else if (mode == L"hold" && argc == 4)
        result = Hold(window, argv[2], argv[3]);
    else if (mode == L"read" && argc == 3)
        result = ReadFiles(window, argv[2]);
    else if (mode == L"viewer" && argc == 3)
        result = JoinChainAndWait(argv[2]);
    ::DestroyWindow(window);
    ::LocalFree(argv);
    return result;
}
