#include "controls/FooButton.h"

#include "framework/App.h"
#include "framework/Handles.h"

namespace {
constexpr int kMenuZoneWidth = 18;

// Copies a bitmap, leaving the pixels of the key colour transparent.
void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y, COLORREF key) {
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof info, &info);
    fw::UniqueMemoryDc image(::CreateCompatibleDC(dc)), mask(::CreateCompatibleDC(dc));
    fw::UniqueBitmap maskBitmap(::CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr));
    fw::ScopedSelect selImage(image.get(), bitmap), selMask(mask.get(), maskBitmap.get());
    ::SetBkColor(image.get(), key);
    ::BitBlt(mask.get(), 0, 0, info.bmWidth, info.bmHeight, image.get(), 0, 0, SRCCOPY);
    const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, image.get(), 0, 0, SRCINVERT);
    ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mask.get(), 0, 0, SRCAND);
    ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, image.get(), 0, 0, SRCINVERT);
    ::SetBkColor(dc, oldBk);
    ::SetTextColor(dc, oldText);
}
}  // namespace

void FooButton::OnAttached() {
    const LONG_PTR style = ::GetWindowLongPtrA(hwnd_, GWL_STYLE);
    ::SetWindowLongPtrA(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void FooButton::SetButtonType(int type) {
    type_ = type;
    if (hwnd_) Repaint();
}

void FooButton::SetTextLayout(int layout) {
    layout_ = layout;
    if (hwnd_) Repaint();
}

void FooButton::SetBitmap(int bitmapId, COLORREF key) {
    bitmapId_ = bitmapId;
    key_ = key;
    if (hwnd_) Repaint();
}

void FooButton::ClearDropDownPress() {
    if (type_ != Split) return;
    dropDownPressed_ = false;
    Repaint();
}

bool FooButton::OnReflected(UINT msg, WPARAM, LPARAM l, LRESULT& result) {
    if (msg != WM_DRAWITEM) return false;
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
    result = TRUE;
    return true;
}

LRESULT FooButton::WndProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_LBUTTONDOWN: {
        dropDownPressed_ = false;
        if (type_ == Split) {
            const RECT r = ClientRect();
            dropDownPressed_ = static_cast<short>(LOWORD(l)) >= r.right - kMenuZoneWidth;
        }
        return Default(msg, w, l);
    }
    case WM_LBUTTONUP: {
        // The click notification is sent from inside the base handling, while the flag still holds.
        const LRESULT r = Default(msg, w, l);
        dropDownPressed_ = false;
        Repaint();
        return r;
    }
    default:
        return Default(msg, w, l);
    }
}

void FooButton::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (type_ != Link) {
        ::DrawFrameControl(dc, &rect, DFC_BUTTON,
                           DFCS_BUTTONPUSH | (selected && type_ != Split ? DFCS_PUSHED : 0));
    }
    const bool shift = selected && type_ != Link && !dropDownPressed_;
    int textLeft = 0;
    if (bitmapId_) {
        fw::UniqueBitmap bitmap(::LoadBitmapA(fw::App::Instance(), MAKEINTRESOURCEA(bitmapId_)));
        if (bitmap) {
            BITMAP info{};
            ::GetObjectA(bitmap.get(), sizeof info, &info);
            const int x = 5 + (shift ? 1 : 0);
            const int y = (height - info.bmHeight) / 2 + (shift ? 1 : 0);
            DrawTransparent(dc, bitmap.get(), x, y, key_);
            textLeft = 5 + info.bmWidth;
        }
    }
    const std::string caption = Text();
    RECT textRect{textLeft + 5, 0, type_ == Split ? width - 12 : width, height};
    if (shift) ::OffsetRect(&textRect, 1, 1);
    if (textRect.right > textRect.left && !caption.empty()) {
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, type_ == Link ? RGB(0, 0, 224) : textColour);
        const UINT align = layout_ == LeftAligned ? DT_LEFT : DT_CENTER;
        ::DrawTextA(dc, caption.c_str(), -1, &textRect, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
}
