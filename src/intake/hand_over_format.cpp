#include "intake/hand_over_format.h"

namespace intake {
namespace {

void Put(std::vector<unsigned char>& bytes, const std::wstring& text) {
    for (wchar_t c : text) {
        const auto unit = static_cast<std::uint16_t>(c);
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
}

} // namespace

std::vector<unsigned char> EncodeHandOver(const HandOver& handOver) {
    std::size_t units = handOver.program.size() + 2;
    for (const std::wstring& path : handOver.paths)
        units += path.size() + 1;
    std::vector<unsigned char> bytes;
    bytes.reserve(units * 2);
    Put(bytes, handOver.program);
    for (const std::wstring& path : handOver.paths) {
        if (!path.empty())
            Put(bytes, path);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::optional<HandOver> DecodeHandOver(const void* data, std::size_t size) {
    if (data == nullptr || size > kHandOverLimit || size % 2 != 0 || size < 2)
        return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t units = size / 2;
    std::vector<std::wstring> entries;
    std::wstring entry;
    for (std::size_t i = 0; i < units; ++i) {
        const wchar_t unit = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit != L'\0') {
            entry.push_back(unit);
            continue;
        }
        if (entry.empty()) {
            // The end of the list: only the data's last unit may be it.
            if (i + 1 != units)
                return std::nullopt;
            if (entries.size() < 2)
                return std::nullopt;
            HandOver handOver;
            handOver.program = std::move(entries.front());
            handOver.paths.assign(std::make_move_iterator(entries.begin() + 1),
                                  std::make_move_iterator(entries.end()));
            return handOver;
        }
        entries.push_back(std::move(entry));
        entry.clear();
    }
    return std::nullopt; // no closing NUL
}

} // namespace intake
