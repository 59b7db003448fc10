#include "framework/Window.h"

#include <vector>

namespace fw {

std::string Window::Text() const {
    const int length = ::GetWindowTextLengthA(hwnd_);
    std::vector<char> buf(static_cast<size_t>(length) + 1);
    const int got = ::GetWindowTextA(hwnd_, buf.data(), length + 1);
    return std::string(buf.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void Window::MoveTo(int x, int y) const {
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::Resize(int cx, int cy) const {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
