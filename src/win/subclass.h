// A window of another class (a common control) given handlers of ours for some of its messages,
// for as long as this object lives. Like every entry of ours from the platform, the handler runs
// inside the program's exception boundary.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace win {

class Subclass {
public:
    // Returns the message's result when it handled the message; nothing lets the window's own
    // procedure have it.
    using Handler = std::function<std::optional<LRESULT>(UINT msg, WPARAM wParam, LPARAM lParam)>;

    Subclass(HWND hwnd, Handler handler);
    ~Subclass();
    // A subclass for the window's whole life, gone with the window.
    static void ForLifeOf(HWND hwnd, Handler handler);
    Subclass(const Subclass&) = delete;
    Subclass& operator=(const Subclass&) = delete;

    // The window's own procedure, for a handler that acts before or after it.
    LRESULT CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    HWND hwnd_;
    Handler handler_;
    bool ownedByWindow_ = false;
};

} // namespace win
