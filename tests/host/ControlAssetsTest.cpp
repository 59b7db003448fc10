// The generated control bitmaps: the glyph images read back through the
// font table by the dot geometry, and the slider images' sizes and keys.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "ControlAssets.h"
#include "ImageFiles.h"
#include "controls/MatrixFont.h"

using matrix::CellSize;

namespace {

assets::Rgb AsAssetRgb(matrix::Rgb c) { return {c.r, c.g, c.b}; }

std::uint32_t ReadLe32(const assets::Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

class GlyphImage : public testing::TestWithParam<CellSize> {
protected:
    assets::RgbImage Draw() const {
        return GetParam() == CellSize::Medium ? assets::DrawMatrixMedium() : assets::DrawMatrixSmall();
    }
};

TEST_P(GlyphImage, HasTheExactSizeOfThirtyTwoByThreePitches) {
    const matrix::Geometry& g = matrix::GeometryOf(GetParam());
    const assets::RgbImage image = Draw();
    EXPECT_EQ(32 * (g.cellWidth + g.hGap), image.width());
    EXPECT_EQ(3 * (g.cellHeight + g.vGap), image.height());
}

TEST_P(GlyphImage, EveryDotOfEveryGlyphReadsBackAsTheFontTableAndAllElseIsBlack) {
    const CellSize size = GetParam();
    const matrix::Geometry& g = matrix::GeometryOf(size);
    const assets::RgbImage image = Draw();
    std::set<std::pair<int, int>> dotPixels;
    for (int code = matrix::kFirstCode; code < matrix::kFirstCode + matrix::kGlyphCount; ++code) {
        const matrix::Rect cell = matrix::GlyphSourceRect(static_cast<char>(code), g);
        const matrix::Glyph& glyph = matrix::GlyphOf(size, code);
        for (int j = 0; j < matrix::kDotRows; ++j) {
            for (int k = 0; k < matrix::kDotColumns; ++k) {
                const matrix::Rect dot = matrix::DotRect(size, k, j);
                const assets::Rgb want = AsAssetRgb(matrix::IsLit(glyph, k, j) ? matrix::kImageLit : matrix::kImageUnlit);
                for (int y = dot.top; y < dot.bottom; ++y) {
                    for (int x = dot.left; x < dot.right; ++x) {
                        ASSERT_EQ(want, image.at(cell.left + x, cell.top + y))
                            << "code " << code << " dot " << k << "," << j;
                        dotPixels.insert({cell.left + x, cell.top + y});
                    }
                }
            }
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (dotPixels.count({x, y})) continue;
            ASSERT_EQ(AsAssetRgb(matrix::kImageBlack), image.at(x, y)) << x << "," << y;
        }
    }
}

TEST_P(GlyphImage, IsStoredWithAThreeColourTableSoItsColoursCanBeRemappedOnLoad) {
    const assets::Bytes bmp = assets::EncodeBmp8(Draw());
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(8u, bmp[28] | (bmp[29] << 8));  // bits per pixel
    EXPECT_EQ(3u, ReadLe32(bmp, 46));         // colours used
}

INSTANTIATE_TEST_SUITE_P(BothSizes, GlyphImage, testing::Values(CellSize::Medium, CellSize::Small));

TEST(SliderImages, HaveTheirSizes) {
    for (auto [image, w, h] : {std::tuple{assets::DrawSliderChannel(), 260, 17},
                               std::tuple{assets::DrawSliderThumb(), 12, 9},
                               std::tuple{assets::DrawSliderVChannel(), 9, 72},
                               std::tuple{assets::DrawSliderThumbActive(), 12, 9}}) {
        EXPECT_EQ(w, image.width());
        EXPECT_EQ(h, image.height());
    }
}

TEST(SliderImages, ThumbsCarryTheKeyColourInTheirTopLeftPixelAndChannelsNone) {
    EXPECT_EQ((assets::Rgb{255, 255, 49}), assets::DrawSliderThumb().at(0, 0));
    EXPECT_EQ((assets::Rgb{255, 255, 49}), assets::DrawSliderThumbActive().at(0, 0));
    for (const assets::RgbImage& channel : {assets::DrawSliderChannel(), assets::DrawSliderVChannel()}) {
        EXPECT_EQ((assets::Rgb{0, 0, 0}), channel.at(0, 0));
        for (int y = 0; y < channel.height(); ++y) {
            for (int x = 0; x < channel.width(); ++x) {
                ASSERT_NE(assets::kThumbKey, channel.at(x, y));
                ASSERT_NE(assets::kMagenta, channel.at(x, y)) << "unpainted pixel " << x << "," << y;
            }
        }
    }
}

TEST(SliderImages, TheActiveThumbHasTheSameShapeButLooksDifferent) {
    const assets::RgbImage normal = assets::DrawSliderThumb(), active = assets::DrawSliderThumbActive();
    int differing = 0;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            EXPECT_EQ(normal.at(x, y) == assets::kThumbKey, active.at(x, y) == assets::kThumbKey) << x << "," << y;
            differing += normal.at(x, y) != active.at(x, y);
        }
    EXPECT_GT(differing, 12);
}

TEST(SliderImages, GroovesLieOnTheThumbsCentreLine) {
    // The horizontal channel is drawn 4 pixels above the control, so its row
    // 8 meets the 9-pixel thumb's middle row; the vertical one is not moved,
    // so the groove runs under the 12-pixel thumb's middle columns.
    const assets::RgbImage h = assets::DrawSliderChannel(), v = assets::DrawSliderVChannel();
    EXPECT_NE((assets::Rgb{0, 0, 0}), h.at(130, 8));
    EXPECT_EQ((assets::Rgb{0, 0, 0}), h.at(130, 4));
    EXPECT_NE((assets::Rgb{0, 0, 0}), v.at(5, 40));
    EXPECT_EQ((assets::Rgb{0, 0, 0}), v.at(8, 40));
}

}  // namespace
