#include "filelist/list_file.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "filelist/line_format.h"
#include "filelist/list_bytes.h"
#include "win/codepage.h"
#include "win/error.h"
#include "win/handles.h"

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

// A name in the target's folder that no file has yet, created empty and not shared.
win::FileHandle CreateSibling(const std::wstring& path, std::wstring& siblingPath) {
    size_t folderEnd = path.find_last_of(L"\\/:");
    std::wstring folder;
    if (folderEnd != std::wstring::npos)
        folder = path.substr(0, folderEnd + 1);
    for (unsigned attempt = 0;; ++attempt) {
        siblingPath = folder;
        siblingPath += L"~tuckbay" + std::to_wstring(::GetCurrentProcessId());
        siblingPath += L"-" + std::to_wstring(attempt) + L".tmp";
        win::FileHandle file(::CreateFileW(siblingPath.c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            return file;
        DWORD code = ::GetLastError();
        if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt >= 100) {
            ThrowFileError(path, L"を作成できません", code);
        }
    }
}

} // namespace

std::vector<std::wstring> ReadListFile(const std::wstring& path) {
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
    }
    bytes.resize(done);

    const ListBytes kind = ClassifyListBytes(bytes);
    switch (kind.encoding) {
    case ListEncoding::Utf8:
        return SplitLines(win::FromUtf8(kind.text));
    case ListEncoding::Ascii:
        return SplitLines(std::wstring(kind.text.begin(), kind.text.end()));
    case ListEncoding::CodePage:
        break;
    }
    // Cut the bytes before converting them: a lead byte of a double-byte code page that is
    // followed by CR, LF or NUL would take that byte into its character, and two lines would
    // become one (or the text would run on past its end).
    std::vector<std::wstring> lines;
    for (const std::string& line : SplitLines(kind.text))
        lines.push_back(win::FromCodePage(line));
    return lines;
}

std::string EncodeListFile(const std::vector<std::wstring>& paths) {
    if (std::all_of(paths.begin(), paths.end(), IsAscii<wchar_t>)) {
        std::string bytes;
        size_t size = 0;
        for (const std::wstring& path : paths)
            size += path.size() + 2;
        bytes.reserve(size);
        for (const std::wstring& path : paths) {
            bytes.append(path.begin(), path.end());
            bytes += "\r\n";
        }
        return bytes;
    }
    std::wstring text = JoinLines(paths);
    if (std::optional<std::string> bytes = win::ToCodePageExact(text))
        return std::move(*bytes);
    return std::string(kUtf8Mark) + win::ToUtf8(text);
}

void WriteListFile(const std::wstring& path, const std::vector<std::wstring>& paths) {
    ReplaceFileContents(path, EncodeListFile(paths));
}

void ReplaceFileContents(const std::wstring& path, std::string_view bytes, ChunkWriter write) {
    if (write == nullptr)
        write = WriteWithWriteFile;
    std::wstring siblingPath;
    win::FileHandle file = CreateSibling(path, siblingPath);
    for (size_t done = 0; done < bytes.size();) {
        DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunk));
        if (!write(file.get(), bytes.data() + done, size)) {
            DWORD code = ::GetLastError();
            file.reset();
            ::DeleteFileW(siblingPath.c_str());
            ThrowStreamError(L"ストリームへの書き込みエラー", path, code);
        }
        done += size;
    }
    file.reset();
    if (!::MoveFileExW(siblingPath.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD code = ::GetLastError();
        ::DeleteFileW(siblingPath.c_str());
        ThrowFileError(path, L"を作成できません", code);
    }
}

} // namespace filelist
