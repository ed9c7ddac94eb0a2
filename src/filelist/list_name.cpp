#include "filelist/list_name.h"

namespace filelist {
namespace {

std::wstring TwoDigits(int value) {
    std::wstring text = std::to_wstring(value);
    return text.size() < 2 ? L"0" + text : text;
}

} // namespace

std::wstring FormatLongTime(int hour, int minute, int second, const TimeFormat& format) {
    int shownHour = hour;
    if (format.twelveHour) {
        shownHour = hour % 12;
        if (shownHour == 0)
            shownHour = 12;
    }
    std::wstring time = format.leadingZero ? TwoDigits(shownHour) : std::to_wstring(shownHour);
    time += format.separator + TwoDigits(minute) + format.separator + TwoDigits(second);
    if (!format.twelveHour)
        return time;

    const std::wstring& marker = hour < 12 ? format.amMarker : format.pmMarker;
    if (marker.empty())
        return time;
    return format.markerFirst ? marker + L" " + time : time + L" " + marker;
}

std::wstring ListNameFrom(std::wstring_view dateText, std::wstring_view timeText) {
    std::wstring name = L"tuckbay ";
    name += dateText;
    name += L"-";
    name += timeText;
    name += L".lst";
    for (wchar_t& c : name) {
        if (c == L'/' || c == L':')
            c = L' ';
    }
    return name;
}

} // namespace filelist
