#pragma once
// The arithmetic of CZipSliderCtl, window-free so the host tests can check
// it: where the channel image goes in the background, where the thumb
// stands for a position, and which position a pointer place stands for.
namespace slider {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

// Flags of SetBitmaps.
enum ChannelFlags : unsigned {
    kChannelCentred = 0x02,    // centred across, and on the thumb's centre line
    kChannelStretched = 0x04,  // stretched along the control
    kChannelInset = 0x08,      // starts where the thumb's centre can first stand
};

// The thumb's centre runs from kThumbMargin pixels after the start of the
// control to kThumbMargin + 1 before its end.
constexpr int kThumbMargin = 13;

// The rectangle the channel image is drawn to in a client area of w x h,
// for an image of iw x ih and a thumb of tw x th.
Rect ChannelRect(int w, int h, int iw, int ih, int tw, int th, unsigned flags);

// The thumb of a control of w x h (only the length along the control is
// used) for position pos in min..max. A range with max equal to min puts
// the thumb at the start.
Rect ThumbRect(bool vertical, int w, int h, int tw, int th, int min, int max, int pos);

// The position whose thumb is centred nearest to the pointer place along
// the control (x for horizontal, y for vertical), clamped to min..max.
int PositionAt(bool vertical, int w, int h, int min, int max, int place);

}  // namespace slider
