#include "framework/Window.h"

#include <vector>

namespace fw {

std::string Window::Text() const {
    const int length = ::GetWindowTextLengthA(hwnd_);
    std::vector<char> buf(static_cast<size_t>(length) + 1);
    const int got = ::GetWindowTextA(hwnd_, buf.data(), length + 1);
    return std::string(buf.data(), static_cast<size_t>(got > 0 ? got : 0));
}

UINT Window::HiddenFlags() const {
    // Nothing of a hidden window is on the screen to redraw: it is painted
    // whole when shown.
    return IsShown() ? 0 : SWP_NOREDRAW | SWP_NOCOPYBITS;
}

void Window::MoveTo(int x, int y) const {
    // Placing a window where it is still costs a server request under Wine.
    const RECT now = RectInParent();
    if (now.left == x && now.top == y) return;
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | HiddenFlags());
}

void Window::Resize(int cx, int cy) const {
    RECT now{};
    ::GetWindowRect(hwnd_, &now);
    if (now.right - now.left == cx && now.bottom - now.top == cy) return;
    ::SetWindowPos(hwnd_, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | HiddenFlags());
}

bool Window::IsShown() const {
    for (HWND h = hwnd_; h; h = ::GetAncestor(h, GA_PARENT)) {
        const LONG_PTR style = ::GetWindowLongPtrA(h, GWL_STYLE);
        if (!(style & WS_VISIBLE)) return false;
        if (!(style & WS_CHILD)) return true;
    }
    return false;
}

void Window::Invalidate(bool erase) const {
    // A hidden window is painted whole when it is shown.
    if (IsShown()) ::InvalidateRect(hwnd_, nullptr, erase);
}

RECT Window::ClientRect() const {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return r;
}

RECT Window::RectInParent() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace fw
