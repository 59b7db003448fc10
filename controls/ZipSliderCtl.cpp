#include "controls/ZipSliderCtl.h"

#include "controls/SliderGeometry.h"

namespace {
RECT ToRect(const slider::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
POINT PointOf(LPARAM l) { return {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))}; }
}  // namespace

void CZipSliderCtl::SetBitmaps(int channelId, int thumbId, int activeThumbId, unsigned flags) {
    vertical_ = (::GetWindowLongPtrA(hwnd_, GWL_STYLE) & TBS_VERT) != 0;
    client_ = ClientRect();
    activeThumb_.Load(activeThumbId);
    thumb_.Load(thumbId);
    BuildBackground(channelId, flags, thumb_.Width(), thumb_.Height());
    Invalidate(false);
}

void CZipSliderCtl::BuildBackground(int channelId, unsigned flags, int thumbWidth, int thumbHeight) {
    const int w = client_.right, h = client_.bottom;
    if (!background_.Create(w, h)) return;
    SizedBitmap channel;
    if (!channel.LoadFromResource(channelId)) return;
    const int iw = channel.Width(), ih = channel.Height();
    const slider::Rect to = slider::ChannelRect(w, h, iw, ih, thumbWidth, thumbHeight, flags);
    fw::UniqueMemoryDc source(::CreateCompatibleDC(background_.dc()));
    fw::ScopedSelect select(source.get(), channel.get());
    if (flags & ChannelStretched) {
        ::SetStretchBltMode(background_.dc(), COLORONCOLOR);
        ::StretchBlt(background_.dc(), to.left, to.top, to.right - to.left, ih, source.get(), 0, 0, iw, ih, SRCCOPY);
    } else {
        ::BitBlt(background_.dc(), to.left, to.top, iw, ih, source.get(), 0, 0, SRCCOPY);
    }
}

RECT CZipSliderCtl::GetThumbRect() {
    const int min = static_cast<int>(Send(TBM_GETRANGEMIN));
    const int max = static_cast<int>(Send(TBM_GETRANGEMAX));
    return ToRect(slider::ThumbRect(vertical_, client_.right, client_.bottom, thumb_.Width(), thumb_.Height(), min,
                                    max, GetPos()));
}

void CZipSliderCtl::SetThumbPosition(int position) {
    const RECT before = GetThumbRect();
    // Without the system track bar's redraw: it would repaint its own thumb
    // at every new value, while the drawn thumb moves a pixel only every few.
    Send(TBM_SETPOS, FALSE, position);
    baseThumbStale_ = true;
    const RECT after = GetThumbRect();
    if (::EqualRect(&before, &after)) return;
    RECT both{};
    ::UnionRect(&both, &before, &after);
    InvalidateArea(both);
}

void CZipSliderCtl::SyncBaseThumb() {
    if (!baseThumbStale_) return;
    baseThumbStale_ = false;
    const int min = static_cast<int>(Send(TBM_GETRANGEMIN));
    const int max = static_cast<int>(Send(TBM_GETRANGEMAX));
    if (min >= max) return;
    // The track bar places its thumb when a redrawn position differs from the last.
    const int position = GetPos();
    Send(TBM_SETPOS, FALSE, position == max ? position - 1 : position + 1);
    Send(TBM_SETPOS, TRUE, position);
}

void CZipSliderCtl::PaintArea(HDC dc, const RECT& area) {
    const RECT thumb = GetThumbRect();
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, background_.dc(), area.left,
             area.top, SRCCOPY);
    (dragging_ ? activeThumb_ : thumb_).Draw(dc, thumb.left, thumb.top);
}

LPARAM CZipSliderCtl::PressForBase(POINT pt, bool onThumb) {
    RECT base{};
    Send(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&base));
    const int acrossCentre = vertical_ ? (base.left + base.right) / 2 : (base.top + base.bottom) / 2;
    if (onThumb) return MAKELPARAM((base.left + base.right) / 2, (base.top + base.bottom) / 2);
    // Off the drawn thumb: make sure it is off the system's thumb too, on the same side.
    const RECT drawn = GetThumbRect();
    int along = vertical_ ? pt.y : pt.x;
    const int drawnStart = vertical_ ? drawn.top : drawn.left;
    const int drawnEnd = vertical_ ? drawn.bottom : drawn.right;
    const int baseStart = vertical_ ? base.top : base.left;
    const int baseEnd = vertical_ ? base.bottom : base.right;
    // A press beside the thumb, level with it along the track, pages toward
    // the half of the thumb it is level with.
    const bool before = along < drawnStart || (along < drawnEnd && 2 * along < drawnStart + drawnEnd);
    if (before) {
        if (along >= baseStart) along = baseStart - 1;
    } else if (along < baseEnd) {
        along = baseEnd;
    }
    return vertical_ ? MAKELPARAM(acrossCentre, along) : MAKELPARAM(along, acrossCentre);
}

void CZipSliderCtl::DragTo(POINT pt) {
    const int min = static_cast<int>(Send(TBM_GETRANGEMIN));
    const int max = static_cast<int>(Send(TBM_GETRANGEMAX));
    const int position =
        slider::PositionAt(vertical_, client_.right, client_.bottom, min, max, vertical_ ? pt.y : pt.x);
    if (position == GetPos()) return;
    Send(TBM_SETPOS, TRUE, position);
    // What the system track bar reports for every move of a drag.
    ::SendMessageA(::GetParent(hwnd_), vertical_ ? WM_VSCROLL : WM_HSCROLL,
                   MAKEWPARAM(TB_THUMBTRACK, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(hwnd_));
}

LRESULT CZipSliderCtl::WndProc(UINT msg, WPARAM w, LPARAM l) {
    if (!Ready()) return Default(msg, w, l);
    switch (msg) {
    case WM_PAINT:
        if (w) {
            PaintArea(reinterpret_cast<HDC>(w), ClientRect());
        } else {
            fw::PaintScope paint(hwnd_);
            RECT area{};
            if (::GetClipBox(paint.dc(), &area) != ERROR) PaintArea(paint.dc(), area);
        }
        return 0;
    case WM_PRINTCLIENT:
        PaintArea(reinterpret_cast<HDC>(w), ClientRect());
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painting covers the whole area
    case WM_LBUTTONDOWN: {
        SyncBaseThumb();
        buttonDown_ = true;
        const POINT pt = PointOf(l);
        RECT thumb = GetThumbRect();
        dragging_ = ::PtInRect(&thumb, pt) != FALSE;
        InvalidateArea(thumb);
        const LRESULT result = Default(msg, w, PressForBase(pt, dragging_));
        thumb = GetThumbRect();
        InvalidateArea(thumb);
        return result;
    }
    case WM_MOUSEMOVE: {
        if (!buttonDown_) return Default(msg, w, l);
        const RECT before = GetThumbRect();
        LRESULT result = 0;
        if (dragging_)
            DragTo(PointOf(l));
        else
            result = Default(msg, w, l);
        const RECT after = GetThumbRect();
        RECT both{};
        ::UnionRect(&both, &before, &after);
        InvalidateArea(both);
        return result;
    }
    case WM_LBUTTONUP: {
        const bool wasDragging = dragging_;
        buttonDown_ = dragging_ = false;
        const LRESULT result = Default(msg, w, l);
        // The system track bar repaints its own idea of the thumb; the drawn one may differ.
        if (wasDragging) InvalidateArea(GetThumbRect());
        return result;
    }
    case WM_CAPTURECHANGED:
        if (buttonDown_ && reinterpret_cast<HWND>(l) != hwnd_) {
            buttonDown_ = dragging_ = false;
            InvalidateArea(GetThumbRect());
        }
        return Default(msg, w, l);
    case TBM_GETTHUMBRECT:
    case WM_MOUSEWHEEL:
        SyncBaseThumb();
        return Default(msg, w, l);
    case WM_KEYDOWN: {
        SyncBaseThumb();
        const LRESULT result = Default(msg, w, l);
        Invalidate(false);
        return result;
    }
    default:
        return Default(msg, w, l);
    }
}
