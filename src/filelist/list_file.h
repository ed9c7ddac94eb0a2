// List files (.lst): one path per line in the line format.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "filelist/list_texts.h"
#include "win/job.h"

namespace filelist {

// The lines of the list file at path, in file order, empty ones included. A file that starts with
// the UTF-8 byte-order mark is UTF-8; any other is in the system code page. Throws win::Error
// "ファイル "…" は開けません。…" when the file cannot be opened.
std::vector<std::wstring> ReadListFile(const std::wstring& path);
// The same lines handed to take one by one, for a long list read into the list. The file is
// read whole first: a file that cannot be read hands nothing. With progress, it tells how far it
// has come and throws win::Cancelled once cancelled.
void ReadListLines(const std::wstring& path, const std::function<void(std::wstring_view)>& take,
                   win::Progress* progress = nullptr);

// The bytes of a list file: in the system code page when every path fits in it exactly, otherwise
// UTF-8 behind a byte-order mark, so that no name is lost.
std::string EncodeListFile(const std::vector<std::wstring>& paths);
std::string EncodeListFile(const ListTexts& texts);

// Writes the list file. The old file at path is replaced only once the new one is complete.
void WriteListFile(const std::wstring& path, const std::vector<std::wstring>& paths);
void WriteListFile(const std::wstring& path, const ListTexts& texts);
// count entries, text(i) giving each where the list holds it: no copy of the list on the way.
void WriteListFile(const std::wstring& path, size_t count,
                   const std::function<std::wstring_view(size_t)>& text);

// Writes one piece of the file; false with the last error set when it fails.
using ChunkWriter = bool (*)(HANDLE file, const char* data, DWORD size);

// Puts bytes at path through a new file beside it that is flushed to the disk and moved over the
// target only when complete; on failure the target is untouched and the new file is removed.
void ReplaceFileContents(const std::wstring& path, std::string_view bytes,
                         ChunkWriter write = nullptr);

} // namespace filelist
