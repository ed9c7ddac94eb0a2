#include "filelist/list_file.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>

#include "filelist/line_format.h"
#include "filelist/list_bytes.h"
#include "win/codepage.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/replace_file.h"

namespace filelist {
namespace {

constexpr DWORD kChunk = 1 << 20;

// "ファイル "<path>" <what>。<system text>"
[[noreturn]] void ThrowFileError(const std::wstring& path, const wchar_t* what, DWORD code) {
    throw win::Error(L"ファイル \"" + path + L"\" " + what + L"。" + win::SystemMessageText(code),
                     static_cast<long>(code));
}

// "<what>", then the file and the reason (the system's text for code unless given) on lines of
// their own: a read or write that fails part-way says which file it was and why.
[[noreturn]] void ThrowStreamError(const wchar_t* what, const std::wstring& path, DWORD code,
                                   std::wstring reason = {}) {
    std::wstring text = what;
    text += L"\r\n\"" + path + L"\"";
    if (reason.empty())
        reason = win::SystemMessageText(code);
    if (!reason.empty())
        text += L"\r\n" + reason;
    throw win::Error(text, static_cast<long>(code));
}

bool WriteWithWriteFile(HANDLE file, const char* data, DWORD size) {
    DWORD written = 0;
    if (!::WriteFile(file, data, size, &written, nullptr))
        return false;
    if (written != size) {
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return true;
}

// The list file's bytes for count entries of characters characters in all, entry(i) giving
// each: in the system code page when every entry fits in it exactly, otherwise UTF-8 behind a
// byte-order mark. ASCII, the common case, is the same in every code page and needs no
// conversion through the system.
template <typename Entry>
std::string EncodeEntries(size_t count, size_t characters, bool ascii, Entry entry) {
    if (ascii) {
        std::string bytes(characters + 2 * count, '\0');
        char* out = bytes.data();
        for (size_t i = 0; i < count; ++i) {
            const std::wstring_view text = entry(i);
            out = std::transform(text.begin(), text.end(), out,
                                 [](wchar_t c) { return static_cast<char>(c); });
            *out++ = '\r';
            *out++ = '\n';
        }
        return bytes;
    }
    std::wstring text;
    text.reserve(characters + 2 * count);
    for (size_t i = 0; i < count; ++i) {
        text += entry(i);
        text += L"\r\n";
    }
    if (std::optional<std::string> bytes = win::ToCodePageExact(text))
        return std::move(*bytes);
    return std::string(kUtf8Mark) + win::ToUtf8(text);
}

} // namespace

void ReadListLines(const std::wstring& path, const std::function<void(std::wstring_view)>& take,
                   win::Progress* progress) {
    win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        ThrowFileError(path, L"は開けません", ::GetLastError());

    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        ThrowStreamError(L"ストリームの読み込みエラー", path, ::GetLastError());
    if (size.QuadPart > INT_MAX)
        ThrowStreamError(L"ストリームの読み込みエラー", path, ERROR_FILE_TOO_LARGE,
                         L"2 GB を超えるリストファイルは読み込めません。");
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunk));
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr))
            ThrowStreamError(L"ストリームの読み込みエラー", path, ::GetLastError());
        if (got == 0)
            break; // the file shrank while we read it
        done += got;
        if (progress) {
            progress->Check();
            progress->Set(done, 2 * bytes.size());
        }
    }
    bytes.resize(done);
    // Reading is the first half of the way, cutting the lines the second.
    auto tell = [&, lines = size_t{0}](auto text, auto line) mutable {
        if (progress && (++lines & 0xFFF) == 0) {
            progress->Check();
            const auto at = static_cast<uint64_t>(line.data() + line.size() - text.data());
            progress->Set(done + at * done / std::max<size_t>(text.size(), 1), 2 * done);
        }
    };

    const ListBytes kind = ClassifyListBytes(bytes);
    if (kind.encoding == ListEncoding::Utf8) {
        const std::wstring text = win::FromUtf8(kind.text);
        ForEachLine(std::wstring_view(text), [&](std::wstring_view line) {
            tell(std::wstring_view(text), line);
            take(line);
        });
        return;
    }
    // Each line goes through one buffer used again, so a long list costs no copy of the whole
    // file on the way in. The bytes are cut before they are converted: a lead byte of a
    // double-byte code page that is followed by CR, LF or NUL would take that byte into its
    // character, and two lines would become one (or the text would run on past its end).
    std::wstring line;
    ForEachLine(kind.text, [&](std::string_view bytesOfLine) {
        tell(kind.text, bytesOfLine);
        line.clear();
        if (kind.encoding == ListEncoding::Ascii)
            line.append(bytesOfLine.begin(), bytesOfLine.end());
        else
            win::AppendFromCodePage(bytesOfLine, line);
        take(line);
    });
}

std::vector<std::wstring> ReadListFile(const std::wstring& path) {
    std::vector<std::wstring> lines;
    ReadListLines(path, [&](std::wstring_view line) { lines.emplace_back(line); });
    return lines;
}

std::string EncodeListFile(const std::vector<std::wstring>& paths) {
    size_t characters = 0;
    for (const std::wstring& path : paths)
        characters += path.size();
    return EncodeEntries(paths.size(), characters,
                         std::all_of(paths.begin(), paths.end(), IsAscii<wchar_t>),
                         [&](size_t i) { return std::wstring_view(paths[i]); });
}

std::string EncodeListFile(const ListTexts& texts) {
    return EncodeEntries(texts.Count(), texts.chars.size(), IsAscii<wchar_t>(texts.chars),
                         [&](size_t i) { return texts[i]; });
}

void WriteListFile(const std::wstring& path, size_t count,
                   const std::function<std::wstring_view(size_t)>& text) {
    size_t characters = 0;
    bool ascii = true;
    for (size_t i = 0; i < count; ++i) {
        const std::wstring_view entry = text(i);
        characters += entry.size();
        ascii = ascii && IsAscii<wchar_t>(entry);
    }
    ReplaceFileContents(path, EncodeEntries(count, characters, ascii, text));
}

void WriteListFile(const std::wstring& path, const std::vector<std::wstring>& paths) {
    ReplaceFileContents(path, EncodeListFile(paths));
}

void WriteListFile(const std::wstring& path, const ListTexts& texts) {
    ReplaceFileContents(path, EncodeListFile(texts));
}

void ReplaceFileContents(const std::wstring& path, std::string_view bytes, ChunkWriter write) {
    if (write == nullptr)
        write = WriteWithWriteFile;
    std::wstring besidePath;
    win::FileHandle file = win::CreateBeside(path, besidePath);
    if (!file)
        ThrowFileError(path, L"を作成できません", ::GetLastError());
    auto fail = [&](DWORD code) {
        file.reset();
        ::DeleteFileW(besidePath.c_str());
        return code;
    };
    for (size_t done = 0; done < bytes.size();) {
        DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunk));
        if (!write(file.get(), bytes.data() + done, size))
            ThrowStreamError(L"ストリームへの書き込みエラー", path, fail(::GetLastError()));
        done += size;
    }
    // On the disk before it takes the target's name: a power cut after the move must not find
    // a file whose name is there but whose bytes are not.
    if (!::FlushFileBuffers(file.get()))
        ThrowStreamError(L"ストリームへの書き込みエラー", path, fail(::GetLastError()));
    file.reset();
    if (!win::MoveOver(besidePath, path))
        ThrowFileError(path, L"を作成できません", fail(::GetLastError()));
}

} // namespace filelist
