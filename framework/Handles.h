#pragma once
// Move-only owners of Win32 handles and GDI objects, and scoped selections.
#include <windows.h>

#include <utility>

namespace fw {

template <typename H, typename Close>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, H())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, H()));
        return *this;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != H(); }
    H release() { return std::exchange(h_, H()); }
    void reset(H h = H()) {
        if (h_ != H()) Close()(h_);
        h_ = h;
    }

private:
    H h_ = H();
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct DeleteDc {
    void operator()(HDC h) const { ::DeleteDC(h); }
};
struct CloseRegKey {
    void operator()(HKEY h) const { ::RegCloseKey(h); }
};
struct DestroyMenuHandle {
    void operator()(HMENU h) const { ::DestroyMenu(h); }
};
struct FreeLibraryModule {
    void operator()(HMODULE h) const { ::FreeLibrary(h); }
};
struct CloseKernelHandle {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};

using UniqueBrush = UniqueHandle<HBRUSH, DeleteGdiObject>;
using UniquePen = UniqueHandle<HPEN, DeleteGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueMemoryDc = UniqueHandle<HDC, DeleteDc>;
using UniqueRegKey = UniqueHandle<HKEY, CloseRegKey>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenuHandle>;
using UniqueModule = UniqueHandle<HMODULE, FreeLibraryModule>;

// A kernel object: a file, an event, a mutex, a thread. A file that could
// not be opened (INVALID_HANDLE_VALUE) is held as none.
class UniqueKernelHandle : public UniqueHandle<HANDLE, CloseKernelHandle> {
public:
    UniqueKernelHandle() = default;
    explicit UniqueKernelHandle(HANDLE h) : UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};

// Selects an object into a device context and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ~ScopedSelect() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory device context compatible with the screen, with one object (a
// bitmap) selected into it for as long as it lives. Drawing code keeps these
// rather than making one per drawing: under Wine each new context costs
// server requests and an X graphics context. The object is owned elsewhere
// and must outlive the context; get() is null when either could not be had.
class SelectedDc {
public:
    SelectedDc() = default;
    explicit SelectedDc(HGDIOBJ object) : dc_(::CreateCompatibleDC(nullptr)) {
        if (dc_ && object) previous_ = ::SelectObject(dc_.get(), object);
        if (!previous_ || previous_ == HGDI_ERROR) {
            previous_ = nullptr;
            dc_.reset();
        }
    }
    ~SelectedDc() { reset(); }
    SelectedDc(const SelectedDc&) = delete;
    SelectedDc& operator=(const SelectedDc&) = delete;
    SelectedDc(SelectedDc&& o) noexcept : dc_(std::move(o.dc_)), previous_(std::exchange(o.previous_, nullptr)) {}
    SelectedDc& operator=(SelectedDc&& o) noexcept {
        if (this != &o) {
            reset();
            dc_ = std::move(o.dc_);
            previous_ = std::exchange(o.previous_, nullptr);
        }
        return *this;
    }
    void reset() {
        if (previous_) ::SelectObject(dc_.get(), previous_);
        previous_ = nullptr;
        dc_.reset();
    }
    HDC get() const { return dc_.get(); }
    explicit operator bool() const { return static_cast<bool>(dc_); }

private:
    UniqueMemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
};

// One BeginPaint/EndPaint cycle.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// A window's device context from GetDC, released on scope exit.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

}  // namespace fw
