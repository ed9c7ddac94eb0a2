#include "win/subclass.h"

#include <commctrl.h>

#include "win/error.h"

namespace win {

Subclass::Subclass(HWND hwnd, Handler handler) : hwnd_(hwnd), handler_(std::move(handler)) {
    // The object's address tells its subclass from any other on the same window.
    ::SetWindowSubclass(hwnd_, &Procedure, reinterpret_cast<UINT_PTR>(this),
                        reinterpret_cast<DWORD_PTR>(this));
}

Subclass::~Subclass() {
    if (hwnd_ != nullptr)
        ::RemoveWindowSubclass(hwnd_, &Procedure, reinterpret_cast<UINT_PTR>(this));
}

void Subclass::ForLifeOf(HWND hwnd, Handler handler) {
    auto* subclass = new Subclass(hwnd, std::move(handler));
    subclass->ownedByWindow_ = true;
}

LRESULT Subclass::CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Subclass::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR data) {
    auto* self = reinterpret_cast<Subclass*>(data);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &Procedure, reinterpret_cast<UINT_PTR>(self));
        self->hwnd_ = nullptr;
        if (self->ownedByWindow_)
            delete self;
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    try {
        if (std::optional<LRESULT> result = self->handler_(msg, wParam, lParam))
            return *result;
    } catch (...) {
        ReportCurrentException();
        return 0;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

} // namespace win
