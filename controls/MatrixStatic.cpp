#include "controls/MatrixStatic.h"

#include <commctrl.h>

#include "framework/App.h"
#include "framework/Handles.h"

namespace {
COLORREF ToColorRef(matrix::Rgb c) { return RGB(c.r, c.g, c.b); }
}  // namespace

void MatrixStatic::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    if (!hwnd_) return;
    ::SetWindowTextA(hwnd_, text_.c_str());
    Invalidate(false);
}

void MatrixStatic::SetCellSize(CellSize size) {
    geometry_ = &matrix::GeometryOf(static_cast<matrix::CellSize>(size));
}

void MatrixStatic::FitWidthToColumns(int columns) {
    if (!hwnd_ || !geometry_) return;
    const matrix::Size size = matrix::FitWidthToColumns(*geometry_, columns, ClientRect().bottom);
    Resize(size.width, size.height);
}

void MatrixStatic::FitHeightToRows(int rows) {
    if (!hwnd_ || !geometry_) return;
    const matrix::Size size = matrix::FitHeightToRows(*geometry_, rows, ClientRect().right);
    Resize(size.width, size.height);
}

void MatrixStatic::SetColors(COLORREF background, COLORREF on, COLORREF off) {
    background_ = background;
    on_ = on;
    off_ = off;
    if (hwnd_) Invalidate(false);
}

void MatrixStatic::Paint(HDC dc) const {
    if (text_.empty() || !geometry_) return;
    COLORMAP map[] = {{ToColorRef(matrix::kImageLit), on_},
                      {ToColorRef(matrix::kImageUnlit), off_},
                      {ToColorRef(matrix::kImageBlack), background_}};
    fw::UniqueBitmap glyphs(
        ::CreateMappedBitmap(fw::App::Instance(), geometry_->bitmapId, 0, map, static_cast<int>(std::size(map))));
    fw::UniqueBrush background(::CreateSolidBrush(background_));
    const RECT client = ClientRect();
    ::FillRect(dc, &client, background.get());
    if (!glyphs) return;
    fw::UniqueMemoryDc source(::CreateCompatibleDC(dc));
    fw::ScopedSelect select(source.get(), glyphs.get());
    for (const matrix::PlacedChar& c : matrix::LayOutText(text_, columns_, rows_, *geometry_)) {
        const matrix::Rect from = matrix::GlyphSourceRect(c.byte, *geometry_);
        // A character without a glyph stays a blank cell of background.
        if (!matrix::InsideImage(from, *geometry_)) continue;
        ::BitBlt(dc, c.x, c.y, geometry_->PitchX(), geometry_->PitchY(), source.get(), from.left, from.top, SRCCOPY);
    }
}

LRESULT MatrixStatic::WndProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_PAINT:
        if (w) {
            Paint(reinterpret_cast<HDC>(w));
        } else {
            fw::PaintScope paint(hwnd_);
            Paint(paint.dc());
        }
        return 0;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(w));
        return 0;
    case WM_ERASEBKGND:
        return 0;  // painting covers the whole area
    case WM_SETTEXT:
        // Stored as any window text; the static control would paint it at once.
        return ::DefWindowProcA(hwnd_, msg, w, l);
    case WM_ENABLE:
        // The static control repaints itself here too; the display looks the same either way.
        return ::DefWindowProcA(hwnd_, msg, w, l);
    default:
        return Default(msg, w, l);
    }
}
