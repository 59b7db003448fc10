#include "ControlHost.h"

#include "framework/App.h"
#include "framework/Control.h"
#include "framework/Handles.h"

namespace wintest {

namespace {
const char kClassName[] = "ClangsterControlHost";
constexpr int kChildId = 100;
}  // namespace

ControlHost::ControlHost() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = fw::App::Instance();
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kClassName;
        ::RegisterClassA(&wc);
        registered = true;
    }
    // One top-level window for the whole run: Wine waits for a window manager
    // that never comes each time a top-level window goes away.
    static HWND screen = ::CreateWindowExA(WS_EX_TOPMOST, "Static", "control tests", WS_POPUP | WS_VISIBLE, 0, 0,
                                           900, 300, nullptr, nullptr, fw::App::Instance(), nullptr);
    hwnd_ = ::CreateWindowExA(0, kClassName, "control test", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900, 300,
                              screen, nullptr, fw::App::Instance(), this);
    ::UpdateWindow(hwnd_);
}

ControlHost::~ControlHost() { ::DestroyWindow(hwnd_); }

HWND ControlHost::AddChild(const char* className, DWORD style, int x, int y, int w, int h, const char* text) {
    HWND child = ::CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChildId)), fw::App::Instance(),
                                   nullptr);
    // Some platform controls take the system font; the board's dialog hands them its own.
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

LRESULT CALLBACK ControlHost::WndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<ControlHost*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ControlHost*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        LRESULT result = 0;
        if (fw::Control* control = fw::Control::FromHandle(item->hwndItem))
            if (control->OnReflected(msg, w, l, result)) return result;
        break;
    }
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (self && l) {
            const int code = msg == WM_COMMAND ? HIWORD(w) : LOWORD(w);
            self->notifications.push_back({msg, code, self->onNotify ? self->onNotify() : 0});
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcA(hwnd, msg, w, l);
}

Capture::Capture(HWND hwnd) {
    ::UpdateWindow(hwnd);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    fw::WindowDc dc(hwnd);
    *this = Capture(dc.get(), client.right, client.bottom);
}

Capture::Capture(HDC dc, int w, int h) : width_(w), height_(h), pixels_(static_cast<size_t>(w) * h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    fw::UniqueBitmap section(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        fw::SelectedDc memory(section.get());
        if (!memory) return;
        ::BitBlt(memory.get(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    const DWORD* p = static_cast<const DWORD*>(bits);
    pixels_.assign(p, p + static_cast<size_t>(w) * h);
}

COLORREF Capture::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const DWORD bgr = pixels_[static_cast<size_t>(y) * width_ + x];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

Capture ResourceBitmap(int id) {
    fw::UniqueBitmap bitmap(::LoadBitmapA(fw::App::Instance(), MAKEINTRESOURCEA(id)));
    BITMAP info{};
    ::GetObjectA(bitmap.get(), sizeof info, &info);
    fw::SelectedDc memory(bitmap.get());
    return Capture(memory.get(), info.bmWidth, info.bmHeight);
}

}  // namespace wintest
