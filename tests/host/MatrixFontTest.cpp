// The dot-matrix font, the glyph lookup in the glyph images and the
// display's text layout and window-fitting arithmetic.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "controls/MatrixFont.h"

using matrix::CellSize;

namespace {

// A glyph as text, one line per dot row: '#' lit, '.' unlit.
std::vector<std::string> Picture(CellSize size, int code) {
    std::vector<std::string> rows;
    const matrix::Glyph& glyph = matrix::GlyphOf(size, code);
    for (int j = 0; j < matrix::kDotRows; ++j) {
        std::string row;
        for (int k = 0; k < matrix::kDotColumns; ++k) row += matrix::IsLit(glyph, k, j) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(MatrixFont, GlyphImagesAreThirtyTwoPitchesWideAndThreeHigh) {
    EXPECT_EQ(512, matrix::kMediumGeometry.ImageWidth());
    EXPECT_EQ(66, matrix::kMediumGeometry.ImageHeight());
    EXPECT_EQ(352, matrix::kSmallGeometry.ImageWidth());
    EXPECT_EQ(45, matrix::kSmallGeometry.ImageHeight());
    EXPECT_EQ(131, matrix::GeometryOf(CellSize::Medium).bitmapId);
    EXPECT_EQ(132, matrix::GeometryOf(CellSize::Small).bitmapId);
}

TEST(MatrixFont, SemicolonShowsAColonAndColonASemicolon) {
    const std::vector<std::string> colon = {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."};
    const std::vector<std::string> semicolon = {".##..", ".##..", ".....", ".##..", ".##..", "..#..", ".#..."};
    for (CellSize size : {CellSize::Medium, CellSize::Small}) {
        EXPECT_EQ(colon, Picture(size, ';'));
        EXPECT_EQ(semicolon, Picture(size, ':'));
    }
}

TEST(MatrixFont, CodeOneHundredTwentySevenLightsEveryDotAndSpaceNone) {
    for (CellSize size : {CellSize::Medium, CellSize::Small}) {
        for (const std::string& row : Picture(size, 127)) EXPECT_EQ("#####", row);
        for (const std::string& row : Picture(size, ' ')) EXPECT_EQ(".....", row);
    }
}

TEST(MatrixFont, SmallCellsRedrawOnlyLowercaseFKAndT) {
    std::string differing;
    for (int code = matrix::kFirstCode; code < matrix::kFirstCode + matrix::kGlyphCount; ++code)
        if (matrix::GlyphOf(CellSize::Small, code) != matrix::GlyphOf(CellSize::Medium, code))
            differing += static_cast<char>(code);
    EXPECT_EQ("fkt", differing);
    EXPECT_EQ((std::vector<std::string>{"..##.", ".#..#", ".#...", "####.", ".#...", ".#...", ".#..."}),
              Picture(CellSize::Small, 'f'));
    EXPECT_EQ((std::vector<std::string>{"..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."}),
              Picture(CellSize::Medium, 'f'));
}

TEST(MatrixFont, EveryGlyphIsDistinctSoThatDisplaysCanBeReadBack) {
    for (CellSize size : {CellSize::Medium, CellSize::Small}) {
        std::set<matrix::Glyph> seen;
        for (int code = matrix::kFirstCode; code < matrix::kFirstCode + matrix::kGlyphCount; ++code)
            EXPECT_TRUE(seen.insert(matrix::GlyphOf(size, code)).second) << "code " << code;
    }
}

TEST(MatrixFont, DotsLieOnTheirGridInsideTheCell) {
    EXPECT_EQ((matrix::Rect{0, 0, 2, 2}), matrix::DotRect(CellSize::Medium, 0, 0));
    EXPECT_EQ((matrix::Rect{12, 18, 14, 20}), matrix::DotRect(CellSize::Medium, 4, 6));
    EXPECT_EQ((matrix::Rect{1, 0, 2, 2}), matrix::DotRect(CellSize::Small, 0, 0));
    EXPECT_EQ((matrix::Rect{9, 12, 10, 14}), matrix::DotRect(CellSize::Small, 4, 6));
}

TEST(GlyphLookup, CodesMapToTheirCellInCodeOrder) {
    const matrix::Geometry& m = matrix::kMediumGeometry;
    const matrix::Geometry& s = matrix::kSmallGeometry;
    EXPECT_EQ((matrix::Rect{0, 0, 14, 20}), matrix::GlyphSourceRect(' ', m));
    EXPECT_EQ((matrix::Rect{16, 22, 30, 42}), matrix::GlyphSourceRect('A', m));  // code 65: row 1, column 1
    EXPECT_EQ((matrix::Rect{496, 44, 510, 64}), matrix::GlyphSourceRect('\x7f', m));
    EXPECT_EQ((matrix::Rect{11, 15, 21, 29}), matrix::GlyphSourceRect('A', s));
    EXPECT_EQ((matrix::Rect{341, 30, 351, 44}), matrix::GlyphSourceRect('\x7f', s));
    EXPECT_EQ((matrix::Rect{16 * 27, 0, 16 * 27 + 14, 20}), matrix::GlyphSourceRect(';', m));
}

TEST(GlyphLookup, OnlyCodesThirtyTwoToOneHundredTwentySevenLieInsideTheImage) {
    for (const matrix::Geometry* g : {&matrix::kMediumGeometry, &matrix::kSmallGeometry}) {
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const bool inside = matrix::InsideImage(matrix::GlyphSourceRect(byte, *g), *g);
            EXPECT_EQ(b >= 32 && b <= 127, inside) << "byte " << b;
        }
    }
}

TEST(GlyphLookup, HighBytesCountAsNegative) {
    // 0xC8 is -56 as a signed byte: index -88, line -2, column -24.
    const matrix::Rect r = matrix::GlyphSourceRect('\xC8', matrix::kMediumGeometry);
    EXPECT_EQ(-24 * 16, r.left);
    EXPECT_EQ(-2 * 22, r.top);
}

TEST(MatrixLayout, OneLineStopsAtTheLastColumn) {
    const std::string text(30, 'X');
    const auto placed = matrix::LayOutText(text, 25, 1, matrix::kSmallGeometry);
    ASSERT_EQ(25u, placed.size());
    EXPECT_EQ(24 * 11, placed.back().x);
    EXPECT_EQ(0, placed.back().y);
}

TEST(MatrixLayout, SeveralRowsWrapAndStopAfterTheLastRow) {
    const auto placed = matrix::LayOutText("ABCDEFGHIJ", 3, 2, matrix::kMediumGeometry);
    ASSERT_EQ(6u, placed.size());
    EXPECT_EQ('D', placed[3].byte);
    EXPECT_EQ(0, placed[3].x);
    EXPECT_EQ(22, placed[3].y);
    EXPECT_EQ(32, placed[5].x);
}

TEST(MatrixLayout, NoRowsKeepsEverythingOnOneLine) {
    const auto placed = matrix::LayOutText("ABCDEFG", 3, 0, matrix::kMediumGeometry);
    ASSERT_EQ(7u, placed.size());
    EXPECT_EQ(6 * 16, placed[6].x);
    EXPECT_EQ(0, placed[6].y);
    EXPECT_TRUE(matrix::LayOutText("", 25, 1, matrix::kSmallGeometry).empty());
}

// Only cells whose look changes are redrawn; a cell that empties, or whose
// character has no glyph, turns to background.
TEST(MatrixChanges, OnlyCellsWhoseGlyphChangesAreRedrawn) {
    const matrix::Geometry& g = matrix::kSmallGeometry;  // pitch 11 x 15
    struct Case {
        const char* before;
        const char* after;
        int columns, rows;
        std::vector<std::pair<int, int>> cells;  // x, y of each change, in order
    };
    const Case cases[] = {
        {" 00;41", " 00;42", 6, 1, {{55, 0}}},
        {" 00;59", " 01;00", 6, 1, {{22, 0}, {44, 0}, {55, 0}}},
        {".5", ".5", 2, 1, {}},
        {"ABCD", "AB", 6, 1, {{22, 0}, {33, 0}}},
        {"AB", "ABCD", 6, 1, {{22, 0}, {33, 0}}},
        {"ABCDEFGH", "ABCDEFGX", 3, 2, {}},              // the change is past the last cell
        {"ABCDEF", "ABCDEX", 3, 2, {{22, 15}}},          // second line
        {"A\x01" "B", "A\xC8" "B", 3, 1, {}},          // both glyphless: background either way
        {"A B", "A\x01" "B", 3, 1, {{11, 0}}},         // a space shows unlit dots, a glyphless byte none
    };
    for (const Case& c : cases) {
        const matrix::Changes changes = matrix::ChangedCells(c.before, c.after, c.columns, c.rows, g);
        std::vector<std::pair<int, int>> at;
        for (const matrix::CellChange& cell : changes.cells) at.push_back({cell.x, cell.y});
        EXPECT_EQ(c.cells, at) << c.before << " -> " << c.after;
    }
}

TEST(MatrixChanges, ChangesCarryTheirGlyphAndOneBoundingArea) {
    const matrix::Changes changes = matrix::ChangedCells(" 00;59", " 01;0", 6, 1, matrix::kMediumGeometry);
    ASSERT_EQ(3u, changes.cells.size());
    EXPECT_EQ('1', changes.cells[0].byte);
    EXPECT_FALSE(changes.cells[0].blank);
    EXPECT_EQ('0', changes.cells[1].byte);
    EXPECT_TRUE(changes.cells[2].blank);  // the last character is gone
    EXPECT_EQ((matrix::Rect{32, 0, 96, 22}), changes.area);
}

TEST(MatrixFit, WidthAndHeightFollowThePitchPlusFour) {
    EXPECT_EQ(279, matrix::FitWidthToColumns(matrix::kSmallGeometry, 25, 12).width);
    EXPECT_EQ(100, matrix::FitWidthToColumns(matrix::kMediumGeometry, 6, 12).width);
    EXPECT_EQ(19, matrix::FitHeightToRows(matrix::kSmallGeometry, 1, 50).height);
    EXPECT_EQ(26, matrix::FitHeightToRows(matrix::kMediumGeometry, 1, 50).height);
}

// The two fits in order, once and again, as the board runs them at every
// colour change; the one-resize form must land on the same size. A frame
// (outer size less client size) narrows what the second fit starts from.
TEST(MatrixFit, BothFitsInOrderAndTheOneResizeFormGiveTheSameSizes) {
    const struct {
        const matrix::Geometry* geometry;
        int columns;
        matrix::Size frame, expected;
    } cases[] = {{&matrix::kSmallGeometry, 25, {0, 0}, {283, 19}},   // title
                 {&matrix::kMediumGeometry, 6, {0, 0}, {104, 26}},   // time
                 {&matrix::kSmallGeometry, 2, {0, 0}, {30, 19}},     // tenths
                 {&matrix::kSmallGeometry, 25, {2, 2}, {281, 19}},   // one-pixel border
                 {&matrix::kMediumGeometry, 6, {4, 4}, {100, 26}}};  // sunken edge
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.columns << " columns, frame " << c.frame.width);
        matrix::Size size{190 + c.frame.width, 12 + c.frame.height};
        for (int round = 0; round < 2; ++round) {
            const matrix::Size once = matrix::FitToColumnsAndRows(*c.geometry, c.columns, 1, c.frame);
            size = matrix::FitWidthToColumns(*c.geometry, c.columns, size.height - c.frame.height);
            size = matrix::FitHeightToRows(*c.geometry, 1, size.width - c.frame.width);
            EXPECT_EQ(c.expected.width, size.width);
            EXPECT_EQ(c.expected.height, size.height);
            EXPECT_EQ(c.expected.width, once.width);
            EXPECT_EQ(c.expected.height, once.height);
        }
    }
}

}  // namespace
