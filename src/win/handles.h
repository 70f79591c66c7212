// RAII owners for Win32 handles: one small template, one traits type per
// acquire/release pair, and a few classes for device contexts that need
// their window or a previous selection back.
#pragma once

#include <windows.h>

// Owns one handle and releases it with Traits::close when it dies. Traits
// gives the handle type (pointer), the "no handle" value (invalid) and
// isValid; close is called only for valid handles.
template <typename Traits>
class Unique {
public:
    using pointer = typename Traits::pointer;

    Unique() noexcept = default;
    explicit Unique(pointer value) noexcept : value_(value) {}
    ~Unique() { reset(); }

    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::isValid(value_); }

    // Gives up ownership without closing; the wrapper is left empty.
    pointer release() noexcept {
        const pointer value = value_;
        value_ = Traits::invalid();
        return value;
    }

    // Closes the owned handle (if any) and takes value instead.
    void reset(pointer value = Traits::invalid()) noexcept {
        const pointer old = value_;
        value_ = value;
        if (old != value && Traits::isValid(old)) Traits::close(old);
    }

    // Closes the owned handle and gives the address of the empty slot, for
    // functions that return a handle through an out-parameter.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

namespace handle_traits {

// Handles for which NULL means none.
template <typename T>
struct NullIsNone {
    using pointer = T;
    static pointer invalid() noexcept { return nullptr; }
    static bool isValid(pointer h) noexcept { return h != nullptr; }
};

// Handles that fail as INVALID_HANDLE_VALUE; 0 counts as none too.
struct MinusOneIsNone {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool isValid(pointer h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
};

struct Handle : NullIsNone<HANDLE> {
    static void close(pointer h) noexcept { CloseHandle(h); }
};
struct File : MinusOneIsNone {
    static void close(pointer h) noexcept { CloseHandle(h); }
};
struct Find : MinusOneIsNone {
    static void close(pointer h) noexcept { FindClose(h); }
};
struct Hook : NullIsNone<HHOOK> {
    static void close(pointer h) noexcept { UnhookWindowsHookEx(h); }
};
struct Module : NullIsNone<HMODULE> {
    static void close(pointer h) noexcept { FreeLibrary(h); }
};
template <typename T>
struct GdiObject : NullIsNone<T> {
    static void close(T h) noexcept { DeleteObject(h); }
};
struct MappedView : NullIsNone<void*> {
    static void close(pointer h) noexcept { UnmapViewOfFile(h); }
};
struct MemoryDc : NullIsNone<HDC> {
    static void close(pointer h) noexcept { DeleteDC(h); }
};

// A predefined root is never closed, so a wrapper may hold one safely.
struct Hkey : NullIsNone<HKEY> {
    static bool isPredefined(pointer h) noexcept {
        return h == HKEY_CLASSES_ROOT || h == HKEY_CURRENT_USER || h == HKEY_LOCAL_MACHINE ||
               h == HKEY_USERS || h == HKEY_PERFORMANCE_DATA || h == HKEY_PERFORMANCE_TEXT ||
               h == HKEY_PERFORMANCE_NLSTEXT || h == HKEY_CURRENT_CONFIG || h == HKEY_DYN_DATA ||
               h == HKEY_CURRENT_USER_LOCAL_SETTINGS;
    }
    static void close(pointer h) noexcept {
        if (!isPredefined(h)) RegCloseKey(h);
    }
};

}  // namespace handle_traits

using UniqueHandle = Unique<handle_traits::Handle>;  // threads, processes, events
using UniqueFile = Unique<handle_traits::File>;
using UniqueFind = Unique<handle_traits::Find>;
using UniqueHkey = Unique<handle_traits::Hkey>;
using UniqueHook = Unique<handle_traits::Hook>;
using UniqueModule = Unique<handle_traits::Module>;
template <typename T>
using GdiObject = Unique<handle_traits::GdiObject<T>>;  // HBITMAP, HFONT, HBRUSH...
using MemoryDc = Unique<handle_traits::MemoryDc>;      // from CreateCompatibleDC
using MappedView = Unique<handle_traits::MappedView>;  // from MapViewOfFile

// A window's device context, released to its window on destruction:
// WindowDc::Whole uses GetWindowDC (the whole window), WindowDc::Client GetDC.
class WindowDc {
public:
    enum Area { Whole, Client };
    explicit WindowDc(HWND window, Area area = Whole) noexcept
        : window_(window), dc_(area == Whole ? GetWindowDC(window) : GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint on construction, EndPaint on destruction (WM_PAINT handlers).
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window), paint_{} {
        dc_ = BeginPaint(window, &paint_);
    }
    ~PaintDc() {
        if (dc_ != nullptr) EndPaint(window_, &paint_);
    }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const noexcept { return dc_; }
    const RECT& area() const noexcept { return paint_.rcPaint; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_ = nullptr;
};

// Selects an object into a context and selects the previous one back on
// destruction. Declare it after the owner of the object, so that the object
// is deselected before it is deleted.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

    // False when the selection failed (nothing will be restored).
    explicit operator bool() const noexcept {
        return previous_ != nullptr && previous_ != HGDI_ERROR;
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
