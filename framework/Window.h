#pragma once
// A non-owning wrapper around a window handle.
#include <windows.h>

#include <string>

namespace fw {

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}
    HWND hwnd() const { return hwnd_; }
    bool IsValid() const { return hwnd_ && ::IsWindow(hwnd_); }

    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageA(hwnd_, msg, w, l); }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    void SetText(const std::string& text) const { ::SetWindowTextA(hwnd_, text.c_str()); }
    std::string Text() const;
    void Show(bool show) const { ::ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE); }
    // IsWindowVisible from the styles of the window and its parents. Under
    // Wine IsWindowVisible asks the server for the parents every time; the
    // styles of this program's own windows are at hand.
    bool IsShown() const;
    // Marks the whole window for repainting; nothing while it is hidden.
    void Invalidate(bool erase = true) const;
    // Moves without resizing or changing the z-order; nothing when already there.
    void MoveTo(int x, int y) const;
    // Resizes the outer window, keeping its position; nothing when already that size.
    void Resize(int cx, int cy) const;
    RECT ClientRect() const;
    // The window's rectangle in its parent's client coordinates.
    RECT RectInParent() const;

protected:
    HWND hwnd_ = nullptr;

private:
    // SetWindowPos flags that skip redrawing while the window is hidden.
    UINT HiddenFlags() const;
};

}  // namespace fw
