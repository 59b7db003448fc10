#include "controls/MatrixFont.h"

#include <algorithm>

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

Changes ChangedCells(const std::string& before, const std::string& after, int columns, int rows,
                     const Geometry& geometry) {
    // Both texts fill the same cells in the same order, so the i-th placed
    // character of either stands in the same cell.
    const std::vector<PlacedChar> was = LayOutText(before, columns, rows, geometry);
    const std::vector<PlacedChar> now = LayOutText(after, columns, rows, geometry);
    auto glyphAt = [&](const std::vector<PlacedChar>& cells, size_t i) -> int {
        if (i >= cells.size() || !InsideImage(GlyphSourceRect(cells[i].byte, geometry), geometry)) return -1;
        return static_cast<unsigned char>(cells[i].byte);
    };
    Changes changes;
    for (size_t i = 0; i < std::max(was.size(), now.size()); ++i) {
        const int glyph = glyphAt(now, i);
        if (glyph == glyphAt(was, i)) continue;
        const PlacedChar& cell = i < now.size() ? now[i] : was[i];
        changes.cells.push_back({cell.x, cell.y, glyph < 0, glyph < 0 ? ' ' : cell.byte});
        const Rect r{cell.x, cell.y, cell.x + geometry.PitchX(), cell.y + geometry.PitchY()};
        Rect& a = changes.area;
        a = changes.cells.size() == 1 ? r
                                      : Rect{std::min(a.left, r.left), std::min(a.top, r.top),
                                             std::max(a.right, r.right), std::max(a.bottom, r.bottom)};
    }
    return changes;
}

Size FitWidthToColumns(const Geometry& geometry, int columns, int clientHeight) {
    return {columns * geometry.PitchX() + 4, clientHeight + 4};
}

Size FitHeightToRows(const Geometry& geometry, int rows, int clientWidth) {
    return {clientWidth + 4, rows * geometry.PitchY() + 4};
}

Size FitToColumnsAndRows(const Geometry& geometry, int columns, int rows, Size frame) {
    const int widthAfterFirst = FitWidthToColumns(geometry, columns, 0).width;
    return FitHeightToRows(geometry, rows, std::max(0, widthAfterFirst - frame.width));
}

}  // namespace matrix
