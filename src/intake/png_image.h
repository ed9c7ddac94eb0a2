// Images dropped as a device-independent bitmap, kept as PNG files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace intake {

// The PNG file of a packed DIB (a BITMAPINFOHEADER or a later header, then the pixels) of 24
// or 32 bits a pixel, uncompressed or with the usual bit fields; nothing for any other kind.
// A 32-bit image whose alpha is zero throughout is taken as opaque, as the system draws it.
std::optional<std::string> PngFromDib(const uint8_t* dib, size_t size);

} // namespace intake
