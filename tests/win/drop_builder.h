// Drops built as the shell builds them, for the tests and the benchmarks.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace tuckbay::test {

// An HDROP as the shell builds one: DROPFILES, then the wide paths, then one more NUL.
inline HDROP BuildDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const std::wstring& path : paths)
        chars += path.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* at = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& path : paths) {
        path.copy(at, path.size());
        at += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

} // namespace tuckbay::test
