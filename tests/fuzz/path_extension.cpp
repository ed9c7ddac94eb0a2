// The extension rule that tells shortcuts and list files among dropped paths.
#include "check.h"
#include "intake/extension.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring path = fuzz::InputText(data, size);
    const std::wstring_view extension = win::PathExtension(path);

    // Worked out another way: the last "." with no "\", "/" or ":" after it.
    size_t dot = path.rfind(L'.');
    bool expected =
        dot != std::wstring::npos && path.find_first_of(L"\\/:", dot) == std::wstring::npos;

    if (!expected) {
        FUZZ_CHECK(extension.empty());
    } else {
        // A view of the path's own tail, from that dot.
        FUZZ_CHECK(extension.data() == path.data() + dot);
        FUZZ_CHECK(extension.size() == path.size() - dot);
        FUZZ_CHECK(extension[0] == L'.');
        FUZZ_CHECK(extension.find_first_of(L".\\/:", 1) == std::wstring_view::npos);
    }
    FUZZ_CHECK(intake::IsShortcutPath(path) == (extension == L".lnk"));
    FUZZ_CHECK(intake::IsListFilePath(path) == (extension == L".lst"));
    return 0;
}
