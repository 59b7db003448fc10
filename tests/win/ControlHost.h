#pragma once
// A visible window to put one control at a time in, as the board's dialog
// would: it reflects owner-draw messages to the control object, and
// records the click and scroll notifications it receives. Pixels are read
// back from the screen.
#include <windows.h>

#include <functional>
#include <vector>

namespace wintest {

struct Notification {
    UINT message;  // WM_COMMAND, WM_HSCROLL or WM_VSCROLL
    int code;      // notification or scroll code
    int value;     // what onNotify returned when it came
};

class ControlHost {
public:
    ControlHost();
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    HWND hwnd() const { return hwnd_; }
    // A child of the given class with id 100 at (x, y), sized w x h.
    HWND AddChild(const char* className, DWORD style, int x, int y, int w, int h, const char* text = "");

    // Called while each notification is handled; its result is recorded.
    std::function<int()> onNotify;
    std::vector<Notification> notifications;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
    HWND hwnd_ = nullptr;
};

// The pixels of a window's client area as the screen shows them, after it
// has painted everything pending.
class Capture {
public:
    explicit Capture(HWND hwnd);
    // A w x h area of a device context.
    Capture(HDC dc, int w, int h);
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF at(int x, int y) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<DWORD> pixels_;
};

// The pixels of a bitmap resource of the program.
Capture ResourceBitmap(int id);

}  // namespace wintest
