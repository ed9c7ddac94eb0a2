// The global key's combination text from the settings file, which the user may have written
// any way at all.
#include "app/hotkey_text.h"
#include "check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzz::InputText(data, size);
    const auto hotkey = app::ParseHotkey(text);
    if (!hotkey)
        return 0;
    // Only the platform's four modifiers, and a key the rules name.
    FUZZ_CHECK((hotkey->modifiers & ~0xFu) == 0);
    const unsigned key = hotkey->key;
    FUZZ_CHECK((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') ||
               (key >= 0x70 && key <= 0x87));
    // What the program writes reads back as the same combination, and is written the same again.
    const std::wstring written = app::FormatHotkey(*hotkey);
    FUZZ_CHECK(app::ParseHotkey(written) == hotkey);
    FUZZ_CHECK(app::FormatHotkey(*app::ParseHotkey(written)) == written);
    return 0;
}
