// The settings file beside the program: the values kept from one run to the next.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace settings {

struct Settings {
    int32_t top = 0;
    int32_t left = 0;
    int32_t formWidth = 0;
    int32_t formHeight = 0;
    bool topmost = true;
    bool fileListVisible = true;
    bool canDropFileList = true;
    bool canCtrlC = true;
    // The list is written at exit and read back at the next start.
    bool keepList = false;
    // What a drag out of the list leaves in it: 0 every entry, 1 takes off the entries whose
    // files were moved away, 2 takes off every entry the drop target took.
    int32_t afterDrag = 0;
    // The text of the global key's combination ("" turns it off), as the file has it; nothing
    // when the file has none (the program's own default then holds). Written only when set.
    std::optional<std::wstring> hotkey = std::nullopt;
    // The list's columns, their order and widths ("path:300,size:80"), as the file has them;
    // nothing when it has none (the path alone). Written only when set.
    std::optional<std::wstring> columns = std::nullopt;
};

// tuckbay2.ini in the folder that holds the executable.
std::wstring SettingsPath();

// The values in the file at path, each missing or unreadable one at its default; nothing when
// no file is there (a folder of that name counts as none).
std::optional<Settings> ReadSettings(const std::wstring& path);

// Writes the eight values in their fixed order, then keeplist and afterdrag (each left out while
// it is at its first value and the file has none, so a file that never had them keeps the eight
// keys alone), and hotkey and columns when set.
// The file is replaced whole, its other sections and keys kept as they were. Throws win::Error
// "<path> に書き込めません" when it cannot be, and the file is then as it was.
void WriteSettings(const std::wstring& path, const Settings& values);

// A window rectangle that lies on no present monitor, moved onto the nearest monitor's work
// area (as far as it fits); any other rectangle unchanged.
RECT BringOntoMonitor(const RECT& bounds);

} // namespace settings
