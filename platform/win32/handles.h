#pragma once

#include <windows.h>

#include <utility>

// Owns one Win32 handle; move-only, so no copy can free it twice.
template <class Handle, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : FHandle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, Handle())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(std::exchange(other.FHandle, Handle()));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return FHandle; }
    explicit operator bool() const { return FHandle != Handle(); }
    void reset(Handle handle = Handle())
    {
        if (FHandle != Handle())
            Traits::Close(FHandle);
        FHandle = handle;
    }
    Handle release() { return std::exchange(FHandle, Handle()); }

private:
    Handle FHandle = Handle();
};

struct GdiObjectTraits {
    static void Close(HGDIOBJ object) { DeleteObject(object); }
};
struct WindowTraits {
    static void Close(HWND window) { DestroyWindow(window); }
};

using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND window) : FWindow(window) { BeginPaint(FWindow, &FPaint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(FWindow, &FPaint); }

    HDC DC() const { return FPaint.hdc; }
    const RECT& Area() const { return FPaint.rcPaint; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint;
};

// GetDC/ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : FWindow(window), FDC(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() { ReleaseDC(FWindow, FDC); }

    HDC DC() const { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};

// Selects a GDI object into a DC and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : FDC(dc), FPrevious(SelectObject(dc, object)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() { SelectObject(FDC, FPrevious); }

private:
    HDC FDC;
    HGDIOBJ FPrevious;
};
