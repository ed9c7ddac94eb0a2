#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>

namespace app {
namespace {

// "X:\..." or "\\server\...": nothing about it depends on the current folder or drive.
bool IsFullPath(const std::wstring& path) {
    if (path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') &&
        (path[1] == L'\\' || path[1] == L'/'))
        return true;
    return path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

std::wstring Absolute(const std::wstring& path) {
    if (IsFullPath(path))
        return path;
    // Asked for the length first: a path is never cut to a fixed buffer.
    DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return path;
    full.resize(length);
    return full;
}

// Every argument after the program's own name, as given.
std::vector<std::wstring> Arguments(const wchar_t* commandLine) {
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&::LocalFree)> arguments(
        ::CommandLineToArgvW(commandLine, &count), &::LocalFree);
    if (!arguments)
        return {};
    return std::vector<std::wstring>(arguments.get() + std::min(count, 1), arguments.get() + count);
}

} // namespace

std::vector<std::wstring> PathsFromCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> paths;
    for (const std::wstring& argument : Arguments(commandLine)) {
        if (!argument.empty())
            paths.push_back(Absolute(argument));
    }
    return paths;
}

bool IsRestartByWindows(const wchar_t* commandLine) {
    const std::vector<std::wstring> arguments = Arguments(commandLine);
    return arguments.size() == 1 && arguments[0] == kRestartArgument;
}

} // namespace app
