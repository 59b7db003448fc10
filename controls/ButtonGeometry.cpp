#include "controls/ButtonGeometry.h"

namespace button {

namespace {
// 1/255 as the single-precision value the bands are computed with.
constexpr float kStep = 0.003921569f;

std::uint8_t Channel(std::uint8_t from, std::uint8_t to, int k) {
    const float v = static_cast<float>(from) + static_cast<float>(to - from) * static_cast<float>(k) * kStep;
    return static_cast<std::uint8_t>(static_cast<int>(v));
}
}  // namespace

Rect GradientArea(const Rect& item) { return {item.left + 1, item.top + 1, item.right - 2, item.bottom - 2}; }

Band FallbackBand(int k, int height, Rgb from, Rgb to) {
    const float s = static_cast<float>(height) * kStep;
    const int top = static_cast<int>(static_cast<float>(k) * s);
    const int bottom = static_cast<int>(static_cast<float>(k + 1) * s);
    return {top, bottom, {Channel(from.r, to.r, k), Channel(from.g, to.g, k), Channel(from.b, to.b, k)}};
}

bool InMenuZone(int x, int y, int width, int height) {
    return x >= width - kMenuZoneWidth && x < width && y >= 0 && y < height;
}

Rect DropDownFrame(const Rect& item) { return {item.right - 14, item.top, item.right, item.bottom - 1}; }

ArrowRow ArrowRowAt(int i, int w, int h, bool pushed) {
    const int d = pushed ? 1 : 0;
    return {w - 10 + d + i, w - 5 + d - i, h - 8 + d + i};
}

Rect SeparatorRect(int w, int h) { return {w - 15, 3, w - 13, h - 3}; }

int BitmapLeft(bool textShown, int clientWidth, int bitmapWidth) {
    return textShown ? 5 : (clientWidth - bitmapWidth) / 2;
}

int BitmapTop(int clientHeight, int bitmapHeight) { return (clientHeight - bitmapHeight) / 2; }

Span CaptionSpan(int bitmapRight, bool centred, bool split, int clientWidth) {
    return {bitmapRight + (centred ? 0 : 5), split ? clientWidth - 12 : clientWidth};
}

Span ShrinkToText(Span span, int textWidth) {
    const int spare = (span.right - span.left) - textWidth;
    if (spare <= 0) return span;
    return {span.left + spare / 2, span.right - spare / 2};
}

}  // namespace button
