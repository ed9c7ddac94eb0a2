// Checks a release as a user meets it, from the folder it was unpacked into:
//
//   package_check.exe FOLDER VERSION WORKDIR
//
// starts FOLDER\tuckbay.exe with WORKDIR as its current folder, and checks that its version
// information says VERSION, that it shows its main window, that "ヘルプ" hands the shell
// FOLDER\tuckbay2.chm (seen on the command line of the help viewer it starts), and that on
// exit it writes its settings beside itself and not into WORKDIR. Prints what failed; the exit
// code is the number of failures.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../process_window.h"
#include "app/main_window.h"
#include "app/window_class.h"
#include "win/codepage.h"

namespace {

using tuckbay::test::FindProcessWindow;

int failures = 0;

void Fail(const std::wstring& text) {
    std::printf("FAIL: %s\n", win::ToUtf8(text).c_str());
    ++failures;
}

template <typename Condition> bool WaitFor(Condition done, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() > end)
            return false;
        ::Sleep(50);
    }
    return true;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FileVersion(const std::wstring& exe) {
    DWORD ignored = 0;
    std::vector<char> data(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    if (data.empty() || !::GetFileVersionInfoW(exe.c_str(), 0, data.size(), data.data()))
        return L"(no version information)";
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\StringFileInfo\\041104B0\\FileVersion",
                          reinterpret_cast<void**>(&text), &length))
        return L"(no FileVersion)";
    return text;
}

std::vector<DWORD> ChildrenOf(DWORD parent) {
    std::vector<DWORD> children;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent)
            children.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return children;
}

// Another process's command line, read from its process parameters.
std::wstring CommandLineOf(HANDLE process) {
    using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<Query>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess"));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return L"";
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!::ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !::ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters,
                             nullptr))
        return L"";
    std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!::ReadProcessMemory(process, parameters.CommandLine.Buffer, line.data(),
                             parameters.CommandLine.Length, nullptr))
        return L"";
    return line;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc != 4) {
        std::printf("usage: package_check FOLDER VERSION WORKDIR\n");
        return 100;
    }
    const std::wstring folder = argv[1], version = argv[2], workDir = argv[3];
    const std::wstring exe = folder + L"\\tuckbay.exe";
    const std::wstring chm = folder + L"\\tuckbay2.chm";

    if (FileVersion(exe) != version)
        Fail(L"the version information says " + FileVersion(exe) + L", not " + version);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\"";
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.c_str(), &si, &pi)) {
        Fail(L"tuckbay.exe does not start");
        return failures;
    }
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = FindProcessWindow(pi.dwProcessId, app::kMainWindowClass)); },
                 30000)) {
        Fail(L"no main window after 30 s");
        ::TerminateProcess(pi.hProcess, 1);
        return failures;
    }

    // "ヘルプ", as its menu item sends it; the shell starts the help viewer for the file.
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(app::kIdHelp, 0), 0);
    std::wstring viewerLine;
    WaitFor(
        [&] {
            for (DWORD child : ChildrenOf(pi.dwProcessId)) {
                HANDLE process = ::OpenProcess(
                    PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, child);
                if (!process)
                    continue;
                std::wstring line = CommandLineOf(process);
                if (!line.empty()) {
                    viewerLine = line;
                    ::TerminateProcess(process, 0);
                }
                ::CloseHandle(process);
            }
            return !viewerLine.empty();
        },
        30000);
    if (viewerLine.empty())
        Fail(L"\"ヘルプ\" started no help viewer");
    else if (viewerLine.find(chm) == std::wstring::npos)
        Fail(L"\"ヘルプ\" started " + viewerLine + L", which does not name " + chm);
    else
        std::printf("help viewer: %s\n", win::ToUtf8(viewerLine).c_str());

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
        Fail(L"tuckbay.exe did not end within 30 s of WM_CLOSE");
        ::TerminateProcess(pi.hProcess, 1);
    }
    if (!Exists(folder + L"\\tuckbay2.ini"))
        Fail(L"no tuckbay2.ini beside tuckbay.exe");
    if (Exists(workDir + L"\\tuckbay2.ini"))
        Fail(L"tuckbay2.ini was written to the current folder");
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return failures;
}
