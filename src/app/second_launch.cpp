#include "app/second_launch.h"

#include "app/window_class.h"
#include "intake/hand_over_format.h"
#include "win/handles.h"
#include "win/program_path.h"

namespace app {
namespace {

// The main window's class name, the product's since the first version.

std::vector<HWND> MainWindowsOfOtherProcesses() {
    std::vector<HWND> found;
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            wchar_t name[32] = {};
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            // Minimised, the main window is hidden; it is still the running program's.
            if (pid != ::GetCurrentProcessId() && ::GetClassNameW(hwnd, name, 32) > 0 &&
                std::wstring_view(name) == kMainWindowClass) {
                // Nothing may unwind through the system's frames: no memory ends the search.
                try {
                    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
                } catch (...) {
                    return FALSE;
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The executable the process of window was started from; empty when it cannot be known.
std::wstring ProgramOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    win::KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(path.size());
        if (::QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) {
            path.resize(size);
            return path;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() > 65536)
            return {};
        path.resize(path.size() * 2);
    }
}

} // namespace

bool BasketRunningFrom(const std::wstring& program) {
    for (HWND window : MainWindowsOfOtherProcesses())
        if (win::SamePath(ProgramOf(window), program))
            return true;
    return false;
}

bool HandOverToRunningProgram(const std::wstring& program, const std::vector<std::wstring>& paths,
                              DWORD timeoutMs) {
    const std::vector<unsigned char> data = intake::EncodeHandOver({program, paths});
    COPYDATASTRUCT message{intake::kHandOverId, static_cast<DWORD>(data.size()),
                           const_cast<unsigned char*>(data.data())};
    const DWORD start = ::GetTickCount();
    for (HWND window : MainWindowsOfOtherProcesses()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        // The running program comes to the front when it takes the paths; the system lets it
        // only if the launch that has the foreground allows it.
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        ::AllowSetForegroundWindow(pid);
        DWORD_PTR taken = FALSE;
        if (::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message),
                                  SMTO_NORMAL, timeoutMs - elapsed, &taken) &&
            taken == TRUE)
            return true;
    }
    return false;
}

} // namespace app
