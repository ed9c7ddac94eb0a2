#include "filelist/default_name.h"

#include "win/error.h"

namespace filelist {
namespace {

std::wstring LocaleText(LCTYPE type) {
    int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text.data(), length);
    text.resize(length > 0 ? static_cast<size_t>(length) - 1 : 0);
    return text;
}

std::wstring FormatDate(const SYSTEMTIME& date, const std::wstring& pattern) {
    int length =
        ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &date, pattern.c_str(), nullptr, 0, nullptr);
    if (length <= 0)
        throw win::Error(win::SystemMessageText(::GetLastError()), ::GetLastError());
    std::wstring text(static_cast<size_t>(length), L'\0');
    length = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &date, pattern.c_str(), text.data(),
                               length, nullptr);
    text.resize(length > 0 ? static_cast<size_t>(length) - 1 : 0);
    return text;
}

} // namespace

std::wstring UserShortDatePattern() { return LocaleText(LOCALE_SSHORTDATE); }

TimeFormat UserTimeFormat() {
    TimeFormat format;
    format.twelveHour = LocaleText(LOCALE_ITIME) == L"0";
    format.leadingZero = LocaleText(LOCALE_ITLZERO) == L"1";
    format.separator = LocaleText(LOCALE_STIME);
    format.amMarker = LocaleText(LOCALE_S1159);
    format.pmMarker = LocaleText(LOCALE_S2359);
    format.markerFirst = LocaleText(LOCALE_ITIMEMARKPOSN) == L"1";
    return format;
}

std::wstring DefaultListName(const SYSTEMTIME& now, const std::wstring& shortDatePattern,
                             const TimeFormat& timeFormat) {
    return ListNameFrom(FormatDate(now, shortDatePattern),
                        FormatLongTime(now.wHour, now.wMinute, now.wSecond, timeFormat));
}

std::wstring DefaultListName() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return DefaultListName(now, UserShortDatePattern(), UserTimeFormat());
}

} // namespace filelist
