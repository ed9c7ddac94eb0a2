// The dated name offered when a list is saved: "tuckbay <date>-<time>.lst".
#pragma once

#include <string>
#include <string_view>

namespace filelist {

// The user's long time format as the regional settings describe it.
struct TimeFormat {
    bool twelveHour = false;
    bool leadingZero = true; // on the hour; minutes and seconds always have two digits
    std::wstring separator = L":";
    std::wstring amMarker;
    std::wstring pmMarker;
    bool markerFirst = false; // the AM/PM marker before the hour instead of after the seconds
};

std::wstring FormatLongTime(int hour, int minute, int second, const TimeFormat& format);

// "tuckbay " + date + "-" + time + ".lst" with every "/" and ":" made a space, since neither may
// stand in a file name.
std::wstring ListNameFrom(std::wstring_view dateText, std::wstring_view timeText);

} // namespace filelist
