// List files on disk: what is written byte for byte, how files are read back, and that a
// failed save leaves the old file alone.

#include <windows.h>

#include <gtest/gtest.h>

#include "filelist/default_name.h"
#include "filelist/list_file.h"
#include "list_fixtures.h"
#include "win/error.h"

namespace {

using filelist::ReadListFile;
using filelist::WriteListFile;
using tuckbay::test::FileExists;
using tuckbay::test::ReadBytes;
using tuckbay::test::ScratchFolder;
using Lines = std::vector<std::wstring>;

TEST(ListFile, WritesCodePageLinesEachEndedByCrLf) {
    ScratchFolder folder;
    std::wstring file = folder / L"two.lst";
    WriteListFile(file, Lines{L"C:\\a\\ファイル.txt", L"D:\\b c.doc"});
    // Code page 932: ファイル is 83 74 83 40 83 43 83 8B.
    EXPECT_EQ(ReadBytes(file), "C:\\a\\\x83\x74\x83\x40\x83\x43\x83\x8B.txt\r\nD:\\b c.doc\r\n");
    EXPECT_EQ(ReadListFile(file), (Lines{L"C:\\a\\ファイル.txt", L"D:\\b c.doc"}));
}

TEST(ListFile, WritesUtf8WithMarkWhenANameDoesNotFitTheCodePage) {
    ScratchFolder folder;
    std::wstring file = folder / L"wide.lst";
    const Lines paths = {L"C:\\plain.txt", L"C:\\\u00E9t\u00E9\\\U0001F600.txt", L""};
    WriteListFile(file, paths);
    EXPECT_EQ(ReadBytes(file),
              "\xEF\xBB\xBF"
              "C:\\plain.txt\r\nC:\\\xC3\xA9t\xC3\xA9\\\xF0\x9F\x98\x80.txt\r\n\r\n");
    EXPECT_EQ(ReadListFile(file), paths);
}

// A list's texts taken for a worker are written exactly as the same paths would be.
TEST(ListFile, TextsTakenAtOneMomentAreWrittenAsTheirPaths) {
    const Lines cases[] = {
        {},
        {L"C:\\a.txt", L"", L"D:\\b c\\d.doc", L""},
        {L"C:\\a\\ファイル.txt", L"", L"C:\\表.txt"},
        {L"C:\\plain.txt", L"C:\\\u00E9t\u00E9\\\U0001F600.txt", L""},
    };
    ScratchFolder folder;
    for (const Lines& paths : cases) {
        filelist::ListTexts texts;
        for (const std::wstring& path : paths)
            texts.Append(path);
        const std::wstring file = folder / L"texts.lst";
        WriteListFile(file, texts);
        EXPECT_EQ(ReadBytes(file), filelist::EncodeListFile(paths));
        EXPECT_EQ(ReadListFile(file), paths);
    }
}

TEST(ListFile, ReadsEveryLineBreakAndBlankLine) {
    ScratchFolder folder;
    const Lines expected = {L"C:\\a", L"", L"C:\\missing\\b"};
    EXPECT_EQ(ReadListFile(folder.Write(L"crlf.lst", "C:\\a\r\n\r\nC:\\missing\\b\r\n")), expected);
    EXPECT_EQ(ReadListFile(folder.Write(L"lf.lst", "C:\\a\n\nC:\\missing\\b")), expected);
    EXPECT_EQ(ReadListFile(folder.Write(L"cr.lst", "C:\\a\r\rC:\\missing\\b\r")), expected);
    EXPECT_EQ(ReadListFile(folder.Write(L"twice.lst", "C:\\a\r\n\r\n")), (Lines{L"C:\\a", L""}));
    EXPECT_EQ(ReadListFile(folder.Write(L"empty.lst", "")), Lines{});
    // Shift-JIS text whose trail bytes look like "\" (0x5C) stays one name.
    EXPECT_EQ(ReadListFile(folder.Write(L"sjis.lst", "C:\\\x95\x5C.txt\r\n")),
              (Lines{L"C:\\表.txt"}));
    // The mark makes the file UTF-8 and is not part of the first line.
    EXPECT_EQ(ReadListFile(folder.Write(L"bom.lst", "\xEF\xBB\xBF\xE8\xA1\xA8\r\n")),
              (Lines{L"表"}));
}

TEST(ListFile, AFileThatCannotBeOpenedNamesItselfAndTheReason) {
    ScratchFolder folder;
    std::wstring missing = folder / L"none.lst";
    try {
        ReadListFile(missing);
        FAIL() << "a missing file was read";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.Text(), L"ファイル \"" + missing + L"\" は開けません。" +
                                    win::SystemMessageText(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(error.Code(), ERROR_FILE_NOT_FOUND);
    }
}

TEST(ListFile, ReplacesAnExistingFileWhole) {
    ScratchFolder folder;
    std::wstring file = folder.Write(L"old.lst", "a much longer old content\r\nline 2\r\n");
    WriteListFile(file, Lines{L"C:\\new"});
    EXPECT_EQ(ReadBytes(file), "C:\\new\r\n");
}

TEST(ListFile, AFolderThatCannotTakeTheFileIsReportedAndNothingIsLeft) {
    ScratchFolder folder;
    std::wstring target = folder / L"no such folder\\x.lst";
    try {
        WriteListFile(target, Lines{L"C:\\a"});
        FAIL() << "wrote into a missing folder";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.Text().rfind(L"ファイル \"" + target + L"\" を作成できません。", 0), 0u)
            << "got: " << testing::PrintToString(error.Text());
    }
    // A target that is a folder: the new file is written but cannot take its place.
    std::wstring folderTarget = folder / L"sub";
    ::CreateDirectoryW(folderTarget.c_str(), nullptr);
    EXPECT_THROW(WriteListFile(folderTarget, Lines{L"C:\\a"}), win::Error);
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((folder / L"*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE)
        << "left behind: " << testing::PrintToString(found.cFileName);
    if (find != INVALID_HANDLE_VALUE)
        ::FindClose(find);
}

// A disk that fills up after the first piece.
int piecesBeforeFailure = 0;
bool FailingWrite(HANDLE file, const char* data, DWORD size) {
    if (piecesBeforeFailure-- <= 0) {
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    }
    DWORD written = 0;
    return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}

TEST(ListFile, AWriteFailureLeavesTheOldFileIntact) {
    ScratchFolder folder;
    const std::string old = "C:\\old\r\n";
    std::wstring file = folder.Write(L"keep.lst", old);
    piecesBeforeFailure = 1;
    std::string big(3 << 20, 'x'); // three pieces
    try {
        filelist::ReplaceFileContents(file, big, FailingWrite);
        FAIL() << "the failure went unnoticed";
    } catch (const win::Error& error) {
        // The file and the system's reason follow on lines of their own.
        EXPECT_EQ(error.Text(), L"ストリームへの書き込みエラー\r\n\"" + file + L"\"\r\n" +
                                    win::SystemMessageText(ERROR_DISK_FULL));
        EXPECT_FALSE(win::SystemMessageText(ERROR_DISK_FULL).empty());
        EXPECT_EQ(error.Code(), ERROR_DISK_FULL);
    }
    EXPECT_EQ(ReadBytes(file), old);
    int entries = folder.EntryCount();
    EXPECT_EQ(entries, 3) << "only ., .. and keep.lst may be there";
}

SYSTEMTIME March5At140709() {
    SYSTEMTIME when{};
    when.wYear = 2009;
    when.wMonth = 3;
    when.wDay = 5;
    when.wHour = 14;
    when.wMinute = 7;
    when.wSecond = 9;
    return when;
}

TEST(DefaultListName, FollowsAYearMonthDayDateAndA24HourTime) {
    const SYSTEMTIME when = March5At140709();
    filelist::TimeFormat time; // H:mm:ss with a leading zero
    EXPECT_EQ(filelist::DefaultListName(when, L"yyyy/MM/dd", time),
              L"tuckbay 2009 03 05-14 07 09.lst");
    time.leadingZero = false;
    EXPECT_EQ(filelist::DefaultListName(when, L"yyyy/M/d", time), L"tuckbay 2009 3 5-14 07 09.lst");
}

TEST(DefaultListName, PutsTheMarkerOfA12HourTime) {
    const SYSTEMTIME when = March5At140709();
    filelist::TimeFormat time;
    time.twelveHour = true;
    time.leadingZero = false;
    time.amMarker = L"AM";
    time.pmMarker = L"PM";
    EXPECT_EQ(filelist::DefaultListName(when, L"M/d/yyyy", time),
              L"tuckbay 3 5 2009-2 07 09 PM.lst");
    time.markerFirst = true;
    time.pmMarker = L"午後";
    EXPECT_EQ(filelist::DefaultListName(when, L"yyyy-MM-dd", time),
              L"tuckbay 2009-03-05-午後 2 07 09.lst");
}

TEST(DefaultListName, ReadsTheUsersFormats) {
    // The test environment runs in the Japanese locale: yyyy/MM/dd and H:mm:ss.
    filelist::TimeFormat time = filelist::UserTimeFormat();
    EXPECT_FALSE(time.twelveHour);
    EXPECT_EQ(time.separator, L":");
    EXPECT_EQ(time.amMarker, L"午前");
    std::wstring name = filelist::DefaultListName();
    EXPECT_EQ(name.rfind(L"tuckbay ", 0), 0u);
    EXPECT_EQ(name.find_first_of(L"/:"), std::wstring::npos);
    EXPECT_TRUE(name.ends_with(L".lst"));
}

} // namespace
