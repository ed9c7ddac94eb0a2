// What a drop brings that is not a path yet, made into files in the basket's folder. KindOf and
// CopyDroppedFiles look at the data object the drop target was handed, on the window's thread;
// ReceiveData and its parts run on a worker of a drop's job, in the multithreaded apartment, on a
// data object marshalled there.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <string_view>
#include <vector>

#include "win/job.h"

namespace intake {

// The kinds of drop the basket takes, by the formats a data object offers, the first that
// fits: files by path, a group of virtual files, a link, an image, text.
enum class DropKind { Nothing, Files, FileGroup, Link, Image, Text };
DropKind KindOf(IDataObject* data, bool pathsToo = true);

// The paths of the drop's CF_HDROP as a drop handle of our own (DragFinish frees it), when the
// source gives at least one; null otherwise (some sources offer it and then fail).
HDROP CopyDroppedFiles(IDataObject* data);

// What a drop became: the paths to list, in order, and what could not be received.
struct Received {
    std::vector<std::wstring> paths;
    std::vector<std::wstring> failed;
    std::wstring reason; // why the first of them failed
};

// Makes what data carries into files in folder (made if need be). Each file is written under a
// passing name and renamed once whole. A cancel removes everything the drop wrote and throws
// win::Cancelled; a source that fails part-way leaves the files it completed.
Received ReceiveData(IDataObject* data, DropKind kind, const std::wstring& folder,
                     win::Progress& progress);

// The parts (receive_formats.cpp).
Received ReceiveFileGroup(IDataObject* data, const std::wstring& folder, win::Progress& progress);
Received ReceiveText(IDataObject* data, const std::wstring& folder);
Received ReceiveLink(IDataObject* data, const std::wstring& folder);
Received ReceiveImage(IDataObject* data, const std::wstring& folder);

// bytes as a new file named name (numbered when taken) in folder, written beside and renamed;
// its full path.
std::wstring WriteNewFile(const std::wstring& folder, const std::wstring& name,
                          std::string_view bytes);

// The file beside (flushed and closed) moved to target, or to the next free name beside it when
// target is taken by then; nothing is ever replaced. The path it got. Received paths are given
// in their ordinary form, and the file system is asked in the long form, so that a path past 260
// characters is no different.
std::wstring MoveToFreeName(const std::wstring& beside, const std::wstring& target);
bool Exists(const std::wstring& path);

CLIPFORMAT RegisteredFormat(const wchar_t* name);

} // namespace intake
