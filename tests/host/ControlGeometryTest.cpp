// FooButton's gradient bands, menu zone and caption placement, and
// CZipSliderCtl's channel, thumb and drag arithmetic.
#include <gtest/gtest.h>

#include <vector>

#include "controls/ButtonGeometry.h"
#include "controls/SliderGeometry.h"

namespace {

// The band that draws each row of a rectangle of the given height.
std::vector<int> BandOfEachRow(int height) {
    std::vector<int> owner(static_cast<size_t>(height), -1);
    for (int k = 0; k < button::kBandCount; ++k) {
        const button::Band band = button::FallbackBand(k, height, button::kGradientTop, button::kGradientBottom);
        for (int row = band.top; row < band.bottom; ++row) {
            EXPECT_EQ(-1, owner.at(static_cast<size_t>(row))) << "row " << row << " drawn twice";
            owner.at(static_cast<size_t>(row)) = k;
        }
    }
    return owner;
}

TEST(GradientFallback, ATwentyPixelButtonShowsBandFifteenRPlusFourteenOnRowR) {
    const button::Rect area = button::GradientArea({0, 0, 60, 20});
    ASSERT_EQ(17, area.bottom - area.top);
    const std::vector<int> owner = BandOfEachRow(17);
    for (int r = 0; r < 17; ++r) EXPECT_EQ(15 * r + 14, owner[static_cast<size_t>(r)]) << "row " << r;
    const auto colour = [](int k) {
        return button::FallbackBand(k, 17, button::kGradientTop, button::kGradientBottom).colour;
    };
    EXPECT_EQ((button::Rgb{251, 251, 252}), colour(owner.front()));
    EXPECT_EQ((button::Rgb{200, 200, 216}), colour(owner.back()));
}

TEST(GradientFallback, EveryRowIsDrawnOnceWhateverTheHeight) {
    for (int height : {1, 2, 17, 100, 254, 255, 256, 600}) {
        const std::vector<int> owner = BandOfEachRow(height);
        for (int r = 0; r < height; ++r) EXPECT_NE(-1, owner[static_cast<size_t>(r)]) << height << " row " << r;
    }
}

TEST(GradientFallback, ColoursRunFromTheTopColourAndStopShortOfTheBottomOne) {
    const button::Rgb from{10, 200, 0}, to{250, 0, 0};
    EXPECT_EQ(from, button::FallbackBand(0, 255, from, to).colour);
    // The colour index runs to 254 only, and drops fractions on the way.
    EXPECT_EQ((button::Rgb{249, 0, 0}), button::FallbackBand(254, 255, from, to).colour);
    int previousRed = -1;
    for (int k = 0; k < button::kBandCount; ++k) {
        const int red = button::FallbackBand(k, 255, from, to).colour.r;
        EXPECT_GE(red, previousRed);
        previousRed = red;
    }
}

TEST(SplitButton, TheMenuZoneIsTheRightmostEighteenPixels) {
    EXPECT_FALSE(button::InMenuZone(81, 10, 100, 20));
    EXPECT_TRUE(button::InMenuZone(82, 10, 100, 20));
    EXPECT_TRUE(button::InMenuZone(99, 0, 100, 20));
    EXPECT_FALSE(button::InMenuZone(100, 10, 100, 20));
    EXPECT_FALSE(button::InMenuZone(90, 20, 100, 20));
}

TEST(SplitButton, ArrowNarrowsFiveThreeOneAndMovesWhenPushed) {
    for (int i = 0; i < 3; ++i) {
        const button::ArrowRow row = button::ArrowRowAt(i, 100, 20, false);
        EXPECT_EQ(5 - 2 * i, row.x1 - row.x0);
        EXPECT_EQ(12 + i, row.y);
        const button::ArrowRow pushed = button::ArrowRowAt(i, 100, 20, true);
        EXPECT_EQ(row.x0 + 1, pushed.x0);
        EXPECT_EQ(row.y + 1, pushed.y);
    }
    EXPECT_EQ(90, button::ArrowRowAt(0, 100, 20, false).x0);
    EXPECT_EQ((button::Rect{85, 3, 87, 17}), button::SeparatorRect(100, 20));
    EXPECT_EQ((button::Rect{86, 0, 100, 19}), button::DropDownFrame({0, 0, 100, 20}));
}

TEST(ButtonCaption, SpanStartsAfterTheBitmapAndStopsBeforeTheArrow) {
    // A 9-pixel bitmap at x = 5 ends at 14; a left-aligned caption keeps 5 more.
    EXPECT_EQ(5, button::BitmapLeft(true, 100, 9));
    EXPECT_EQ(45, button::BitmapLeft(false, 100, 9));
    const button::Span left = button::CaptionSpan(14, false, true, 100);
    EXPECT_EQ(19, left.left);
    EXPECT_EQ(88, left.right);
    const button::Span centred = button::CaptionSpan(0, true, false, 100);
    EXPECT_EQ(0, centred.left);
    EXPECT_EQ(100, centred.right);
}

TEST(ButtonCaption, ACentredCaptionShrinksItsSpanByHalfTheSpareOnEachSide) {
    const button::Span shrunk = button::ShrinkToText({0, 100}, 40);
    EXPECT_EQ(30, shrunk.left);
    EXPECT_EQ(70, shrunk.right);
    const button::Span wide = button::ShrinkToText({0, 100}, 140);
    EXPECT_EQ(0, wide.left);
    EXPECT_EQ(100, wide.right);
}

TEST(SliderThumb, ATwelvePixelThumbRunsFromSevenToEightBeforeTheEnd) {
    for (int w : {288, 300, 100}) {
        const slider::Rect atMin = slider::ThumbRect(false, w, 21, 12, 9, 0, 1000, 0);
        EXPECT_EQ((slider::Rect{7, 0, 19, 9}), atMin);
        const slider::Rect atMax = slider::ThumbRect(false, w, 21, 12, 9, 0, 1000, 1000);
        EXPECT_EQ((slider::Rect{w - 20, 0, w - 8, 9}), atMax);
    }
}

TEST(SliderThumb, VerticalThumbsRunDownTheHeight) {
    EXPECT_EQ((slider::Rect{0, 9, 12, 18}), slider::ThumbRect(true, 30, 83, 12, 9, 0, 10000, 0));
    EXPECT_EQ((slider::Rect{0, 83 - 18, 12, 83 - 9}), slider::ThumbRect(true, 30, 83, 12, 9, 0, 10000, 10000));
    // Half way: T(56 x 0.5) = 28.
    EXPECT_EQ(28 - 4 + 13, slider::ThumbRect(true, 30, 83, 12, 9, 0, 10000, 5000).top);
}

TEST(SliderThumb, AnEmptyRangeStandsAtTheStart) {
    EXPECT_EQ((slider::Rect{7, 0, 19, 9}), slider::ThumbRect(false, 288, 21, 12, 9, 0, 0, 0));
    EXPECT_EQ((slider::Rect{7, 0, 19, 9}), slider::ThumbRect(false, 288, 21, 12, 9, 50, 50, 50));
    EXPECT_EQ(50, slider::PositionAt(false, 288, 21, 50, 50, 200));
}

TEST(SliderThumb, DraggingPutsTheThumbsCentreUnderThePointer) {
    const int w = 288;
    for (int max : {1000, 100000}) {
        for (int x = 13; x <= w - 14; ++x) {
            const int p = slider::PositionAt(false, w, 21, 0, max, x);
            EXPECT_EQ(x, slider::ThumbRect(false, w, 21, 12, 9, 0, max, p).left + 6) << x << " of " << max;
        }
    }
    // With one position per pixel the dropped fractions leave a few pixels
    // no thumb is centred on; the nearest one is taken.
    for (int x = 13; x <= w - 14; ++x) {
        const int p = slider::PositionAt(false, w, 21, 0, 261, x);
        EXPECT_NEAR(x, slider::ThumbRect(false, w, 21, 12, 9, 0, 261, p).left + 6, 1) << x;
    }
    const int min = 0, max = 261;
    EXPECT_EQ(min, slider::PositionAt(false, w, 21, min, max, -50));
    EXPECT_EQ(max, slider::PositionAt(false, w, 21, min, max, w + 50));
    EXPECT_EQ(5000, slider::PositionAt(true, 30, 83, 0, 10000, 13 + 28));
}

TEST(SliderChannel, ThePositionChannelIsStretchedBetweenTheThumbEndsAndCentredOnTheThumb) {
    const unsigned flags = slider::kChannelCentred | slider::kChannelStretched | slider::kChannelInset;
    EXPECT_EQ((slider::Rect{7, -4, 288 - 7, 13}), slider::ChannelRect(288, 21, 260, 17, 12, 9, flags));
}

TEST(SliderChannel, OtherFlagCombinations) {
    EXPECT_EQ((slider::Rect{0, 0, 9, 72}), slider::ChannelRect(30, 83, 9, 72, 12, 9, 0));
    EXPECT_EQ((slider::Rect{10, -4, 20, 13}), slider::ChannelRect(30, 21, 10, 17, 12, 9, slider::kChannelCentred));
    // Stretched without the inset: the full width from x.
    EXPECT_EQ((slider::Rect{0, 0, 30, 17}), slider::ChannelRect(30, 21, 10, 17, 12, 9, slider::kChannelStretched));
    EXPECT_EQ((slider::Rect{7, 0, 16, 72}), slider::ChannelRect(30, 83, 9, 72, 12, 9, slider::kChannelInset));
}

}  // namespace
