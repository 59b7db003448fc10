#pragma once
// The arithmetic of FooButton's drawing and hit testing, window-free so the
// host tests can check it: the gradient's band fallback, the split button's
// menu zone, arrow and separator, and where bitmap and caption go.
#include <cstdint>

namespace button {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

inline constexpr Rgb kGradientTop{255, 255, 255};
inline constexpr Rgb kGradientBottom{200, 200, 216};
inline constexpr Rgb kLinkText{0, 0, 224};

// The part of the item rectangle the gradient fills, inside the frame.
Rect GradientArea(const Rect& item);

// The fallback gradient, used without the system's gradient function:
// 255 solid bands down a rectangle of the given height. Band k covers rows
// top..bottom (exclusive) counted from the rectangle's top; a band whose
// bounds are equal draws nothing.
constexpr int kBandCount = 255;
struct Band {
    int top, bottom;
    Rgb colour;
};
Band FallbackBand(int k, int height, Rgb from, Rgb to);

// The right-hand part of a split button that opens its menu instead of clicking.
constexpr int kMenuZoneWidth = 18;
bool InMenuZone(int x, int y, int width, int height);

// The checked frame drawn over the menu zone while it is pressed.
Rect DropDownFrame(const Rect& item);
// Row i (0-2) of the drop-down arrow: pixels x0..x1 (exclusive) on line y,
// in a client area of width w and height h; pushed shifts it by a pixel.
struct ArrowRow {
    int x0, x1, y;
};
ArrowRow ArrowRowAt(int i, int w, int h, bool pushed);
// The sunken line between caption and menu zone.
Rect SeparatorRect(int w, int h);

// The bitmap's place: after a 5-pixel margin when a caption may follow,
// otherwise centred.
int BitmapLeft(bool textShown, int clientWidth, int bitmapWidth);
int BitmapTop(int clientHeight, int bitmapHeight);

// The horizontal span the caption is drawn in, from the right edge of the
// bitmap (0 without one). A centred caption narrower than the span is
// given a span just as wide as needed, centred in the first.
struct Span {
    int left, right;
};
Span CaptionSpan(int bitmapRight, bool centred, bool split, int clientWidth);
Span ShrinkToText(Span span, int textWidth);

}  // namespace button
