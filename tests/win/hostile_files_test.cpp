// Hostile files dropped on the real main window: list files that are not text, too big, locked
// or not files at all, and shortcuts that are broken or point nowhere. Each must end in what the
// rules say or in a clear message, with the list holding exactly the entries it should.

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "list_fixtures.h"
#include "main_window_fixture.h"
#include "win/codepage.h"

namespace {

using namespace tuckbay::test;
using Lines = std::vector<std::wstring>;

class HostileFiles : public MainWindowTest {
protected:
    // Big files take their time.
    void DropList(const std::wstring& file) {
        DropOn(mainWindow->Controls().listArea->Hwnd(), {file}, 60000);
    }
    void DropShortcuts(const Lines& files) {
        ASSERT_TRUE(mainWindow->Controls().shortcutButton->Down());
        DropOn(mainWindow->Controls().dropZone->Hwnd(), files);
    }
    void ExpectOpenError(const std::wstring& file) {
        ExpectOneErrorWithReason(L"ファイル \"" + file + L"\" は開けません。");
        EXPECT_TRUE(List().AllPaths().empty());
    }

    ScratchFolder folder;
};

// A literal's bytes, NULs included.
template <size_t N> std::string Bytes(const char (&text)[N]) { return std::string(text, N - 1); }

// The lines of bytes as the line format reads them, each converted on its own: a line break
// belongs to the format, never to a character around it.
Lines ReferenceLines(const std::string& bytes) {
    Lines lines;
    size_t at = 0;
    while (at < bytes.size() && bytes[at] != '\0') {
        size_t end = bytes.find_first_of(std::string_view("\r\n\0", 3), at);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(win::FromCodePage(std::string_view(bytes).substr(at, end - at)));
        at = end;
        if (at < bytes.size() && bytes[at] == '\r')
            ++at;
        if (at < bytes.size() && bytes[at] == '\n')
            ++at;
    }
    return lines;
}

TEST_F(HostileFiles, ListFilesOfBinaryAndBrokenTextKeepEveryLineBreak) {
    std::mt19937 random(7);
    std::string binary(1 << 16, '\0');
    for (char& c : binary)
        c = static_cast<char>(random() % 255 + 1); // NUL-free, so all of it is read
    std::wstring file = folder.Write(L"binary.lst", binary);
    DropList(file);
    Lines expected = ReferenceLines(binary);
    EXPECT_GT(expected.size(), 300u);
    EXPECT_EQ(List().AllPaths(), expected);
    EXPECT_EQ(CountText(), std::to_wstring(expected.size()));
    List().Clear();

    // Everything after the first NUL is ignored, also when a lead byte comes before it.
    DropList(folder.Write(L"nulbyte.lst", Bytes("C:\\one\r\nC:\\tw\0o\r\nC:\\three\r\n")));
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\one", L"C:\\tw"}));
    List().Clear();
    DropList(folder.Write(L"leadnul.lst", Bytes("C:\\a\x81\0C:\\b\r\n")));
    EXPECT_EQ(List().AllPaths(), (Lines{win::FromCodePage("C:\\a\x81")}));
    List().Clear();

    DropList(folder.Write(L"breaks.lst", "a\rb\n\rc\r\n\r\nd\n\n"));
    EXPECT_EQ(List().AllPaths(), (Lines{L"a", L"b", L"", L"c", L"", L"d", L""}));
    List().Clear();

    // Lead bytes of the double-byte code page with no valid trail byte: before a line break,
    // before a space, and as the file's last byte.
    std::string broken = "C:\\a\x81\r\nC:\\b\x82\nC:\\c\x83 d\rC:\\\x88\x9f\r\nC:\\e\x81";
    DropList(folder.Write(L"dbcs.lst", broken));
    EXPECT_EQ(List().AllPaths(),
              (Lines{win::FromCodePage("C:\\a\x81"), win::FromCodePage("C:\\b\x82"),
                     win::FromCodePage("C:\\c\x83 d"), L"C:\\亜", win::FromCodePage("C:\\e\x81")}));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(HostileFiles, HugeListFilesAreReadWhole) {
    // 100 MB: a hundred thousand distinct lines of a thousand bytes each.
    constexpr size_t kBigLines = 100000;
    constexpr size_t kLineBytes = 1000;
    {
        std::string bytes;
        bytes.reserve(kBigLines * kLineBytes);
        for (size_t i = 0; i < kBigLines; ++i) {
            std::string line = "C:\\big\\" + std::to_string(i) + "\\";
            line.resize(kLineBytes - 2, 'x');
            bytes += line + "\r\n";
        }
        std::wstring file = folder.Write(L"big.lst", bytes);
        bytes = {};
        DropList(file);
        ::DeleteFileW(file.c_str());
    }
    ASSERT_EQ(List().Count(), kBigLines);
    for (size_t i = 0; i < kBigLines; ++i) {
        std::wstring line = L"C:\\big\\" + std::to_wstring(i) + L"\\";
        line.resize(kLineBytes - 2, L'x');
        ASSERT_EQ(List().PathAt(i), line) << i;
    }
    EXPECT_EQ(CountText(), L"100000");
    List().Clear();

    constexpr size_t kManyLines = 1000000;
    {
        std::string bytes;
        for (size_t i = 0; i < kManyLines; ++i)
            bytes += "C:\\" + std::to_string(i) + "\n";
        std::wstring file = folder.Write(L"many.lst", bytes);
        bytes = {};
        DropList(file);
        ::DeleteFileW(file.c_str());
    }
    ASSERT_EQ(List().Count(), kManyLines);
    for (size_t i = 0; i < kManyLines; ++i)
        ASSERT_EQ(List().PathAt(i), L"C:\\" + std::to_wstring(i)) << i;
    EXPECT_EQ(CountText(), L"1000000");
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(HostileFiles, ListFilesThatCannotBeOpenedGiveTheOpenError) {
    // Held by a second thread without sharing, as another program holding it would.
    std::wstring locked = folder.Write(L"locked.lst", "C:\\one\r\n");
    HANDLE held = INVALID_HANDLE_VALUE;
    std::thread holder([&] {
        held = ::CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    });
    holder.join();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DropList(locked);
    ::CloseHandle(held);
    ExpectOpenError(locked);
    dialogs.errors.clear();

    std::wstring folderFile = folder / L"x.lst";
    ASSERT_TRUE(::CreateDirectoryW(folderFile.c_str(), nullptr));
    DropList(folderFile);
    ExpectOpenError(folderFile);
}

TEST_F(HostileFiles, AListFileOverTwoGigabytesIsRefusedByName) {
    // Sparse, so it costs no disk: only its size matters.
    std::wstring huge = folder / L"huge.lst";
    HANDLE h = ::CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = (2LL << 30) + 1;
    EXPECT_TRUE(::SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(h));
    ::CloseHandle(h);

    DropList(huge);
    ::DeleteFileW(huge.c_str());
    ExpectOneErrorWithReason(L"ストリームの読み込みエラー\r\n\"" + huge + L"\"\r\n");
    EXPECT_TRUE(List().AllPaths().empty());
}

// Folders nested past MAX_PATH, removed from the deepest up: the usual ways of removing a tree
// give up on them.
class DeepFolders {
public:
    ~DeepFolders() {
        for (auto at = made_.rbegin(); at != made_.rend(); ++at)
            ::RemoveDirectoryW((L"\\\\?\\" + *at).c_str());
    }
    bool Make(const std::wstring& path) {
        if (!::CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr))
            return false;
        made_.push_back(path);
        return true;
    }

private:
    std::vector<std::wstring> made_;
};

TEST_F(HostileFiles, AListFileOnAPathOfTwoThousandCharactersIsRead) {
    DeepFolders deep;
    std::wstring path = folder.Path();
    while (path.size() < 2000 - 6) {
        path += L"\\" + std::wstring(std::min<size_t>(200, 2000 - 7 - path.size()), L'd');
        ASSERT_TRUE(deep.Make(path)) << path.size();
    }
    path += L"\\x.lst";
    struct Remove {
        std::wstring file;
        ~Remove() { ::DeleteFileW((L"\\\\?\\" + file).c_str()); }
    } removeFile{path};
    ASSERT_EQ(path.size(), 2000u);
    HANDLE h = ::CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                             nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(h, "C:\\one\r\nC:\\two\r\n", 16, &written, nullptr);
    ::CloseHandle(h);

    DropList(path);
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\one", L"C:\\two"}));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(HostileFiles, BrokenShortcutsStayInTheListAsThemselves) {
    std::wstring good = folder / L"good.lnk";
    SaveShortcutTo(good, L"C:\\Windows\\notepad.exe");
    std::string goodBytes = *ReadBytes(good);
    ASSERT_GT(goodBytes.size(), 80u);

    std::wstring empty = folder.Write(L"empty.lnk", "");
    std::wstring header = folder.Write(L"header.lnk", goodBytes.substr(0, 40));
    std::wstring cut = folder.Write(L"cut.lnk", goodBytes.substr(0, goodBytes.size() / 2));
    std::mt19937 random(11);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    std::wstring random_ = folder.Write(L"random.lnk", noise);
    std::wstring virtualFolder = folder / L"virtual.lnk";
    SaveShortcut(virtualFolder, [](IShellLinkW* link) {
        LPITEMIDLIST drives = nullptr;
        ASSERT_HRESULT_SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives));
        link->SetIDList(drives);
        ::CoTaskMemFree(drives);
    });

    DropShortcuts({empty, header, cut, random_, virtualFolder, good});
    const Lines& got = List().AllPaths();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0], empty);
    EXPECT_EQ(got[1], header);
    // Half a shortcut may still hold its whole target; what it must not give is a cut-off one.
    EXPECT_TRUE(got[2] == cut || got[2] == L"C:\\Windows\\notepad.exe") << got[2].c_str();
    EXPECT_EQ(got[3], random_);
    EXPECT_EQ(got[4], virtualFolder);
    EXPECT_EQ(got[5], L"C:\\Windows\\notepad.exe");
    EXPECT_EQ(CountText(), L"6");
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(HostileFiles, ShortcutsToLongTargetsGiveTheWholeTarget) {
    auto target = [](size_t length) {
        std::wstring path = L"C:\\";
        while (path.size() < length) {
            path += std::wstring(std::min<size_t>(100, length - path.size()), L't');
            if (path.size() < length - 1)
                path += L'\\';
        }
        return path.substr(0, length);
    };
    std::wstring t259 = target(259);
    std::wstring t300 = target(300);
    ASSERT_EQ(t259.size(), 259u);
    ASSERT_EQ(t300.size(), 300u);
    std::wstring l259 = folder / L"259.lnk";
    std::wstring l300 = folder / L"300.lnk";
    SaveShortcutTo(l259, t259);
    SaveShortcutTo(l300, t300);

    DropShortcuts({l259, l300});
    ASSERT_EQ(List().Count(), 2u);
    EXPECT_EQ(List().PathAt(0), t259);
    // The platform may refuse to store a target past MAX_PATH; then the shortcut stays as
    // itself. Never a target cut short.
    EXPECT_TRUE(List().PathAt(1) == t300 || List().PathAt(1) == l300) << List().PathAt(1).size();
}

} // namespace
