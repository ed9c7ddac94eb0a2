// Reads what a screen reader reads of a window and every window inside it, from another
// process, through the system's accessibility interface (MSAA):
//
//   accessible_reader HWND OUTPUT
//
// writes OUTPUT (UTF-8), one line per window and per item inside a window that is no window of
// its own (a list's rows, a status bar's parts), tab-separated:
//   window handle, item (0: the window itself), name, role, state (hex), description
// Exit code: the number of windows whose object could not be had.
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "win/codepage.h"

namespace {

std::wstring Take(BSTR text) {
    std::wstring taken = text != nullptr ? text : L"";
    ::SysFreeString(text);
    return taken;
}

std::string Line(HWND hwnd, IAccessible* object, long item) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = item;
    BSTR name = nullptr, description = nullptr;
    VARIANT role, state;
    ::VariantInit(&role);
    ::VariantInit(&state);
    object->get_accName(child, &name);
    object->get_accDescription(child, &description);
    object->get_accRole(child, &role);
    object->get_accState(child, &state);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "\t%ld\t%lx\t", role.vt == VT_I4 ? role.lVal : 0L,
                  state.vt == VT_I4 ? static_cast<unsigned long>(state.lVal) : 0UL);
    return std::to_string(reinterpret_cast<ULONG_PTR>(hwnd)) + "\t" + std::to_string(item) + "\t" +
           win::ToUtf8(Take(name)) + numbers + win::ToUtf8(Take(description)) + "\n";
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc != 3)
        return 100;
    ::CoInitialize(nullptr);
    const HWND top =
        reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::wcstoull(argv[1], nullptr, 10)));
    std::vector<HWND> windows{top};
    ::EnumChildWindows(
        top,
        [](HWND hwnd, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));

    std::string out;
    int failures = 0;
    for (HWND hwnd : windows) {
        IAccessible* object = nullptr;
        if (FAILED(::AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&object)))) {
            ++failures;
            continue;
        }
        out += Line(hwnd, object, CHILDID_SELF);
        long count = 0;
        object->get_accChildCount(&count);
        std::vector<VARIANT> children(static_cast<size_t>(count));
        long got = 0;
        if (count > 0 && SUCCEEDED(::AccessibleChildren(object, 0, count, children.data(), &got))) {
            for (long i = 0; i < got; ++i) {
                if (children[i].vt == VT_I4)
                    out += Line(hwnd, object, children[i].lVal);
                ::VariantClear(&children[i]);
            }
        }
        object->Release();
    }
    FILE* file = _wfopen(argv[2], L"wb");
    if (file == nullptr)
        return 101;
    std::fwrite(out.data(), 1, out.size(), file);
    std::fclose(file);
    ::CoUninitialize();
    return failures;
}
