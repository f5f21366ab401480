// Owners of GDI objects, so that everything a paint creates is released by that paint, also when it
// fails half-way.
#pragma once

#include <utility>
#include <windows.h>

template <class Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() {
        if (handle_)
            DeleteObject(handle_);
    }
    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// Selects an object into a DC for one scope.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Saves the DC's state (clip region, origin, colours) for one scope.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;
    ~SavedDC() { RestoreDC(dc_, saved_); }

private:
    HDC dc_;
    int saved_;
};

// An off-screen surface compatible with a DC: frames are composed here and copied in one go.
class MemoryDC {
public:
    MemoryDC(HDC reference, int width, int height)
        : dc_(CreateCompatibleDC(reference)), bitmap_(CreateCompatibleBitmap(reference, width, height)),
          selection_(dc_.dc, bitmap_.Get()) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() = default;
    HDC Get() const { return dc_.dc; }

private:
    struct OwnedDC {
        HDC dc;
        OwnedDC(HDC d) : dc(d) {}
        ~OwnedDC() { DeleteDC(dc); }
    } dc_;
    Bitmap bitmap_;
    Selection selection_;
};

// GetDC/ReleaseDC for one scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() { ReleaseDC(window_, dc_); }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
