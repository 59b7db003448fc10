#include "controls/FooButton.h"

#include "controls/ButtonGeometry.h"
#include "framework/App.h"
#include "framework/Handles.h"

namespace {
using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// Shared by every button: the optional library is loaded by the first and
// freed by the last.
int g_instances = 0;
HMODULE g_gradientLibrary = nullptr;
GradientFillFn g_gradientFill = nullptr;
bool g_useGradientFill = true;

RECT ToRect(const button::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
button::Rect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
COLORREF ToColorRef(button::Rgb c) { return RGB(c.r, c.g, c.b); }

TRIVERTEX Vertex(LONG x, LONG y, button::Rgb c) {
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(c.r << 8);
    v.Green = static_cast<COLOR16>(c.g << 8);
    v.Blue = static_cast<COLOR16>(c.b << 8);
    return v;
}

void FillGradient(HDC dc, const RECT& r, button::Rgb top, button::Rgb bottom) {
    if (g_gradientFill && g_useGradientFill) {
        TRIVERTEX vertices[] = {Vertex(r.left, r.top, top), Vertex(r.right, r.bottom, bottom)};
        GRADIENT_RECT rect{0, 1};
        g_gradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
        return;
    }
    const int height = r.bottom - r.top;
    for (int k = 0; k < button::kBandCount; ++k) {
        const button::Band band = button::FallbackBand(k, height, top, bottom);
        if (band.top == band.bottom) continue;
        fw::UniqueBrush brush(::CreateSolidBrush(ToColorRef(band.colour)));
        const RECT area{r.left, r.top + band.top, r.right, r.top + band.bottom};
        ::FillRect(dc, &area, brush.get());
    }
}

// Copies a bitmap, leaving the destination as it is under the key colour.
void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y, int width, int height, COLORREF key) {
    fw::UniqueBitmap maskBitmap(::CreateBitmap(width, height, 1, 1, nullptr));
    fw::SelectedDc image(bitmap), mask(maskBitmap.get());
    // Mask: 1 where the image has the key colour.
    ::SetBkColor(image.get(), key);
    ::BitBlt(mask.get(), 0, 0, width, height, image.get(), 0, 0, SRCCOPY);
    const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    // dst ^ img, then keep it only under the key, then ^ img again: the key
    // pixels come back unchanged and the others become the image.
    ::BitBlt(dc, x, y, width, height, image.get(), 0, 0, SRCINVERT);
    ::BitBlt(dc, x, y, width, height, mask.get(), 0, 0, SRCAND);
    ::BitBlt(dc, x, y, width, height, image.get(), 0, 0, SRCINVERT);
    ::SetBkColor(dc, oldBk);
    ::SetTextColor(dc, oldText);
}
}  // namespace

FooButton::FooButton() {
    if (g_instances++ == 0) {
        g_gradientLibrary = ::LoadLibraryA("msimg32.dll");
        if (g_gradientLibrary)
            g_gradientFill = reinterpret_cast<GradientFillFn>(
                reinterpret_cast<void*>(::GetProcAddress(g_gradientLibrary, "GradientFill")));
    }
}

FooButton::~FooButton() {
    Detach();
    if (--g_instances == 0) {
        g_gradientFill = nullptr;
        if (g_gradientLibrary) ::FreeLibrary(g_gradientLibrary);
        g_gradientLibrary = nullptr;
    }
}

bool FooButton::HasGradientFunction() { return g_gradientFill != nullptr; }
void FooButton::UseGradientFunction(bool use) { g_useGradientFill = use; }

void FooButton::OnAttached() {
    const LONG_PTR style = ::GetWindowLongPtrA(hwnd_, GWL_STYLE);
    if ((style & BS_TYPEMASK) == BS_OWNERDRAW) return;  // made owner-drawn: no style change to apply
    ::SetWindowLongPtrA(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void FooButton::SetButtonType(int type) {
    type_ = type;
    if (IsValid()) Repaint();
}

void FooButton::SetTextLayout(int layout) {
    textShown_ = layout == LeftAligned || layout == Centred;
    centred_ = layout == Centred;
    if (IsValid()) Repaint();
}

void FooButton::SetBitmap(int bitmapId, COLORREF key) {
    if (bitmapId == bitmapId_ && key == key_) return;  // the same image: nothing to redraw
    bitmapId_ = bitmapId;
    key_ = key;
    if (IsValid()) Repaint();
}

void FooButton::ClearDropDownPress() {
    if (type_ != Split) return;
    dropDownPressed_ = false;
    Repaint();
}

int FooButton::TrackMenu(HMENU menu) {
    Repaint();
    if (!menu || !hwnd_) return 0;
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return static_cast<int>(::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                             r.left, r.bottom, 0, ::GetParent(hwnd_), nullptr));
}

bool FooButton::OnReflected(UINT msg, WPARAM, LPARAM l, LRESULT& result) {
    if (msg != WM_DRAWITEM) return false;
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
    result = TRUE;
    return true;
}

void FooButton::OnLeftButtonDown(LPARAM l) {
    dropDownPressed_ = false;
    if (type_ == Split) {
        const RECT client = ClientRect();
        dropDownPressed_ = button::InMenuZone(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)),
                                              client.right, client.bottom);
    }
}

LRESULT FooButton::WndProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(l);
        return Default(msg, w, l);
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button would report a double click instead of pressing;
        // two quick clicks on Play must play and pause, so each is a press.
        OnLeftButtonDown(l);
        return Default(WM_LBUTTONDOWN, w, l);
    case WM_LBUTTONUP: {
        // The click notification goes out inside the base handling, while the flag still holds.
        const LRESULT result = Default(msg, w, l);
        dropDownPressed_ = false;
        if (hwnd_) Repaint();
        return result;
    }
    case WM_SETCURSOR:
        if (type_ == Link) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        return Default(msg, w, l);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Repaint();
        return Default(msg, w, l);
    case WM_ERASEBKGND: {
        if (type_ != Link) return TRUE;  // the frame about to be drawn covers it all
        const RECT client = ClientRect();
        ::FillRect(reinterpret_cast<HDC>(w), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return Default(msg, w, l);
    }
    default:
        return Default(msg, w, l);
    }
}

void FooButton::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const RECT client = ClientRect();
    const int width = client.right, height = client.bottom;

    // 1. Frame and background. A split button never shows its whole frame pushed.
    if (type_ != Link) {
        ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (selected && type_ != Split ? DFCS_PUSHED : 0));
        if (gradient) FillGradient(dc, ToRect(button::GradientArea(FromRect(rect))), button::kGradientTop,
                                   button::kGradientBottom);
        if (type_ == Split && dropDownPressed_) {
            RECT zone = ToRect(button::DropDownFrame(FromRect(rect)));
            ::DrawFrameControl(dc, &zone, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_CHECKED);
        }
    }

    // 2. Bitmap, loaded for this paint only.
    const bool shift = selected && type_ != Link && !dropDownPressed_;
    const int nudge = shift ? 1 : 0;
    int right = 0;
    if (bitmapId_) {
        fw::UniqueBitmap bitmap(::LoadBitmapA(fw::App::Instance(), MAKEINTRESOURCEA(bitmapId_)));
        BITMAP info{};
        if (bitmap && ::GetObjectA(bitmap.get(), sizeof info, &info)) {
            const int x = button::BitmapLeft(textShown_, width, info.bmWidth);
            const int y = button::BitmapTop(height, info.bmHeight);
            DrawTransparent(dc, bitmap.get(), x + nudge, y + nudge, info.bmWidth, info.bmHeight, key_);
            right = x + info.bmWidth;
        }
    }

    // 3. Arrow and separator of the split type.
    if (type_ == Split) {
        const COLORREF arrowColour = ::GetSysColor(COLOR_BTNTEXT);
        fw::UniquePen pen(::CreatePen(PS_SOLID, 1, arrowColour));
        fw::ScopedSelect selectPen(dc, pen.get());
        for (int i = 0; i < 3; ++i) {
            const button::ArrowRow row = button::ArrowRowAt(i, width, height, selected || dropDownPressed_);
            ::MoveToEx(dc, row.x0, row.y, nullptr);
            ::LineTo(dc, row.x1, row.y);
        }
        if (!dropDownPressed_) {
            RECT separator = ToRect(button::SeparatorRect(width, height));
            ::DrawEdge(dc, &separator, BDR_SUNKENOUTER, BF_RECT);
        }
    }

    // 4. Caption.
    if (!textShown_) return;
    const std::string caption = Text();
    if (caption.empty()) return;
    button::Span span = button::CaptionSpan(right, centred_, type_ == Split, width);
    if (span.right <= span.left) return;

    fw::UniqueFont linkFont;
    HGDIOBJ font = ::GetCurrentObject(dc, OBJ_FONT);
    if (type_ == Link) {
        LOGFONTA lf{};
        HGDIOBJ windowFont = reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT));
        if (::GetObjectA(windowFont ? windowFont : font, sizeof lf, &lf)) {
            lf.lfUnderline = TRUE;
            linkFont.reset(::CreateFontIndirectA(&lf));
        }
    }
    fw::ScopedSelect selectFont(dc, linkFont ? static_cast<HGDIOBJ>(linkFont.get()) : font);

    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | (centred_ ? DT_CENTER : DT_LEFT);
    RECT measured{span.left, 0, span.right, height};
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &measured, format | DT_CALCRECT);
    if (centred_) span = button::ShrinkToText(span, measured.right - measured.left);
    const int textHeight = measured.bottom - measured.top;
    RECT textRect{span.left + nudge, (height - textHeight) / 2 + nudge, span.right + nudge,
                  (height - textHeight) / 2 + textHeight + nudge};

    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, type_ == Link ? ToColorRef(button::kLinkText) : textColour);
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect, format);
}
