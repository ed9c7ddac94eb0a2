#include "settings/ini_value.h"

namespace settings {

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

} // namespace

std::optional<int32_t> ParseIniInteger(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }

    bool hex = false;
    if (i < text.size() && (text[i] == L'$' || text[i] == L'x' || text[i] == L'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < text.size() && text[i] == L'0' &&
               (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;

    if (hex) {
        uint64_t value = 0;
        for (; i < text.size(); ++i) {
            int digit = HexDigit(text[i]);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        uint32_t bits = static_cast<uint32_t>(value);
        if (negative)
            bits = 0u - bits;
        return static_cast<int32_t>(bits);
    }

    // The magnitude may reach 2^31 only for a negative number.
    const uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(text[i] - L'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -static_cast<int64_t>(value)
                                         : static_cast<int64_t>(value));
}

int32_t ReadIniInteger(std::wstring_view text, int32_t fallback) {
    return ParseIniInteger(text).value_or(fallback);
}

bool ReadIniFlag(std::wstring_view text, bool fallback) {
    auto value = ParseIniInteger(text);
    return value ? *value != 0 : fallback;
}

std::wstring FormatIniInteger(int32_t value) { return std::to_wstring(value); }

} // namespace settings
