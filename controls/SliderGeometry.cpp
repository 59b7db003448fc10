#include "controls/SliderGeometry.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace slider {

namespace {
// Track length over which the thumb's centre travels.
int Travel(bool vertical, int w, int h) { return (vertical ? h : w) - 2 * kThumbMargin - 1; }

double Ratio(int min, int max, int pos) {
    if (max == min) return 0.0;
    return (static_cast<double>(pos) - min) / (static_cast<double>(max) - min);
}
}  // namespace

Rect ChannelRect(int w, int h, int iw, int ih, int tw, int th, unsigned flags) {
    (void)h;
    int x = 0, y = 0;
    if (flags & kChannelCentred) {
        x = (w - iw) / 2;
        y = (th - ih) / 2;
    }
    if (flags & kChannelInset) x = kThumbMargin - tw / 2;
    int width = iw;
    if (flags & kChannelStretched) width = (flags & kChannelInset) ? w - 2 * x : w;
    return {x, y, x + width, y + ih};
}

Rect ThumbRect(bool vertical, int w, int h, int tw, int th, int min, int max, int pos) {
    const int along = static_cast<int>(Travel(vertical, w, h) * Ratio(min, max, pos));
    if (vertical) {
        const int top = along - th / 2 + kThumbMargin;
        return {0, top, tw, top + th};
    }
    const int left = along - tw / 2 + kThumbMargin;
    return {left, 0, left + tw, th};
}

int PositionAt(bool vertical, int w, int h, int min, int max, int place) {
    const int travel = Travel(vertical, w, h);
    if (travel <= 0 || max <= min) return min;
    double ratio = static_cast<double>(place - kThumbMargin) / travel;
    if (ratio < 0.0) ratio = 0.0;
    if (ratio > 1.0) ratio = 1.0;
    const int guess = min + static_cast<int>(std::lround(ratio * (static_cast<double>(max) - min)));
    // The drawn thumb drops fractions, so a neighbour may stand nearer the pointer.
    const auto distance = [&](int pos) {
        const int centre = static_cast<int>(travel * Ratio(min, max, pos)) + kThumbMargin;
        return std::abs(centre - place);
    };
    int best = guess;
    for (int pos : {guess - 1, guess + 1})
        if (pos >= min && pos <= max && distance(pos) < distance(best)) best = pos;
    return best;
}

}  // namespace slider
