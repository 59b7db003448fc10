#include "controls/MatrixFont.h"

namespace matrix {

namespace {
// The small cells are too narrow for the medium shapes of these three.
constexpr Glyph kSmallF{0x06, 0x09, 0x08, 0x1E, 0x08, 0x08, 0x08};
constexpr Glyph kSmallK{0x10, 0x10, 0x12, 0x1C, 0x14, 0x12, 0x11};
constexpr Glyph kSmallT{0x08, 0x08, 0x1E, 0x08, 0x08, 0x09, 0x06};
}  // namespace

const Geometry& GeometryOf(CellSize size) {
    return size == CellSize::Small ? kSmallGeometry : kMediumGeometry;
}

const Glyph& GlyphOf(CellSize size, int code) {
    if (size == CellSize::Small) {
        switch (code) {
        case 'f': return kSmallF;
        case 'k': return kSmallK;
        case 't': return kSmallT;
        default: break;
        }
    }
    return kFont[static_cast<std::size_t>(code - kFirstCode)];
}

Rect DotRect(CellSize size, int k, int j) {
    if (size == CellSize::Small) return {2 * k + 1, 2 * j, 2 * k + 2, 2 * j + 2};
    return {3 * k, 3 * j, 3 * k + 2, 3 * j + 2};
}

Rgb GlyphImagePixel(CellSize size, int x, int y) {
    const Geometry& g = GeometryOf(size);
    if (x < 0 || y < 0 || x >= g.ImageWidth() || y >= g.ImageHeight()) return kImageBlack;
    const int code = kFirstCode + (y / g.PitchY()) * kImageColumns + x / g.PitchX();
    const int cx = x % g.PitchX(), cy = y % g.PitchY();
    // Dots repeat every 3 (medium) or 2 (small) pixels; find the one under the pixel, if any.
    int k, j;
    if (size == CellSize::Small) {
        if (cx % 2 == 0) return kImageBlack;
        k = cx / 2;
        j = cy / 2;
    } else {
        if (cx % 3 == 2 || cy % 3 == 2) return kImageBlack;
        k = cx / 3;
        j = cy / 3;
    }
    if (k >= kDotColumns || j >= kDotRows) return kImageBlack;
    return IsLit(GlyphOf(size, code), k, j) ? kImageLit : kImageUnlit;
}

Rect GlyphSourceRect(char byte, const Geometry& geometry) {
    const int index = static_cast<signed char>(byte) - kFirstCode;
    const int line = index / kImageColumns;  // rounds towards zero
    const int column = index - kImageColumns * line;
    const int left = column * geometry.PitchX(), top = line * geometry.PitchY();
    return {left, top, left + geometry.cellWidth, top + geometry.cellHeight};
}

bool InsideImage(const Rect& source, const Geometry& geometry) {
    // The whole pitch is copied, gaps included, so that is what must fit.
    return source.left >= 0 && source.top >= 0 && source.left + geometry.PitchX() <= geometry.ImageWidth() &&
           source.top + geometry.PitchY() <= geometry.ImageHeight();
}

std::vector<PlacedChar> LayOutText(const std::string& text, int columns, int rows, const Geometry& geometry) {
    std::vector<PlacedChar> placed;
    int x = 0, y = 0, column = 0, line = 1;
    for (char c : text) {
        placed.push_back({c, x, y});
        ++column;
        x += geometry.PitchX();
        if (column == columns) {
            if (rows == 1) break;
            if (rows > 1) {
                if (line == rows) break;
                y += geometry.PitchY();
                ++line;
                x = 0;
                column = 0;
            }
        }
    }
    return placed;
}

Size FitWidthToColumns(const Geometry& geometry, int columns, int clientHeight) {
    return {columns * geometry.PitchX() + 4, clientHeight + 4};
}

Size FitHeightToRows(const Geometry& geometry, int rows, int clientWidth) {
    return {clientWidth + 4, rows * geometry.PitchY() + 4};
}

}  // namespace matrix
