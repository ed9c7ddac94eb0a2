// What the list and intake tests share: a real file list in a real window, a scratch folder,
// and drops built as the platform builds them.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drop_builder.h"
#include "filelist/file_list.h"
#include "filelist/list_reader.h"
#include "main_window_fixture.h"
#include "win/thread_returns.h"

namespace tuckbay::test {

// A top-level window holding a virtual list view and a status bar, with the real FileList.
class ListWindow {
public:
    ListWindow() {
        frame_ = ::CreateWindowExW(0, L"STATIC", L"list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                   100, 400, 300, nullptr, nullptr, nullptr, nullptr);
        listView_ = ::CreateWindowExW(0, WC_LISTVIEWW, L"",
                                      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 400,
                                      250, frame_, nullptr, nullptr, nullptr);
        statusBar_ = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                       frame_, nullptr, nullptr, nullptr);
        bar_ = std::make_unique<win::StatusBar>(statusBar_);
        list_ = std::make_unique<filelist::FileList>(listView_, *bar_);
        reader_ = std::make_unique<filelist::ListFileReader>(*list_, *bar_, win::ThreadReturns());
    }
    ~ListWindow() {
        reader_.reset();
        list_.reset();
        ::DestroyWindow(frame_);
    }
    ListWindow(const ListWindow&) = delete;
    ListWindow& operator=(const ListWindow&) = delete;

    HWND Frame() const { return frame_; }
    filelist::FileList& List() { return *list_; }
    filelist::ListFileReader& Reader() { return *reader_; }
    std::vector<std::wstring> Paths() const { return list_->AllPaths(); }
    std::wstring CountText() const {
        wchar_t text[64] = {};
        ::SendMessageW(statusBar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

private:
    HWND frame_ = nullptr;
    HWND listView_ = nullptr;
    HWND statusBar_ = nullptr;
    std::unique_ptr<win::StatusBar> bar_;
    std::unique_ptr<filelist::FileList> list_;
    std::unique_ptr<filelist::ListFileReader> reader_;
};

// A file path of exactly length characters: "C:\", folder after folder, and ".txt".
inline std::wstring LongFilePath(size_t length, const std::wstring& folder) {
    std::wstring path = L"C:\\";
    while (path.size() < length - 4)
        path += folder;
    path.resize(length - 4);
    return path + L".txt";
}

// Everything in folder, "." and ".." included.
inline int EntryCountIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    int entries = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do
            ++entries;
        while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    return entries;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t base[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, base);
        // A new folder of its own: Wine gives a later test process the same id again, and a
        // folder an earlier one could not clear must not be taken for empty.
        static int serial = 0;
        do {
            path_ = std::wstring(base) + L"tuckbay-test-" +
                    std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
        } while (!::CreateDirectoryW(path_.c_str(), nullptr) &&
                 ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ~ScratchFolder() {
        // Not SHFileOperation: under Wine, a folder nested past MAX_PATH left it deleting the
        // files of the test's working folder instead. The long form of the path reaches them.
        std::error_code ignored;
        std::filesystem::remove_all(L"\\\\?\\" + path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }

    // Everything in the folder, "." and ".." included.
    int EntryCount() const { return EntryCountIn(path_); }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

    // Writes bytes to name in the folder and returns its full path.
    std::wstring Write(const std::wstring& name, const std::string& bytes) const {
        std::wstring file = *this / name;
        HANDLE h =
            ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(h);
        return file;
    }

private:
    std::wstring path_;
};

inline std::optional<std::string> ReadBytes(const std::wstring& file) {
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(h);
    return bytes;
}

inline bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Saves a shortcut at file; prepare sets what it points to.
template <typename Prepare> void SaveShortcut(const std::wstring& file, Prepare prepare) {
    Microsoft::WRL::ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    prepare(link.Get());
    Microsoft::WRL::ComPtr<IPersistFile> persist;
    ASSERT_HRESULT_SUCCEEDED(link.As(&persist));
    ASSERT_HRESULT_SUCCEEDED(persist->Save(file.c_str(), TRUE));
}

inline void SaveShortcutTo(const std::wstring& file, const std::wstring& target) {
    SaveShortcut(file, [&](IShellLinkW* link) { link->SetPath(target.c_str()); });
}

} // namespace tuckbay::test
