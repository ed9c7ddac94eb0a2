#include "settings/settings_file.h"
#include "win/error.h"
#include "win/program_path.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "file_bytes.h"

using tuckbay::test::ReadBytes;
using tuckbay::test::WriteBytes;

namespace {

// A fresh folder under the temporary folder, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, base);
        path_ = std::wstring(base) + L"tuckbay_settings_" + std::to_wstring(GetCurrentProcessId()) +
                L"_" + std::to_wstring(counter_++);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                std::wstring full = path_ + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveDirectoryW(full.c_str());
                else
                    DeleteFileW(full.c_str());
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }

private:
    static inline int counter_ = 0;
    std::wstring path_;
};

const char kFullFile[] =
    "[position]\r\nTop=120\r\nLeft=-30\r\n"
    "[size]\r\nFormWidth=700\r\nFormHeight=330\r\n"
    "[setting]\r\nTopmost=0\r\nfilelistvisible=1\r\ncandropfilelist=0\r\ncanctrlc=1\r\n";

} // namespace

TEST(SettingsFile, PathIsBesideTheExecutable) {
    EXPECT_EQ(win::BesideProgram(L"Z:\\opt\\tuck bay\\tuckbay.exe", L"tuckbay2.ini"),
              L"Z:\\opt\\tuck bay\\tuckbay2.ini");
    EXPECT_EQ(win::BesideProgram(L"C:\\tuckbay.exe", L"tuckbay2.ini"), L"C:\\tuckbay2.ini");

    wchar_t exe[4096];
    DWORD length = GetModuleFileNameW(nullptr, exe, 4096);
    std::wstring expected(exe, length);
    expected = expected.substr(0, expected.find_last_of(L'\\')) + L"\\tuckbay2.ini";
    EXPECT_EQ(settings::SettingsPath(), expected);
}

TEST(SettingsFile, FirstWriteCreatesAllEightKeysInOrderAsPlainText) {
    TempFolder folder;
    const auto path = folder.File(L"tuckbay2.ini");
    settings::Settings values{120, -30, 700, 330, false, true, false, true};
    settings::WriteSettings(path, values);
    // The file is the code-page text it always was: no byte-order mark, no UTF-16.
    EXPECT_EQ(ReadBytes(path), kFullFile);
}

TEST(SettingsFile, NoFileOrAFolderGivesNothing) {
    TempFolder folder;
    EXPECT_FALSE(settings::ReadSettings(folder.File(L"tuckbay2.ini")));
    CreateDirectoryW(folder.File(L"tuckbay2.ini").c_str(), nullptr);
    EXPECT_FALSE(settings::ReadSettings(folder.File(L"tuckbay2.ini")));
}

TEST(SettingsFile, ReadsWhatWasWritten) {
    TempFolder folder;
    const auto path = folder.File(L"tuckbay2.ini");
    WriteBytes(path, kFullFile);
    auto s = settings::ReadSettings(path);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->top, 120);
    EXPECT_EQ(s->left, -30);
    EXPECT_EQ(s->formWidth, 700);
    EXPECT_EQ(s->formHeight, 330);
    EXPECT_FALSE(s->topmost);
    EXPECT_TRUE(s->fileListVisible);
    EXPECT_FALSE(s->canDropFileList);
    EXPECT_TRUE(s->canCtrlC);
}

TEST(SettingsFile, MissingAndUnreadableValuesTakeDefaults) {
    TempFolder folder;
    const auto path = folder.File(L"tuckbay2.ini");
    WriteBytes(path, "[position]\r\nTop=0x10\r\nLeft=abc\r\n"
                     "[setting]\r\nTopmost=false\r\nfilelistvisible=0\r\ncandropfilelist=true\r\n"
                     "canctrlc=\r\n");
    auto s = settings::ReadSettings(path);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->top, 16);
    EXPECT_EQ(s->left, 0);
    EXPECT_EQ(s->formWidth, 0);
    EXPECT_EQ(s->formHeight, 0);
    EXPECT_TRUE(s->topmost);
    EXPECT_FALSE(s->fileListVisible);
    EXPECT_TRUE(s->canDropFileList);
    EXPECT_TRUE(s->canCtrlC);

    // An empty file exists, so every value is read, and every one is at its default.
    WriteBytes(path, "");
    s = settings::ReadSettings(path);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->top, 0);
    EXPECT_TRUE(s->topmost && s->fileListVisible && s->canDropFileList && s->canCtrlC);
}

TEST(SettingsFile, LongValueIsReadWhole) {
    TempFolder folder;
    const auto path = folder.File(L"tuckbay2.ini");
    // Past any fixed buffer the value would be cut to zeros and read as 0.
    WriteBytes(path, "[position]\r\nTop=" + std::string(5000, '0') + "7\r\n");
    EXPECT_EQ(settings::ReadSettings(path)->top, 7);
}

TEST(SettingsFile, OtherSectionsAndKeysSurviveAWrite) {
    TempFolder folder;
    const auto path = folder.File(L"tuckbay2.ini");
    // Bytes above 0x7F in another section must come back as they were.
    const std::string before = "[mine]\r\nnote=\x93\xfa\x96\x7b abc\r\n"
                               "[position]\r\nTop=1\r\nextra=keep\r\nLeft=2\r\n";
    WriteBytes(path, before);
    settings::WriteSettings(path, settings::Settings{5, 6, 7, 8, true, false, true, false});
    EXPECT_EQ(ReadBytes(path),
              "[mine]\r\nnote=\x93\xfa\x96\x7b abc\r\n"
              "[position]\r\nTop=5\r\nextra=keep\r\nLeft=6\r\n"
              "[size]\r\nFormWidth=7\r\nFormHeight=8\r\n"
              "[setting]\r\nTopmost=1\r\nfilelistvisible=0\r\ncandropfilelist=1\r\ncanctrlc=0\r\n");
}

// How the settings were written before the file was replaced whole: the profile functions
// straight onto it. Replacing it whole must not change a byte of what they write.
void WriteInPlace(const std::wstring& path, const settings::Settings& s) {
    auto write = [&](const wchar_t* section, const wchar_t* key, const std::wstring& value) {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value.c_str(), path.c_str()));
    };
    write(L"position", L"Top", std::to_wstring(s.top));
    write(L"position", L"Left", std::to_wstring(s.left));
    write(L"size", L"FormWidth", std::to_wstring(s.formWidth));
    write(L"size", L"FormHeight", std::to_wstring(s.formHeight));
    write(L"setting", L"Topmost", s.topmost ? L"1" : L"0");
    write(L"setting", L"filelistvisible", s.fileListVisible ? L"1" : L"0");
    write(L"setting", L"candropfilelist", s.canDropFileList ? L"1" : L"0");
    write(L"setting", L"canctrlc", s.canCtrlC ? L"1" : L"0");
    wchar_t keep[8] = {};
    GetPrivateProfileStringW(L"setting", L"keeplist", L"", keep, 8, path.c_str());
    if (s.keepList || keep[0])
        write(L"setting", L"keeplist", s.keepList ? L"1" : L"0");
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
}

// Names in folder besides "." and "..".
std::vector<std::wstring> NamesIn(const TempFolder& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(folder.File(L"*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            if (std::wstring_view(found.cFileName) != L"." &&
                std::wstring_view(found.cFileName) != L"..")
                names.push_back(found.cFileName);
        while (FindNextFileW(find, &found));
        FindClose(find);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SettingsFile, ReplacedWholeWithTheBytesWritingInPlaceGave) {
    const settings::Settings values{-8, 1930, 612, 305, false, true, false, true};
    settings::Settings keeping = values;
    keeping.keepList = true;
    const struct {
        const char* what;
        std::optional<std::string> before;
        settings::Settings values;
    } cases[] = {
        {"no file yet", std::nullopt, values},
        {"an empty file", "", values},
        {"the user's sections and keys, in an order of their own",
         "[mine]\r\nnote=\x93\xfa\x96\x7b abc\r\n[setting]\r\ncanctrlc=0\r\nTopmost=1\r\n"
         "[position]\r\nextra=keep\r\nLeft=2\r\n; a comment\r\n",
         values},
        {"no line break at the end", "[size]\r\nFormHeight=1", values},
        {"keeplist written while on", "[setting]\r\nTopmost=1\r\n", keeping},
        {"keeplist kept once there", "[setting]\r\nkeeplist=1\r\n", values},
        {"UTF-16 with its mark", std::string("\xFF\xFE[\0m\0]\0\r\0\n\0", 12), values},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder replaced, inPlace;
        const std::wstring path = replaced.File(L"tuckbay2.ini");
        const std::wstring reference = inPlace.File(L"tuckbay2.ini");
        if (c.before) {
            WriteBytes(path, *c.before);
            WriteBytes(reference, *c.before);
        }
        settings::WriteSettings(path, c.values);
        WriteInPlace(reference, c.values);
        EXPECT_EQ(ReadBytes(path), ReadBytes(reference));
        EXPECT_EQ(NamesIn(replaced), std::vector<std::wstring>{L"tuckbay2.ini"});
    }
}

// A file that cannot be written says so with its path, and is left as it was with nothing beside
// it.
TEST(SettingsFile, UnwritableFileSaysSoWithItsPathAndStaysAsItWas) {
    const struct {
        const char* what;
        const wchar_t* name;
        void (*make)(const std::wstring& path);
    } cases[] = {
        {"a missing folder", L"gone\\tuckbay2.ini", [](const std::wstring&) {}},
        {"a read-only file", L"tuckbay2.ini",
         [](const std::wstring& path) {
             WriteBytes(path, kFullFile);
             SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
         }},
        {"a folder of its name", L"tuckbay2.ini",
         [](const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::wstring path = folder.File(c.name);
        c.make(path);
        const std::vector<std::wstring> names = NamesIn(folder);
        const std::string bytes = ReadBytes(path);
        try {
            settings::WriteSettings(path, settings::Settings{});
            ADD_FAILURE() << "no error";
        } catch (const win::Error& e) {
            EXPECT_EQ(e.Text(), path + L" に書き込めません");
        }
        EXPECT_EQ(NamesIn(folder), names);
        EXPECT_EQ(ReadBytes(path), bytes);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(SettingsFile, TheGlobalKeyIsKeptAsWrittenAndNeverAddedToAFileWithoutIt) {
    const struct {
        const char* line; // in [setting], or nothing
        std::optional<std::wstring> read;
    } cases[] = {
        {"", std::nullopt},
        {"hotkey=Ctrl+Shift+F5\r\n", L"Ctrl+Shift+F5"},
        {"hotkey=\r\n", L""},
        {"hotkey=Ctrl+B+nonsense\r\n", L"Ctrl+B+nonsense"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TempFolder folder;
        const auto path = folder.File(L"tuckbay2.ini");
        const std::string file = kFullFile + std::string(c.line);
        WriteBytes(path, file);
        auto s = settings::ReadSettings(path);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->hotkey, c.read);
        // Written back as read; a window that never read the key leaves the file's own.
        settings::WriteSettings(path, *s);
        EXPECT_EQ(ReadBytes(path), file);
        s->hotkey.reset();
        settings::WriteSettings(path, *s);
        EXPECT_EQ(ReadBytes(path), file);
    }
}

TEST(SettingsFile, OffScreenRectangleComesBackOntoTheNearestMonitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    const RECT work = info.rcWork;

    // Far right and below: the window ends up in the area's bottom-right corner, same size.
    RECT moved = settings::BringOntoMonitor(
        {work.right + 5000, work.bottom + 4000, work.right + 5700, work.bottom + 4330});
    EXPECT_EQ(moved.right, work.right);
    EXPECT_EQ(moved.bottom, work.bottom);
    EXPECT_EQ(moved.right - moved.left, 700);
    EXPECT_EQ(moved.bottom - moved.top, 330);

    // Far left and above: top-left corner of the area.
    moved = settings::BringOntoMonitor({-9000, -9000, -8300, -8670});
    EXPECT_EQ(moved.left, work.left);
    EXPECT_EQ(moved.top, work.top);
    EXPECT_EQ(moved.right - moved.left, 700);

    // Partly on screen counts as on screen: applied as read.
    const RECT partly{-600, 40, 100, 370};
    moved = settings::BringOntoMonitor(partly);
    EXPECT_TRUE(EqualRect(&moved, &partly));
}
