// Choosing how a list file's bytes are decoded, and cutting them into lines.
#include "filelist/list_bytes.h"
#include "check.h"
#include "filelist/line_format.h"

using filelist::ListEncoding;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const filelist::ListBytes kind = filelist::ClassifyListBytes(bytes);

    // The text is the file's tail: nothing is cut but a leading mark, nothing is copied.
    FUZZ_CHECK(kind.text.data() + kind.text.size() == bytes.data() + bytes.size());
    const bool marked = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
    FUZZ_CHECK((kind.encoding == ListEncoding::Utf8) == marked);
    FUZZ_CHECK(kind.text.size() == (marked ? size - 3 : size));

    bool ascii = true;
    for (size_t i = 0; i < size; ++i)
        ascii = ascii && data[i] < 0x80;
    if (!marked)
        FUZZ_CHECK((kind.encoding == ListEncoding::Ascii) == ascii);

    // ASCII is taken one byte to one character: its lines must be the bytes' lines, widened.
    if (kind.encoding == ListEncoding::Ascii) {
        const auto narrow = filelist::SplitLines(kind.text);
        const auto wide = filelist::SplitLines(std::wstring(kind.text.begin(), kind.text.end()));
        FUZZ_CHECK(narrow.size() == wide.size());
        for (size_t i = 0; i < narrow.size(); ++i)
            FUZZ_CHECK(wide[i] == std::wstring(narrow[i].begin(), narrow[i].end()));
    }
    return 0;
}
