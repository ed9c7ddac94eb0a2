// Faults of the machine under the real main window: folders and files that refuse writes, a disk
// that fills up in the middle of a save, a clipboard another program holds. The old list file
// must survive every failed save, and every message must say what failed.

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "clipboard_support.h"
#include "list_fixtures.h"
#include "main_window_fixture.h"
#include "pump.h"
#include "win/codepage.h"

namespace {

using namespace tuckbay::test;
using Lines = std::vector<std::wstring>;

// A folder under /tmp, seen from Windows through the Z: drive, so that Linux commands can act on
// it: the tests run as root, where only the file system itself can refuse a write.
class LinuxFolder {
public:
    explicit LinuxFolder(const std::string& name)
        : unix_("/tmp/tuckbay-" + name + "-" + std::to_string(::GetCurrentProcessId())),
          windows_(L"Z:" + Backslashed(unix_)) {
        ::CreateDirectoryW(windows_.c_str(), nullptr);
    }
    ~LinuxFolder() {
        Run("chattr -R -i '" + unix_ + "' ; umount '" + unix_ + "' 2>/dev/null ; rm -rf '" + unix_ +
            "'");
    }
    LinuxFolder(const LinuxFolder&) = delete;
    LinuxFolder& operator=(const LinuxFolder&) = delete;

    const std::string& Unix() const { return unix_; }
    // Entries in the folder besides "." and "..".
    int EntryCount() const { return EntryCountIn(windows_) - 2; }
    std::wstring operator/(const std::wstring& name) const { return windows_ + L"\\" + name; }

    // Runs a shell command line and waits for its end. Wine cannot wait for a Linux process, so
    // the command leaves a marker file behind it.
    bool Run(const std::string& command) const {
        static int serial = 0;
        const std::string marker = "/tmp/tuckbay-done-" + std::to_string(::GetCurrentProcessId()) +
                                   "-" + std::to_string(++serial);
        const std::wstring markerSeen = L"Z:" + Backslashed(marker);
        std::wstring commandLine =
            L"sh -c \"" + win::FromUtf8(command + " ; echo $? > '" + marker + "'") + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(L"Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process))
            return false;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        const bool ended = PumpUntil([&] { return FileExists(markerSeen); });
        const std::optional<std::string> status = ReadBytes(markerSeen);
        ::DeleteFileW(markerSeen.c_str());
        return ended && status && status->starts_with("0");
    }

private:
    static std::wstring Backslashed(const std::string& path) {
        std::wstring text = win::FromUtf8(path);
        for (wchar_t& c : text)
            if (c == L'/')
                c = L'\\';
        return text;
    }

    std::string unix_;
    std::wstring windows_;
};

void WriteBytesTo(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

class Faults : public MainWindowTest {
protected:
    void Command(int id) { ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, id, 0); }

    // Saves the list through the menu, as if the user had chosen target in the dialog.
    void SaveAs(const std::wstring& target) {
        dialogs.saveAnswer = target;
        Command(filelist::kIdSaveList);
    }
};

TEST_F(Faults, AnUnwritableSettingsFolderIsReportedByTheFilesPath) {
    LinuxFolder folder("settings");
    mainWindow.reset();
    ::DeleteFileW(settingsPath.c_str());
    dialogs.errors.clear();

    settingsPath = folder / L"tuckbay2.ini";
    MakeWindow();
    ASSERT_TRUE(folder.Run("chattr +i '" + folder.Unix() + "'"));
    mainWindow.reset();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], settingsPath + L" に書き込めません.");
    EXPECT_FALSE(FileExists(settingsPath));

    // A settings file that itself refuses writes keeps what it held.
    ASSERT_TRUE(folder.Run("chattr -i '" + folder.Unix() + "'"));
    const std::string old = "[position]\r\nTop=12\r\n";
    WriteBytesTo(settingsPath, old);
    dialogs.errors.clear();
    MakeWindow();
    ASSERT_TRUE(folder.Run("chattr +i '" + folder.Unix() + "/tuckbay2.ini'"));
    mainWindow.reset();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], settingsPath + L" に書き込めません.");
    EXPECT_EQ(ReadBytes(settingsPath), old);
    ASSERT_TRUE(folder.Run("chattr -i '" + folder.Unix() + "/tuckbay2.ini'"));
}

// A kept list that cannot be written or read is reported with its path and the reason; the
// program still ends, and starts with an empty list. (Wine's DeleteFile reports success on an
// immutable file, so a refused delete cannot be made here.)
TEST_F(Faults, AKeptListThatCannotBeWrittenOrReadIsReported) {
    LinuxFolder folder("kept");
    mainWindow.reset();
    ::DeleteFileW(settingsPath.c_str());
    settingsPath = folder / L"tuckbay2.ini";
    const std::wstring kept = folder / L"tuckbay2.lst";
    // The file alone: the settings beside it are replaced whole, through a new file in the
    // folder, and must still be written.
    const std::string lock = "chattr +i '" + folder.Unix() + "/tuckbay2.lst'";
    const std::string unlock = "chattr -i '" + folder.Unix() + "/tuckbay2.lst'";
    MakeWindow();
    mainWindow->RunCommand(filelist::kIdKeepList);
    Append({L"C:\\old"});
    mainWindow.reset(); // kept: C:\old
    dialogs.errors.clear();

    MakeWindow();
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\old"}));
    Append({L"C:\\new"});
    ASSERT_TRUE(folder.Run(lock));
    HWND hwnd = mainWindow->Hwnd();
    mainWindow.reset();
    EXPECT_FALSE(::IsWindow(hwnd));
    ASSERT_TRUE(folder.Run(unlock));
    ExpectOneErrorWithReason(L"ファイル \"" + kept + L"\" を作成できません。");
    EXPECT_EQ(ReadBytes(kept), "C:\\old\r\n");
    dialogs.errors.clear();

    // A folder where the list should be cannot be read: reported, put aside with what it holds,
    // and the list starts empty.
    ASSERT_TRUE(::DeleteFileW(kept.c_str()));
    ASSERT_TRUE(::CreateDirectoryW(kept.c_str(), nullptr));
    WriteBytesTo(kept + L"\\inside", "mine");
    WriteBytesTo(settingsPath, "[setting]\r\nkeeplist=1\r\n");
    MakeWindow();
    ExpectOneErrorWithReason(L"ファイル \"" + kept + L"\" は開けません。");
    const std::wstring aside = L"\r\n読み込めなかったリストは \"" + kept + L".bad\" に移しました.";
    EXPECT_TRUE(dialogs.errors[0].ends_with(aside)) << win::ToUtf8(dialogs.errors[0]);
    EXPECT_EQ(ReadBytes(kept + L".bad\\inside"), "mine");
    EXPECT_EQ(List().Count(), 0u);
}

TEST_F(Faults, ASaveThatCannotReplaceTheTargetLeavesTheOldFileWhole) {
    LinuxFolder folder("save");
    const std::string old = "C:\\old\r\n";
    const std::wstring target = folder / L"kept.lst";
    WriteBytesTo(target, old);
    Append({L"C:\\new1", L"C:\\new2"});

    ASSERT_TRUE(folder.Run("chattr +i '" + folder.Unix() + "'"));
    SaveAs(target);
    const std::wstring created = L"ファイル \"" + target + L"\" を作成できません。";
    ExpectOneErrorWithReason(created);
    EXPECT_EQ(ReadBytes(target), old);

    ASSERT_TRUE(folder.Run("chattr -i '" + folder.Unix() + "' && chattr +i '" + folder.Unix() +
                           "/kept.lst'"));
    dialogs.errors.clear();
    SaveAs(target);
    ExpectOneErrorWithReason(created);
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(folder.EntryCount(), 1) << "a half-written file was left behind";
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\new1", L"C:\\new2"}));
}

TEST_F(Faults, ADiskThatFillsDuringASaveLeavesTheOldFileWhole) {
    // A file system of 1.5 MB: the first megabyte of the save fits, the rest does not.
    LinuxFolder folder("full");
    ASSERT_TRUE(folder.Run("mount -t tmpfs -o size=1536k tmpfs '" + folder.Unix() + "'"))
        << "mounting a small tmpfs needs root";
    const std::string old = "C:\\old\r\n";
    const std::wstring target = folder / L"kept.lst";
    WriteBytesTo(target, old);
    for (int i = 0; i < 3000; ++i) {
        std::wstring path = L"C:\\" + std::to_wstring(i) + L"\\";
        path.resize(998, L'x');
        List().AppendPath(path);
    }
    List().UpdateCountDisplay();

    SaveAs(target);
    ExpectOneErrorWithReason(L"ストリームへの書き込みエラー\r\n\"" + target + L"\"\r\n");
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(folder.EntryCount(), 1) << "a half-written file was left behind";
    EXPECT_EQ(List().Count(), 3000u);

    // With room again the same save goes through.
    ASSERT_TRUE(folder.Run("mount -o remount,size=8m '" + folder.Unix() + "'"));
    dialogs.errors.clear();
    SaveAs(target);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(ReadBytes(target)->size(), 3000u * 1000u);
}

TEST_F(Faults, AClipboardHeldByAnotherProgramStopsExportAndImportWithTheirMessage) {
    ScratchFolder folder;
    const std::wstring file = folder.Write(L"a.txt", "a");
    Append({file.c_str()});
    Command(filelist::kIdCopyListAsText); // the clipboard now holds the list's text
    {
        HeldClipboard held;
        ASSERT_TRUE(held.Held()) << "the helper could not hold the clipboard";
        Command(filelist::kIdCopyListAsText);
        Command(filelist::kIdAddFromClipboardText);
    }
    EXPECT_EQ(dialogs.errors, (Lines{L"クリップボードを開くことができません.",
                                     L"クリップボードを開くことができません."}));
    EXPECT_EQ(List().AllPaths(), (Lines{file}));
    EXPECT_EQ(CountText(), L"1");

    // Once it is free again, the earlier export is still there to import.
    dialogs.errors.clear();
    Command(filelist::kIdAddFromClipboardText);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(List().AllPaths(), (Lines{file, file}));
}

} // namespace
