#include "win/path_parts.h"

#include <gtest/gtest.h>

namespace {

// Every part of a path from one table, so that the rules are seen side by side.
TEST(PathParts, NameFolderExtensionAndBeside) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* folder;
        const wchar_t* extension;
        const wchar_t* beside; // of "x.ini"
    } cases[] = {
        {L"C:\\a\\b.txt", L"b.txt", L"C:\\a", L".txt", L"C:\\a\\x.ini"},
        {L"C:\\b.txt", L"b.txt", L"C:\\", L".txt", L"C:\\x.ini"},
        {L"C:\\a\\dir\\", L"dir", L"C:\\a", L"", L"C:\\a\\dir\\x.ini"},
        {L"C:\\", L"C:\\", L"", L"", L"C:\\x.ini"},
        {L"\\\\server\\share\\f", L"f", L"\\\\server\\share", L"", L"\\\\server\\share\\x.ini"},
        {L"Z:/opt/tuck bay/t.exe", L"t.exe", L"Z:/opt/tuck bay", L".exe", L"Z:/opt/tuck bay/x.ini"},
        {L"C:\\a.d\\file", L"file", L"C:\\a.d", L"", L"C:\\a.d\\x.ini"},
        {L"C:\\a\\x.tar.gz", L"x.tar.gz", L"C:\\a", L".gz", L"C:\\a\\x.ini"},
        {L"C:\\a\\name.", L"name.", L"C:\\a", L".", L"C:\\a\\x.ini"},
        {L"a.b/c", L"c", L"a.b", L"", L"a.b/x.ini"},
        {L"a.b:stream", L"a.b:stream", L"", L"", L"a.b:x.ini"},
        {L"C:\\表\\ソ.lnk", L"ソ.lnk", L"C:\\表", L".lnk", L"C:\\表\\x.ini"},
        {L"plain", L"plain", L"", L"", L"x.ini"},
        {L"", L"", L"", L"", L"x.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win::PathName(c.path), c.name) << c.path;
        EXPECT_EQ(win::PathFolder(c.path), c.folder) << c.path;
        EXPECT_EQ(win::PathExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(win::Beside(c.path, L"x.ini"), c.beside) << c.path;
    }
}

// The form a path takes for the file system past 260 characters.
TEST(PathParts, LongPathForm) {
    const struct {
        const wchar_t* path;
        const wchar_t* form;
    } cases[] = {
        {L"C:\\a\\b.txt", L"\\\\?\\C:\\a\\b.txt"},
        {L"Z:/opt/tuck bay/t.exe", L"\\\\?\\Z:\\opt\\tuck bay\\t.exe"},
        {L"\\\\server\\share\\f", L"\\\\?\\UNC\\server\\share\\f"},
        {L"//server/share/f", L"\\\\?\\UNC\\server\\share\\f"},
        // already long, a device, and paths that are not full
        {L"\\\\?\\C:\\a", L"\\\\?\\C:\\a"},
        {L"\\\\?\\UNC\\s\\x", L"\\\\?\\UNC\\s\\x"},
        {L"\\\\.\\COM1", L"\\\\.\\COM1"},
        {L"C:a.txt", L"C:a.txt"},
        {L"\\a\\b", L"\\a\\b"},
        {L"a\\b", L"a\\b"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(win::LongPathForm(c.path), c.form) << testing::PrintToString(c.path);
}

} // namespace
