// The default name of a saved list, from the local time and the user's regional formats.
#pragma once

#include <windows.h>

#include <string>

#include "filelist/list_name.h"

namespace filelist {

// The user's short date pattern (such as "yyyy/MM/dd") and long time pieces.
std::wstring UserShortDatePattern();
TimeFormat UserTimeFormat();

std::wstring DefaultListName(const SYSTEMTIME& now, const std::wstring& shortDatePattern,
                             const TimeFormat& timeFormat);

// For the present moment, in the user's formats.
std::wstring DefaultListName();

} // namespace filelist
