// The clean-up toolbox: owners of GDI objects and other system handles, and a scope guard, so that
// everything a paint or a step creates is released by it, also when it fails half-way.
#pragma once

#include <utility>
#include <windows.h>

// Runs a clean-up when the scope ends, however it ends.
template <class CleanUp> class ScopeExit {
public:
    explicit ScopeExit(CleanUp cleanUp) : cleanUp_(std::move(cleanUp)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { cleanUp_(); }

private:
    CleanUp cleanUp_;
};

// Owns a handle that one call of the system releases.
template <class Handle, auto release> class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (handle_)
            release(handle_);
    }
    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};

template <class Handle> using GdiObject = Owned<Handle, DeleteObject>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;
using OwnedDC = Owned<HDC, DeleteDC>;
using OwnedIcon = Owned<HICON, DestroyIcon>;
using OwnedMenu = Owned<HMENU, DestroyMenu>;

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
          selection_(dc_.Get(), bitmap_.Get()) {}
    HDC Get() const { return dc_.Get(); }

private:
    OwnedDC dc_;
    Bitmap bitmap_;
    Selection selection_;
};

// A window's DC for one scope: of its client area, or of the whole window with its frame.
enum class DCArea { Client, Window };
class WindowDC {
public:
    explicit WindowDC(HWND window, DCArea area = DCArea::Client)
        : window_(window), dc_(area == DCArea::Client ? GetDC(window) : GetWindowDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
