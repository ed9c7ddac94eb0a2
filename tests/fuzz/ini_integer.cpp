// Reading integers and flags from the settings file's value texts.
#include "check.h"
#include "settings/ini_value.h"

#include <cstring>
#include <optional>

namespace {

// The rule read straight from its description, in the slowest plain way: the digits are first
// cut out, then counted, then added up with room to spare.
std::optional<int64_t> Reference(const std::wstring& text) {
    size_t i = text.find_first_not_of(L' ');
    if (i == std::wstring::npos)
        return std::nullopt;
    int64_t sign = 1;
    if (text[i] == L'-' || text[i] == L'+') {
        sign = text[i] == L'-' ? -1 : 1;
        ++i;
    }
    std::wstring rest = text.substr(i);
    int base = 10;
    for (const wchar_t* prefix : {L"0x", L"0X", L"$", L"x", L"X"}) {
        if (rest.starts_with(prefix)) {
            base = 16;
            rest = rest.substr(std::wcslen(prefix));
            break;
        }
    }
    const std::wstring digits = base == 16 ? L"0123456789abcdefABCDEF" : L"0123456789";
    if (rest.empty() || rest.find_first_not_of(digits) != std::wstring::npos)
        return std::nullopt;
    // Leading zeros change nothing; past ten significant digits no value fits.
    size_t first = rest.find_first_not_of(L'0');
    std::wstring significant = first == std::wstring::npos ? L"" : rest.substr(first);
    if (significant.size() > 10)
        return std::nullopt;
    int64_t magnitude = 0;
    for (wchar_t c : significant) {
        int digit = c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10;
        magnitude = magnitude * base + digit;
    }
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFll)
            return std::nullopt;
        // A bit pattern: the sign negates it modulo 2^32.
        uint32_t bits = static_cast<uint32_t>(magnitude);
        if (sign < 0)
            bits = ~bits + 1;
        return static_cast<int32_t>(bits);
    }
    int64_t value = sign * magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzz::InputText(data, size);
    const std::optional<int32_t> parsed = settings::ParseIniInteger(text);
    const std::optional<int64_t> expected = Reference(text);
    FUZZ_CHECK(parsed.has_value() == expected.has_value());
    if (parsed)
        FUZZ_CHECK(*parsed == *expected);

    FUZZ_CHECK(settings::ReadIniInteger(text, 7) == parsed.value_or(7));
    FUZZ_CHECK(settings::ReadIniFlag(text, true) == (parsed ? *parsed != 0 : true));
    FUZZ_CHECK(settings::ReadIniFlag(text, false) == (parsed ? *parsed != 0 : false));

    // Whatever is written reads back as itself.
    if (size >= 4) {
        int32_t value;
        std::memcpy(&value, data, sizeof value);
        FUZZ_CHECK(settings::ParseIniInteger(settings::FormatIniInteger(value)) == value);
    }
    return 0;
}
