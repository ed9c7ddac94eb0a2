// The data a second launch hands over, as a hostile sender may shape it.
#include <algorithm>

#include "intake/hand_over_format.h"
#include "check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<intake::HandOver> decoded = intake::DecodeHandOver(data, size);
    if (!decoded)
        return 0;
    FUZZ_CHECK(!decoded->program.empty() && !decoded->paths.empty());
    for (const std::wstring& path : decoded->paths)
        FUZZ_CHECK(!path.empty() && path.find(L'\0') == std::wstring::npos);
    // A whole hand-over is exactly what encoding what was read gives back.
    const std::vector<unsigned char> again = intake::EncodeHandOver(*decoded);
    FUZZ_CHECK(again.size() == size && std::equal(again.begin(), again.end(), data));
    return 0;
}
