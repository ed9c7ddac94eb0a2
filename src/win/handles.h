// Move-only owners for the platform's handles, and scopes for the calls that must be paired.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <utility>

namespace win {

// Traits name the "no handle" value and how a handle is given back.
template <typename Traits> class Unique {
public:
    using Handle = typename Traits::Handle;

    Unique() noexcept : handle_(Traits::Invalid()) {}
    explicit Unique(Handle handle) noexcept : handle_(handle) {}
    Unique(Unique&& other) noexcept : handle_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

    // Hands ownership to the caller; call it only after the receiving call succeeded.
    Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

    void reset(Handle handle = Traits::Invalid()) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

private:
    Handle handle_;
};

template <typename H, auto CloseFn> struct NullTraits {
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { CloseFn(h); }
};

struct FileTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};

inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }

using WindowHandle = Unique<NullTraits<HWND, ::DestroyWindow>>;
using GdiHandle = Unique<NullTraits<HGDIOBJ, DeleteGdiObject>>;
using FontHandle = Unique<NullTraits<HFONT, DeleteGdiObject>>;
using BrushHandle = Unique<NullTraits<HBRUSH, DeleteGdiObject>>;
using PenHandle = Unique<NullTraits<HPEN, DeleteGdiObject>>;
using MenuHandle = Unique<NullTraits<HMENU, ::DestroyMenu>>;
using IconHandle = Unique<NullTraits<HICON, ::DestroyIcon>>;
using GlobalHandle = Unique<NullTraits<HGLOBAL, ::GlobalFree>>;
using DropHandle = Unique<NullTraits<HDROP, ::DragFinish>>;
using KernelHandle = Unique<NullTraits<HANDLE, ::CloseHandle>>;
using FileHandle = Unique<FileTraits>;
using FindHandle = Unique<FindTraits>;

// GlobalLock for the life of the scope; Data() is null when the lock failed.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL global) noexcept
        : global_(global), data_(global ? ::GlobalLock(global) : nullptr) {}
    ~GlobalLockScope() {
        if (data_)
            ::GlobalUnlock(global_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;

    void* Data() const noexcept { return data_; }
    SIZE_T Size() const noexcept { return data_ ? ::GlobalSize(global_) : 0; }

private:
    HGLOBAL global_;
    void* data_;
};

// The clipboard, open for the life of the scope. IsOpen() tells whether OpenClipboard succeeded.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) noexcept : open_(::OpenClipboard(owner) != FALSE) {
        if (!open_)
            error_ = ::GetLastError();
    }
    ~ClipboardScope() {
        if (open_)
            ::CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;

    bool IsOpen() const noexcept { return open_; }
    DWORD OpenError() const noexcept { return error_; }

private:
    bool open_;
    DWORD error_ = 0;
};

// BeginPaint/EndPaint around the drawing of a WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept : hwnd_(hwnd), hdc_(::BeginPaint(hwnd, &ps_)) {}
    ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC Dc() const noexcept { return hdc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC hdc_;
};

// SaveDC/RestoreDC around a piece of drawing.
class SavedDc {
public:
    explicit SavedDc(HDC hdc) noexcept : hdc_(hdc), saved_(::SaveDC(hdc)) {}
    ~SavedDc() {
        if (saved_)
            ::RestoreDC(hdc_, saved_);
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC hdc_;
    int saved_;
};

} // namespace win
