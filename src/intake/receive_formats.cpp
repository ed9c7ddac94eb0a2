// Text, links and images dropped, made into files (or, for text that lists files, into paths).
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <string>

#include "intake/png_image.h"
#include "intake/receive_data.h"
#include "intake/receive_names.h"
#include "win/codepage.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/path_parts.h"
#include "win/replace_file.h"

namespace intake {
namespace {

// The bytes of one format of the drop in memory, or nothing when it is not there.
std::optional<std::string> Bytes(IDataObject* data, CLIPFORMAT format) {
    FORMATETC f{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&f, &medium)))
        return std::nullopt;
    std::optional<std::string> bytes;
    if (medium.tymed == TYMED_HGLOBAL) {
        win::GlobalLockScope lock(medium.hGlobal);
        if (lock.Data() != nullptr)
            bytes.emplace(static_cast<const char*>(lock.Data()), lock.Size());
    }
    ::ReleaseStgMedium(&medium);
    return bytes;
}

// Text up to its first NUL.
std::optional<std::wstring> WideText(IDataObject* data, CLIPFORMAT format) {
    auto bytes = Bytes(data, format);
    if (!bytes)
        return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes->data()),
                      bytes->size() / sizeof(wchar_t));
    text.resize(std::min(text.size(), text.find(L'\0')));
    return text;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == L'\r' || text[i] == L'\n') {
            std::wstring line = text.substr(start, i - start);
            while (!line.empty() && std::iswspace(line.back()))
                line.pop_back();
            while (!line.empty() && std::iswspace(line.front()))
                line.erase(line.begin());
            if (!line.empty())
                lines.push_back(line);
            start = i + 1;
        }
    return lines;
}

// Only a path on a drive is asked after: a line naming another computer ("\\host\...",
// "//host/...") makes the text text, since a drop must never make the basket reach out to a
// server, nor wait on one that does not answer.
bool IsFullPathOfFile(const std::wstring& line) {
    if (line.size() < 3 || line[1] != L':' || (line[2] != L'\\' && line[2] != L'/'))
        return false;
    const DWORD attributes = ::GetFileAttributesW(line.c_str());
    // Files only, as "クリップ取り込み" takes them.
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// An address as an Internet shortcut holds it: ASCII, anything else as UTF-8 in %XX.
std::string ShortcutAddress(const std::wstring& url) {
    std::string out;
    for (char c : win::ToUtf8(url)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || byte < 0x20) {
            static const char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::wstring WriteNewFile(const std::wstring& folder, const std::wstring& name,
                          std::string_view bytes) {
    std::wstring beside;
    win::FileHandle file = win::CreateBeside(win::LongPathForm(folder + L"\\received"), beside);
    if (!file)
        win::ThrowLastError();
    DWORD written = 0;
    const bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                &written, nullptr) &&
                    written == bytes.size() && ::FlushFileBuffers(file.get());
    const DWORD error = ::GetLastError();
    file.reset();
    try {
        if (!ok) {
            ::SetLastError(error);
            win::ThrowLastError();
        }
        return MoveToFreeName(beside, folder + L"\\" + SafeName(name));
    } catch (...) {
        ::DeleteFileW(beside.c_str());
        throw;
    }
}

Received ReceiveText(IDataObject* data, const std::wstring& folder) {
    const std::wstring text = WideText(data, CF_UNICODETEXT).value_or(L"");
    const std::vector<std::wstring> lines = Lines(text);
    Received received;
    if (!lines.empty() && std::all_of(lines.begin(), lines.end(), IsFullPathOfFile)) {
        received.paths = lines; // a list of files, as a paste of it takes them
        return received;
    }
    if (lines.empty())
        return received;
    received.paths.push_back(
        WriteNewFile(folder, NameFromText(text, L".txt"), "\xEF\xBB\xBF" + win::ToUtf8(text)));
    return received;
}

Received ReceiveLink(IDataObject* data, const std::wstring& folder) {
    std::wstring url = WideText(data, RegisteredFormat(L"UniformResourceLocatorW")).value_or(L"");
    std::wstring title;
    // The Mozilla form: the address, a line break, the title.
    if (auto moz = WideText(data, RegisteredFormat(L"text/x-moz-url"))) {
        const size_t br = moz->find_first_of(L"\r\n");
        if (url.empty())
            url = moz->substr(0, br);
        if (br != std::wstring::npos)
            title = Lines(moz->substr(br)).empty() ? L"" : Lines(moz->substr(br)).front();
    }
    url = Lines(url).empty() ? L"" : Lines(url).front();
    Received received;
    if (url.empty())
        return received;
    const std::string contents = "[InternetShortcut]\r\nURL=" + ShortcutAddress(url) + "\r\n";
    received.paths.push_back(
        WriteNewFile(folder, NameFromText(title.empty() ? url : title, L".url"), contents));
    return received;
}

Received ReceiveImage(IDataObject* data, const std::wstring& folder) {
    std::optional<std::string> png = Bytes(data, RegisteredFormat(L"PNG"));
    for (CLIPFORMAT format : {CLIPFORMAT(CF_DIBV5), CLIPFORMAT(CF_DIB)}) {
        if (png)
            break;
        if (auto dib = Bytes(data, format))
            png = PngFromDib(reinterpret_cast<const uint8_t*>(dib->data()), dib->size());
    }
    if (!png)
        throw win::Error(L"この形式の画像は受け取れません");
    Received received;
    received.paths.push_back(WriteNewFile(folder, L"画像.png", *png));
    return received;
}

} // namespace intake
