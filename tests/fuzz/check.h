// What the fuzz targets share: a check that stops the run with the failed condition, and the
// ways raw input becomes the program's text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Not assert(): the checks must hold in every build, and a failure must stop libFuzzer with the
// input saved.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// One character per byte: the characters that matter to the rules under test are all ASCII, so
// the fuzzer finds them at once.
inline std::wstring WidenBytes(const uint8_t* data, size_t size) {
    return std::wstring(data, data + size);
}

// One UTF-16 unit per pair of bytes, little end first, as the program holds text on Windows.
inline std::wstring Utf16Units(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    return text;
}

// The first byte chooses how the rest becomes text.
inline std::wstring InputText(const uint8_t* data, size_t size) {
    if (size == 0)
        return {};
    return (data[0] & 1) ? Utf16Units(data + 1, size - 1) : WidenBytes(data + 1, size - 1);
}

} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
