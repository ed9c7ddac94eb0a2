#include "intake/png_image.h"

#include <array>

namespace intake {
namespace {

uint32_t Read32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
uint16_t Read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

void PutBig32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t Crc(const std::string& bytes, size_t from) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i)
        c = table[(c ^ static_cast<uint8_t>(bytes[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    PutBig32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.append(type, 4);
    png += data;
    PutBig32(png, Crc(png, start));
}

// The rows as a zlib stream of stored (uncompressed) blocks: simple, and no slower to write
// than the bitmap itself.
std::string StoredZlib(const std::string& raw) {
    std::string out = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 65535);
        out += static_cast<char>(at + n == raw.size() ? 1 : 0);
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(~n & 0xFF);
        out += static_cast<char>((~n >> 8) & 0xFF);
        out.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    PutBig32(out, b << 16 | a);
    return out;
}

} // namespace

std::optional<std::string> PngFromDib(const uint8_t* dib, size_t size) {
    if (dib == nullptr || size < 40)
        return std::nullopt;
    const uint32_t headerSize = Read32(dib);
    const int32_t width = static_cast<int32_t>(Read32(dib + 4));
    const int32_t height = static_cast<int32_t>(Read32(dib + 8));
    const uint16_t bits = Read16(dib + 14);
    const uint32_t compression = Read32(dib + 16);
    constexpr uint32_t kRgb = 0, kBitFields = 3;
    if (headerSize < 40 || headerSize > size || width <= 0 || height == 0 || width > 65535 ||
        height > 65535 || height < -65535 || (bits != 24 && bits != 32) ||
        (compression != kRgb && compression != kBitFields))
        return std::nullopt;
    size_t pixelsAt = headerSize;
    uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
    if (compression == kBitFields) {
        if (bits != 32)
            return std::nullopt;
        // The masks follow a plain header, and are part of the later ones.
        const uint8_t* at = dib + 40;
        if (headerSize == 40)
            pixelsAt += 12;
        if (pixelsAt > size || size < 52)
            return std::nullopt;
        masks[0] = Read32(at), masks[1] = Read32(at + 4), masks[2] = Read32(at + 8);
        if (masks[0] != 0xFF0000 || masks[1] != 0xFF00 || masks[2] != 0xFF)
            return std::nullopt;
    }
    const size_t rows = static_cast<size_t>(height < 0 ? -height : height);
    const size_t stride = (static_cast<size_t>(width) * bits / 8 + 3) & ~size_t(3);
    if ((size - pixelsAt) / stride < rows)
        return std::nullopt;
    const size_t step = bits / 8;
    bool anyAlpha = false;
    if (bits == 32)
        for (size_t y = 0; y < rows && !anyAlpha; ++y)
            for (size_t x = 0; x < static_cast<size_t>(width); ++x)
                if (dib[pixelsAt + y * stride + x * 4 + 3] != 0) {
                    anyAlpha = true;
                    break;
                }
    std::string raw;
    raw.reserve(rows * (1 + static_cast<size_t>(width) * 4));
    for (size_t y = 0; y < rows; ++y) {
        const size_t source = height < 0 ? y : rows - 1 - y; // bottom-up unless height < 0
        const uint8_t* row = dib + pixelsAt + source * stride;
        raw += '\0'; // no filter
        for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
            const uint8_t* pixel = row + x * step;
            raw += static_cast<char>(pixel[2]);
            raw += static_cast<char>(pixel[1]);
            raw += static_cast<char>(pixel[0]);
            raw += static_cast<char>(anyAlpha ? pixel[3] : 0xFF);
        }
    }
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(rows));
    header += "\x08\x06"; // 8 bits a sample, RGBA
    header += std::string(3, '\0');
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", StoredZlib(raw));
    Chunk(png, "IEND", "");
    return png;
}

} // namespace intake
