#pragma once
// A track bar drawn entirely from images: a channel image composed once into
// an off-screen background, and a thumb drawn with a transparent key colour,
// with a second, lit thumb while it is dragged. Range, position, paging,
// keys and the notifications to the owner are the system track bar's; the
// thumb is hit-tested and dragged by this class, so that what the user grabs
// is exactly the thumb drawn.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <utility>

#include "controls/SliderBitmaps.h"
#include "framework/Control.h"

class CZipSliderCtl : public fw::Control {
public:
    // Flags of SetBitmaps.
    enum : unsigned { ChannelCentred = 0x02, ChannelStretched = 0x04, ChannelInset = 0x08 };

    void SetRange(int min, int max, bool redraw) const { Send(TBM_SETRANGE, redraw, MAKELPARAM(min, max)); }
    int GetPos() const;

    // Prepares the look from bitmap resources; once, after the window exists.
    // The thumbs' key colour is the colour of their top-left pixel.
    void SetBitmaps(int channelId, int thumbId, int activeThumbId, unsigned flags);
    // Moves the thumb without notifying the owner; draws only when the
    // drawn thumb moves by a pixel, and then at once. Sends no message: the
    // position is handed to the system track bar before its next message
    // (under Wine every message to a subclassed window costs server requests).
    void SetThumbPosition(int position);
    // The thumb for the current position, in client coordinates.
    RECT GetThumbRect();
    bool IsDragging() const { return dragging_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;

private:
    // The images a slider is drawn from: its thumbs and its background.
    struct Look {
        MaskedBitmap thumb;
        MaskedBitmap activeThumb;
        BackgroundBitmap background;
    };
    struct LookKey {
        int channelId, thumbId, activeThumbId;
        unsigned flags;
        int width, height;
        bool operator==(const LookKey& o) const {
            return channelId == o.channelId && thumbId == o.thumbId && activeThumbId == o.activeThumbId &&
                   flags == o.flags && width == o.width && height == o.height;
        }
    };
    static std::shared_ptr<Look> LookFor(const LookKey& key);
    static void BuildBackground(Look& look, const LookKey& key);

    bool Ready() const { return look_ && look_->background.dc() != nullptr && look_->thumb; }
    void PaintArea(HDC dc, const RECT& area);
    void InvalidateArea(const RECT& area) const { ::InvalidateRect(hwnd_, &area, FALSE); }
    // Paints an area now, without waiting for WM_PAINT.
    void DrawNow(const RECT& area);
    // The point to hand the system track bar for a press, so that it starts
    // a drag exactly when the press is on the drawn thumb and pages otherwise.
    LPARAM PressForBase(POINT pt, bool onThumb);
    void DragTo(POINT pt);
    // Lets the system track bar place its own thumb at the current position
    // before it hit-tests, pages or reports the thumb.
    void SyncBaseThumb();
    // Gives the system track bar a position set by SetThumbPosition.
    void HandOverPosition();
    // The system track bar's range, read once after every change.
    std::pair<int, int> Range() const;

    std::shared_ptr<Look> look_;
    bool buttonDown_ = false;
    bool dragging_ = false;
    bool vertical_ = false;
    bool baseThumbStale_ = false;  // the position moved without the system track bar's redraw
    bool positionPending_ = false;  // position_ is not yet the system track bar's
    int position_ = 0;
    mutable bool rangeKnown_ = false;
    mutable std::pair<int, int> range_{};
    RECT client_{};
};
