#include "controls/MatrixStatic.h"

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/App.h"

namespace {
COLORREF ToColorRef(matrix::Rgb c) { return RGB(c.r, c.g, c.b); }

// A glyph image with its three colours mapped, kept selected into a memory
// drawing surface for copying cells from. Every display of one size and
// theme shares one; a few are kept so switching themes costs nothing.
class MappedGlyphs {
public:
    MappedGlyphs(int bitmapId, COLORREF background, COLORREF on, COLORREF off)
        : bitmapId_(bitmapId), background_(background), on_(on), off_(off) {
        COLORMAP map[] = {{ToColorRef(matrix::kImageLit), on},
                          {ToColorRef(matrix::kImageUnlit), off},
                          {ToColorRef(matrix::kImageBlack), background}};
        bitmap_.reset(::CreateMappedBitmap(fw::App::Instance(), bitmapId, 0, map, static_cast<int>(std::size(map))));
        if (bitmap_) dc_ = fw::SelectedDc(bitmap_.get());
    }
    MappedGlyphs(const MappedGlyphs&) = delete;
    MappedGlyphs& operator=(const MappedGlyphs&) = delete;

    bool Matches(int bitmapId, COLORREF background, COLORREF on, COLORREF off) const {
        return bitmapId == bitmapId_ && background == background_ && on == on_ && off == off_;
    }
    // Null when the image could not be made.
    HDC dc() const { return dc_.get(); }

    static HDC For(int bitmapId, COLORREF background, COLORREF on, COLORREF off) {
        static std::vector<std::unique_ptr<MappedGlyphs>> cache;
        for (const auto& g : cache)
            if (g->Matches(bitmapId, background, on, off)) return g->dc();
        constexpr size_t kKept = 6;  // two sizes in a few themes
        if (cache.size() >= kKept) cache.erase(cache.begin());
        cache.push_back(std::make_unique<MappedGlyphs>(bitmapId, background, on, off));
        return cache.back()->dc();
    }

private:
    int bitmapId_;
    COLORREF background_, on_, off_;
    fw::UniqueBitmap bitmap_;
    fw::SelectedDc dc_;
};

void FillCell(HDC dc, const RECT& r, COLORREF colour) {
    // ExtTextOut with an opaque rectangle fills without creating a brush.
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}
}  // namespace

void MatrixStatic::SetText(const std::string& text) {
    if (text == text_) return;
    const std::string before = std::move(text_);
    text_ = text;
    if (!hwnd_) return;
    if (!canvasCurrent_ || before.empty() || text_.empty() || !geometry_) {
        canvasCurrent_ = false;
        Invalidate(false);
        return;
    }
    HDC glyphs = MappedGlyphs::For(geometry_->bitmapId, background_, on_, off_);
    const matrix::Changes changes = matrix::ChangedCells(before, text_, columns_, rows_, *geometry_);
    const int w = geometry_->PitchX(), h = geometry_->PitchY();
    for (const matrix::CellChange& cell : changes.cells) {
        if (cell.blank || !glyphs) {
            FillCell(canvasDc_.get(), {cell.x, cell.y, cell.x + w, cell.y + h}, background_);
        } else {
            const matrix::Rect from = matrix::GlyphSourceRect(cell.byte, *geometry_);
            ::BitBlt(canvasDc_.get(), cell.x, cell.y, w, h, glyphs, from.left, from.top, SRCCOPY);
        }
    }
    if (changes.cells.empty()) return;
    DrawNow({changes.area.left, changes.area.top, changes.area.right, changes.area.bottom});
}

void MatrixStatic::DrawNow(const RECT& area) {
    // Straight to the window instead of an invalidation and a WM_PAINT: under
    // Wine that is one server request instead of several. A paint pending
    // from elsewhere copies the same picture. A hidden display draws when shown.
    if (!IsShown()) return;
    fw::WindowDc dc(hwnd_);
    if (!dc.get()) {
        ::InvalidateRect(hwnd_, &area, FALSE);
        return;
    }
    ::BitBlt(dc.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, canvasDc_.get(), area.left,
             area.top, SRCCOPY);
}

void MatrixStatic::SetCellSize(CellSize size) {
    geometry_ = &matrix::GeometryOf(static_cast<matrix::CellSize>(size));
    canvasCurrent_ = false;
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

void MatrixStatic::FitToColumnsAndRows(int columns, int rows) {
    if (!hwnd_ || !geometry_) return;
    RECT window;
    ::GetWindowRect(hwnd_, &window);
    const RECT client = ClientRect();
    const matrix::Size frame{(window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
    const matrix::Size size = matrix::FitToColumnsAndRows(*geometry_, columns, rows, frame);
    Resize(size.width, size.height);
}

void MatrixStatic::SetColors(COLORREF background, COLORREF on, COLORREF off) {
    if (background == background_ && on == on_ && off == off_ && canvasCurrent_) return;
    background_ = background;
    on_ = on;
    off_ = off;
    canvasCurrent_ = false;
    if (hwnd_) Invalidate(false);
}

void MatrixStatic::Render(HDC dc) const {
    const RECT client = ClientRect();
    FillCell(dc, client, background_);
    HDC glyphs = MappedGlyphs::For(geometry_->bitmapId, background_, on_, off_);
    if (!glyphs) return;
    for (const matrix::PlacedChar& c : matrix::LayOutText(text_, columns_, rows_, *geometry_)) {
        const matrix::Rect from = matrix::GlyphSourceRect(c.byte, *geometry_);
        // A character without a glyph stays a blank cell of background.
        if (!matrix::InsideImage(from, *geometry_)) continue;
        ::BitBlt(dc, c.x, c.y, geometry_->PitchX(), geometry_->PitchY(), glyphs, from.left, from.top, SRCCOPY);
    }
}

HDC MatrixStatic::Canvas() {
    const RECT client = ClientRect();
    if (client.right <= 0 || client.bottom <= 0) return nullptr;
    if (canvasDc_ && canvasSize_.cx == client.right && canvasSize_.cy == client.bottom) return canvasDc_.get();
    canvasCurrent_ = false;
    canvasDc_.reset();
    fw::WindowDc screen(nullptr);
    canvas_.reset(::CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    if (canvas_) canvasDc_ = fw::SelectedDc(canvas_.get());
    if (!canvasDc_) return nullptr;
    canvasSize_ = {client.right, client.bottom};
    return canvasDc_.get();
}

void MatrixStatic::Paint(HDC dc, const RECT* area) {
    if (text_.empty() || !geometry_) return;
    HDC canvas = Canvas();
    if (!canvas) {
        Render(dc);  // no memory picture to be had: draw straight to the screen
        return;
    }
    if (!canvasCurrent_) {
        Render(canvas);
        canvasCurrent_ = true;
    }
    const RECT all = ClientRect();
    const RECT& r = area ? *area : all;
    ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, canvas, r.left, r.top, SRCCOPY);
}

LRESULT MatrixStatic::WndProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_PAINT:
        if (w) {
            Paint(reinterpret_cast<HDC>(w));
        } else {
            fw::PaintScope paint(hwnd_);
            Paint(paint.dc(), &paint.area());
        }
        return 0;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(w));
        return 0;
    case WM_ERASEBKGND:
        return 0;  // painting covers the whole area
    case WM_GETTEXT: {
        if (w == 0 || !l) return 0;
        const size_t n = std::min(text_.size(), static_cast<size_t>(w) - 1);
        std::memcpy(reinterpret_cast<char*>(l), text_.data(), n);
        reinterpret_cast<char*>(l)[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text_.size());
    case WM_SETTEXT:
        SetText(l ? reinterpret_cast<const char*>(l) : "");
        return TRUE;
    case WM_ENABLE:
        // The static control repaints itself here too; the display looks the same either way.
        return ::DefWindowProcA(hwnd_, msg, w, l);
    default:
        return Default(msg, w, l);
    }
}
