#include "settings/settings_file.h"

#include "settings/ini_value.h"
#include "win/error.h"
#include "win/program_path.h"

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

void WriteText(const wchar_t* section, const wchar_t* key, const std::wstring& value,
               const std::wstring& path) {
    if (!WritePrivateProfileStringW(section, key, value.c_str(), path.c_str())) {
        throw win::Error(path + L" に書き込めません", static_cast<long>(GetLastError()));
    }
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
    s.hotkey = ReadOptionalText(L"setting", L"hotkey", path);
    return s;
}

void WriteSettings(const std::wstring& path, const Settings& s) {
    WriteText(L"position", L"Top", FormatIniInteger(s.top), path);
    WriteText(L"position", L"Left", FormatIniInteger(s.left), path);
    WriteText(L"size", L"FormWidth", FormatIniInteger(s.formWidth), path);
    WriteText(L"size", L"FormHeight", FormatIniInteger(s.formHeight), path);
    WriteText(L"setting", L"Topmost", FormatIniFlag(s.topmost), path);
    WriteText(L"setting", L"filelistvisible", FormatIniFlag(s.fileListVisible), path);
    WriteText(L"setting", L"candropfilelist", FormatIniFlag(s.canDropFileList), path);
    WriteText(L"setting", L"canctrlc", FormatIniFlag(s.canCtrlC), path);
    if (s.keepList || !ReadText(L"setting", L"keeplist", path).empty())
        WriteText(L"setting", L"keeplist", FormatIniFlag(s.keepList), path);
    if (s.hotkey)
        WriteText(L"setting", L"hotkey", *s.hotkey, path);
    // The flush reports FALSE with no error even when it did its work, so its result says nothing.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
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
