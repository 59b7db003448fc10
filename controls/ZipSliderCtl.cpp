#include "controls/ZipSliderCtl.h"

#include "controls/SliderGeometry.h"

#include <algorithm>
#include <vector>

namespace {
RECT ToRect(const slider::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
POINT PointOf(LPARAM l) { return {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))}; }
}  // namespace

// Sliders made from the same images at the same size look alike: they share
// one set, made by the first of them (the board has 36 sliders of two kinds).
std::shared_ptr<CZipSliderCtl::Look> CZipSliderCtl::LookFor(const LookKey& key) {
    static std::vector<std::pair<LookKey, std::weak_ptr<Look>>> made;
    for (auto& [k, look] : made)
        if (k == key)
            if (auto shared = look.lock()) return shared;
    auto look = std::make_shared<Look>();
    look->activeThumb.Load(key.activeThumbId);
    look->thumb.Load(key.thumbId);
    BuildBackground(*look, key);
    made.erase(std::remove_if(made.begin(), made.end(), [](const auto& m) { return m.second.expired(); }), made.end());
    made.emplace_back(key, look);
    return look;
}

void CZipSliderCtl::SetBitmaps(int channelId, int thumbId, int activeThumbId, unsigned flags) {
    vertical_ = (::GetWindowLongPtrA(hwnd_, GWL_STYLE) & TBS_VERT) != 0;
    client_ = ClientRect();
    look_ = LookFor({channelId, thumbId, activeThumbId, flags, client_.right, client_.bottom});
    Invalidate(false);
}

void CZipSliderCtl::BuildBackground(Look& look, const LookKey& key) {
    const int w = key.width, h = key.height;
    if (!look.background.Create(w, h)) return;
    SizedBitmap channel;
    if (!channel.LoadFromResource(key.channelId)) return;
    const int iw = channel.Width(), ih = channel.Height();
    const slider::Rect to =
        slider::ChannelRect(w, h, iw, ih, look.thumb.Width(), look.thumb.Height(), key.flags);
    HDC background = look.background.dc();
    fw::SelectedDc source(channel.get());
    if (key.flags & ChannelStretched) {
        ::SetStretchBltMode(background, COLORONCOLOR);
        ::StretchBlt(background, to.left, to.top, to.right - to.left, ih, source.get(), 0, 0, iw, ih, SRCCOPY);
    } else {
        ::BitBlt(background, to.left, to.top, iw, ih, source.get(), 0, 0, SRCCOPY);
    }
}

std::pair<int, int> CZipSliderCtl::Range() const {
    if (!rangeKnown_) {
        range_ = {static_cast<int>(Send(TBM_GETRANGEMIN)), static_cast<int>(Send(TBM_GETRANGEMAX))};
        rangeKnown_ = true;
    }
    return range_;
}

int CZipSliderCtl::GetPos() const { return positionPending_ ? position_ : static_cast<int>(Send(TBM_GETPOS)); }

RECT CZipSliderCtl::GetThumbRect() {
    if (!look_) return {};
    const auto [min, max] = Range();
    return ToRect(slider::ThumbRect(vertical_, client_.right, client_.bottom, look_->thumb.Width(), look_->thumb.Height(), min,
                                    max, GetPos()));
}

void CZipSliderCtl::SetThumbPosition(int position) {
    const RECT before = GetThumbRect();
    // Kept here until the system track bar's next message, and then given to
    // it without its redraw: it would repaint its own thumb at every new
    // value, while the drawn thumb moves a pixel only every few.
    const auto [min, max] = Range();
    position_ = std::max(min, std::min(position, max));  // as the track bar keeps it
    positionPending_ = true;
    baseThumbStale_ = true;
    const RECT after = GetThumbRect();
    if (::EqualRect(&before, &after)) return;
    RECT both{};
    ::UnionRect(&both, &before, &after);
    DrawNow(both);
}

void CZipSliderCtl::DrawNow(const RECT& area) {
    // Straight to the window instead of an invalidation and a WM_PAINT: under
    // Wine that is one server request instead of several. A hidden slider
    // draws when shown.
    if (!Ready() || !IsShown()) return;
    fw::WindowDc dc(hwnd_);
    if (dc.get())
        PaintArea(dc.get(), area);
    else
        InvalidateArea(area);
}

void CZipSliderCtl::HandOverPosition() {
    if (!positionPending_) return;
    positionPending_ = false;
    Default(TBM_SETPOS, FALSE, position_);
}

void CZipSliderCtl::SyncBaseThumb() {
    if (!baseThumbStale_) return;
    baseThumbStale_ = false;
    const auto [min, max] = Range();
    if (min >= max) return;
    // The track bar places its thumb when a redrawn position differs from the last.
    const int position = GetPos();
    Send(TBM_SETPOS, FALSE, position == max ? position - 1 : position + 1);
    Send(TBM_SETPOS, TRUE, position);
}

void CZipSliderCtl::PaintArea(HDC dc, const RECT& area) {
    const RECT thumb = GetThumbRect();
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, look_->background.dc(), area.left,
             area.top, SRCCOPY);
    (dragging_ ? look_->activeThumb : look_->thumb).Draw(dc, thumb.left, thumb.top);
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
    const auto [min, max] = Range();
    const int position =
        slider::PositionAt(vertical_, client_.right, client_.bottom, min, max, vertical_ ? pt.y : pt.x);
    if (position == GetPos()) return;
    Send(TBM_SETPOS, TRUE, position);
    // What the system track bar reports for every move of a drag.
    ::SendMessageA(::GetParent(hwnd_), vertical_ ? WM_VSCROLL : WM_HSCROLL,
                   MAKEWPARAM(TB_THUMBTRACK, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(hwnd_));
}

LRESULT CZipSliderCtl::WndProc(UINT msg, WPARAM w, LPARAM l) {
    // Whatever the system track bar is asked next, it answers with the position shown.
    if (msg != WM_PAINT && msg != WM_PRINTCLIENT && msg != WM_ERASEBKGND) HandOverPosition();
    if (msg == TBM_SETRANGE || msg == TBM_SETRANGEMIN || msg == TBM_SETRANGEMAX) rangeKnown_ = false;
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
