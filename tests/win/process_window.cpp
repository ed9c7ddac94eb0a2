#include "process_window.h"

#include <string>

namespace tuckbay::test {

HWND FindProcessWindow(DWORD pid, const wchar_t* className) {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        HWND found;
    } search{pid, className, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            wchar_t name[64] = {};
            ::GetClassNameW(hwnd, name, 64);
            if (owner == s->pid && std::wstring(name) == s->className && ::IsWindowVisible(hwnd)) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace tuckbay::test
