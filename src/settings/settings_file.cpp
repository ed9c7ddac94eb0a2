#include "settings/settings_file.h"

#include "settings/ini_value.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/program_path.h"
#include "win/replace_file.h"

#include <algorithm>

namespace settings {

namespace {

std::wstring ReadText(const wchar_t* section, const wchar_t* key, const std::wstring& path,
                      const wchar_t* absent = L"") {
    std::wstring text(256, L'\0');
    for (;;) {
        DWORD length = GetPrivateProfileStringW(section, key, absent, text.data(),
                                                static_cast<DWORD>(text.size()), path.c_str());
        // A full buffer comes back as size - 1: the value may go on, so ask again with more room.
        if (length + 1 < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

int32_t ReadInteger(const wchar_t* section, const wchar_t* key, const std::wstring& path,
                    int32_t fallback) {
    return ReadIniInteger(ReadText(section, key, path), fallback);
}

// The key's text, or nothing when the file has no such key (an empty value is a text).
std::optional<std::wstring> ReadOptionalText(const wchar_t* section, const wchar_t* key,
                                             const std::wstring& path) {
    // No value the profile functions return can hold this character, which they cut at.
    constexpr wchar_t kAbsent[] = L"\n";
    std::wstring text = ReadText(section, key, path, kAbsent);
    if (text == kAbsent)
        return std::nullopt;
    return text;
}

bool ReadFlag(const wchar_t* section, const wchar_t* key, const std::wstring& path,
              bool fallback = true) {
    return ReadIniFlag(ReadText(section, key, path), fallback);
}

bool WriteText(const wchar_t* section, const wchar_t* key, const std::wstring& value,
               const std::wstring& path) {
    return WritePrivateProfileStringW(section, key, value.c_str(), path.c_str()) != FALSE;
}

[[noreturn]] void ThrowUnwritable(const std::wstring& path, DWORD code) {
    throw win::Error(path + L" に書き込めません", static_cast<long>(code));
}

// The bytes of the file at path into file; none when there is no file. False, with the last
// error set, when a file is there that cannot be read.
bool CopyInto(const std::wstring& path, HANDLE file) {
    win::FileHandle source(CreateFileW(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source.get(), buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        DWORD written = 0;
        if (!WriteFile(file, buffer, got, &written, nullptr))
            return false;
        if (written != got) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
}

// The values into the profile file at path, in their fixed order; false, with the last error
// set, at the first that cannot be written.
bool WriteValues(const Settings& s, const std::wstring& path) {
    bool written =
        WriteText(L"position", L"Top", FormatIniInteger(s.top), path) &&
        WriteText(L"position", L"Left", FormatIniInteger(s.left), path) &&
        WriteText(L"size", L"FormWidth", FormatIniInteger(s.formWidth), path) &&
        WriteText(L"size", L"FormHeight", FormatIniInteger(s.formHeight), path) &&
        WriteText(L"setting", L"Topmost", FormatIniFlag(s.topmost), path) &&
        WriteText(L"setting", L"filelistvisible", FormatIniFlag(s.fileListVisible), path) &&
        WriteText(L"setting", L"candropfilelist", FormatIniFlag(s.canDropFileList), path) &&
        WriteText(L"setting", L"canctrlc", FormatIniFlag(s.canCtrlC), path);
    if (written && (s.keepList || !ReadText(L"setting", L"keeplist", path).empty()))
        written = WriteText(L"setting", L"keeplist", FormatIniFlag(s.keepList), path);
    if (written && (s.afterDrag != 0 || !ReadText(L"setting", L"afterdrag", path).empty()))
        written = WriteText(L"setting", L"afterdrag", FormatIniInteger(s.afterDrag), path);
    if (written && s.hotkey)
        written = WriteText(L"setting", L"hotkey", *s.hotkey, path);
    if (written && s.columns)
        written = WriteText(L"setting", L"columns", *s.columns, path);
    if (!written)
        return false;
    // The flush reports FALSE with no error even when it did its work, so its result says nothing.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    // Then to the disk, before the copy takes the file's name.
    win::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && FlushFileBuffers(file.get());
}

} // namespace

std::wstring SettingsPath() { return win::BesideProgram(L"tuckbay2.ini"); }

std::optional<Settings> ReadSettings(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    Settings s;
    s.top = ReadInteger(L"position", L"Top", path, 0);
    s.left = ReadInteger(L"position", L"Left", path, 0);
    s.formWidth = ReadInteger(L"size", L"FormWidth", path, 0);
    s.formHeight = ReadInteger(L"size", L"FormHeight", path, 0);
    s.topmost = ReadFlag(L"setting", L"Topmost", path);
    s.fileListVisible = ReadFlag(L"setting", L"filelistvisible", path);
    s.canDropFileList = ReadFlag(L"setting", L"candropfilelist", path);
    s.canCtrlC = ReadFlag(L"setting", L"canctrlc", path);
    s.keepList = ReadFlag(L"setting", L"keeplist", path, false);
    s.afterDrag = ReadInteger(L"setting", L"afterdrag", path, 0);
    s.hotkey = ReadOptionalText(L"setting", L"hotkey", path);
    s.columns = ReadOptionalText(L"setting", L"columns", path);
    return s;
}

void WriteSettings(const std::wstring& path, const Settings& s) {
    // A file made read-only (or a folder of its name) was never written in place; it is not
    // replaced either.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        ThrowUnwritable(path, ERROR_ACCESS_DENIED);
    // The profile functions write to a copy beside the file, which then replaces it whole: a
    // kill or a power cut in the middle leaves the old settings or the new, never a part. The
    // same functions on the same bytes write exactly what they would have written in place.
    std::wstring copy;
    win::FileHandle file = win::CreateBeside(path, copy);
    if (!file)
        ThrowUnwritable(path, GetLastError());
    const bool copied = CopyInto(path, file.get());
    DWORD code = GetLastError();
    file.reset();
    if (copied && WriteValues(s, copy) && win::MoveOver(copy, path))
        return;
    if (copied)
        code = GetLastError();
    DeleteFileW(copy.c_str());
    ThrowUnwritable(path, code);
}

RECT BringOntoMonitor(const RECT& bounds) {
    const LONG width = bounds.right - bounds.left;
    const LONG height = bounds.bottom - bounds.top;
    // An empty rectangle meets no monitor; its corner still tells where it is.
    const RECT probe{bounds.left, bounds.top, bounds.left + std::max(width, 1L),
                     bounds.top + std::max(height, 1L)};
    if (MonitorFromRect(&probe, MONITOR_DEFAULTTONULL))
        return bounds;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromRect(&probe, MONITOR_DEFAULTTONEAREST), &info))
        return bounds;
    const RECT& area = info.rcWork;
    // Right and bottom edges first, so that a window larger than the area shows its top-left.
    LONG left = std::max(std::min(bounds.left, area.right - width), area.left);
    LONG top = std::max(std::min(bounds.top, area.bottom - height), area.top);
    return {left, top, left + width, top + height};
}

} // namespace settings
